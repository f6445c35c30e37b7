import QtQuick
import QtQuick.Templates as T
import Mirrel as Mirrel

// One action of the share sheet: a symbol over a short label on a white tile.
T.AbstractButton {
    id: control

    property string symbol

    implicitWidth: Math.max(88, label.implicitWidth + 16)
    implicitHeight: 84
    opacity: enabled ? 1.0 : 0.4
    scale: pressed ? 0.95 : 1.0
    Accessible.name: text
    // A screen reader's press clicks the button, as the mouse does.
    Accessible.onPressAction: {
        if (control.enabled)
            control.clicked();
    }
    // Space presses a button by itself; a desktop user expects Enter to as well.
    Keys.onReturnPressed: control.clicked()
    Keys.onEnterPressed: control.clicked()

    Behavior on scale {
        NumberAnimation {
            duration: 100
            easing.type: Easing.InOutQuad
        }
    }

    background: Rectangle {
        radius: 12
        color: Mirrel.Palette.white
    }

    contentItem: Item {
        Mirrel.SymbolImage {
            id: icon

            anchors.horizontalCenter: parent.horizontalCenter
            y: 12
            name: control.symbol
            color: Mirrel.Palette.accent
            scale: 1.2
        }

        Text {
            id: label

            anchors.horizontalCenter: parent.horizontalCenter
            anchors.top: icon.bottom
            anchors.topMargin: 10
            width: parent.width - 8
            text: control.text
            color: Mirrel.Palette.accent
            font.pixelSize: 13
            // A word wider than a narrow tile (German in a 320-point window) is set a little
            // smaller rather than cut; otherwise the text wraps at its own size.
            fontSizeMode: widestWord(text) > width ? Text.HorizontalFit : Text.FixedSize
            minimumPixelSize: 10

            function widestWord(words) {
                let widest = 0;
                for (const word of words.split(/\s+/))
                    widest = Math.max(widest, metrics.advanceWidth(word));
                return widest;
            }

            FontMetrics {
                id: metrics
                font.pixelSize: 13
            }
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
            maximumLineCount: 2
            elide: Text.ElideRight
        }
    }

    Mirrel.FocusRing {
        radius: 15
        visible: control.visualFocus
    }
}
