import QtQuick
import QtQuick.Templates as T
import Mirrel as Mirrel

// The tutorial's main button: white text on a light accent bar as wide as it is given, with
// rounded corners; shrunk to 90 % while pressed, with a short ease either way.
T.AbstractButton {
    id: control

    implicitWidth: label.implicitWidth + 32
    implicitHeight: label.implicitHeight + 2 * 16 + 2 * 16
    // The standard padding above and below lies outside the bar.
    topInset: 16
    bottomInset: 16
    topPadding: 32
    bottomPadding: 32
    leftPadding: 16
    rightPadding: 16
    scale: pressed ? 0.9 : 1.0
    Accessible.name: text
    // A screen reader's press clicks the button, as the mouse does.
    Accessible.onPressAction: {
        if (control.enabled)
            control.clicked();
    }

    Behavior on scale {
        NumberAnimation {
            duration: 100
            easing.type: Easing.InOutQuad
        }
    }

    contentItem: Text {
        id: label

        text: control.text
        color: Mirrel.Palette.systemWhite
        font.pixelSize: 17
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        wrapMode: Text.Wrap
    }

    background: Rectangle {
        objectName: "TutorialButtonStyle_Bar"
        radius: 5
        color: Mirrel.Palette.accentLight
        antialiasing: true

        // Around the bar, for a keyboard user only.
        Mirrel.FocusRing {
            visible: control.visualFocus
        }
    }
}
