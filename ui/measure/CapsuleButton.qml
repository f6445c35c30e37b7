import QtQuick
import QtQuick.Templates as T
import Mirrel as Mirrel

// A text button inside a thin accent capsule, as in the error view.
T.AbstractButton {
    id: control

    implicitWidth: label.implicitWidth + 64
    implicitHeight: label.implicitHeight + 32
    opacity: pressed ? 0.5 : 1.0
    Accessible.name: text
    // A screen reader's press clicks the button, as the mouse does.
    Accessible.onPressAction: {
        if (control.enabled)
            control.clicked();
    }
    // Space presses a button by itself; a desktop user expects Enter to as well.
    Keys.onReturnPressed: control.clicked()
    Keys.onEnterPressed: control.clicked()

    contentItem: Text {
        id: label

        text: control.text
        color: Mirrel.Palette.accent
        font.pixelSize: 17
        // Only where the button is made narrower than its text.
        elide: Text.ElideRight
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }

    background: Rectangle {
        // Inset by half the stroke so the outline lies inside the button.
        x: Mirrel.Palette.standardLineWidth / 2
        y: Mirrel.Palette.standardLineWidth / 2
        width: control.width - Mirrel.Palette.standardLineWidth
        height: control.height - Mirrel.Palette.standardLineWidth
        radius: height / 2
        color: "transparent"
        border.color: Mirrel.Palette.accent
        border.width: Mirrel.Palette.standardLineWidth
        antialiasing: true
    }

    Mirrel.FocusRing {
        radius: height / 2
        visible: control.visualFocus
    }
}
