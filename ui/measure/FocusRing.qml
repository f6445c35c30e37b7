import QtQuick
import Mirrel as Mirrel

// The outline around the control that has the keyboard focus; the control says when it shows,
// so a click, which focuses some controls too, leaves none behind.
Rectangle {
    objectName: "FocusRing"
    anchors.fill: parent
    anchors.margins: -3
    radius: 8
    color: "transparent"
    border.color: Mirrel.Palette.accent
    border.width: 2
    antialiasing: true
}
