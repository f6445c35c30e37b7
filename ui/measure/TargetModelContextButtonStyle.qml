import QtQuick
import QtQuick.Shapes
import Mirrel as Mirrel

// The round context button of a selected target: a bold check mark on the accent colour for
// the card, a red bin on white in a ring of the target's colour for everything else. Shrinks a
// little while pressed. The label (a symbol) goes inside and takes its colour from foreground.
Item {
    id: root

    required property bool isReference
    // The target's colour.
    required property color color
    property bool pressed: false
    default property alias label: content.data

    readonly property color foreground: isReference ? Mirrel.Palette.white
                                                    : Mirrel.Palette.alertRed
    readonly property color background: isReference ? Mirrel.Palette.accent
                                                    : Mirrel.Palette.systemWhite
    readonly property color ringColor: isReference ? foreground : color
    readonly property real ringWidth: 3
    readonly property real padding: 11

    scale: pressed ? 0.9 : 1
    Behavior on scale {
        NumberAnimation {
            duration: 100
            easing.type: Easing.InOutQuad
        }
    }

    // The ring's shadow, a dark hairline around it.
    Rectangle {
        anchors.fill: parent
        anchors.margins: -1
        radius: width / 2
        color: "transparent"
        border.width: 1
        border.color: Qt.rgba(0, 0, 0, 0.33)
        antialiasing: true
    }

    Rectangle {
        anchors.fill: parent
        radius: width / 2
        color: root.background
        border.width: root.ringWidth
        border.color: root.ringColor
        antialiasing: true
    }

    Item {
        id: content
        anchors.fill: parent
        anchors.margins: root.padding
    }
}
