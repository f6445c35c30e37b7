import QtQuick
import Mirrel as Mirrel

// A section's heading, at the leading edge.
Item {
    id: root

    required property string text

    implicitWidth: label.implicitWidth
    implicitHeight: label.implicitHeight

    Text {
        id: label

        width: Math.min(implicitWidth, root.width)
        text: root.text
        color: Mirrel.Palette.white
        opacity: 0.5
        font.pixelSize: 15
        wrapMode: Text.Wrap
    }
}
