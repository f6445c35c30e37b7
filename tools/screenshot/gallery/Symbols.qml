// size: 420x200
import QtQuick
import Mirrel as Mirrel

// Every symbol of the screens, as drawn in the accent colour and scaled 1.7 times.
Rectangle {
    color: Mirrel.Palette.lightBackground

    Grid {
        anchors.centerIn: parent
        columns: 7
        spacing: 24

        Repeater {
            model: ["camera.metering.spot", "skew", "plus.rectangle.on.rectangle",
                "arrow.counterclockwise", "checkmark", "plus", "square.and.arrow.up",
                "line.diagonal", "square", "gearshape", "exclamationmark.octagon.fill",
                "chevron.right", "trash.fill", "xmark"]

            Mirrel.SymbolImage {
                name: modelData
                color: Mirrel.Palette.accent
                scale: 1.7
            }
        }
    }
}
