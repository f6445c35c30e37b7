import QtQuick
import Mirrel as Mirrel

// One edge's length on a capsule in the target's colour, centred on the edge's middle and
// turned along it. The selected target's labels carry a thin ring.
Item {
    id: root

    required property Mirrel.TargetModel target
    required property size viewSize
    required property size imageSize
    // A distance: the edge's ends in image pixels and its length.
    required property var distance

    readonly property color color: Mirrel.PictureMapping.targetColor(target)
    readonly property real ringWidth: Mirrel.LabelLayout.ringWidth(target.isSelected)

    Mirrel.MiddleModifier {
        id: middle
        p1: root.distance.from
        p2: root.distance.to
        imageSize: root.imageSize
        viewSize: root.viewSize
    }

    width: text.implicitWidth + 2 * Mirrel.LabelLayout.horizontalPadding
    height: text.implicitHeight + 2 * Mirrel.LabelLayout.verticalPadding
    x: middle.position.x - width / 2
    y: middle.position.y - height / 2
    rotation: Mirrel.LabelLayout.rotation(distance.from, distance.to)

    // The ring's shadow: a dark hairline just outside it.
    Rectangle {
        anchors.fill: parent
        anchors.margins: -root.ringWidth
        radius: height / 2
        color: "transparent"
        border.width: root.ringWidth
        border.color: Qt.rgba(0, 0, 0, 0.35)
        visible: root.ringWidth > 0
    }

    Rectangle {
        anchors.fill: parent
        radius: height / 2
        color: root.color
        border.width: root.ringWidth
        border.color: root.color
        antialiasing: true
    }

    Text {
        id: text
        anchors.centerIn: parent
        text: Mirrel.LabelLayout.text(root.distance)
        font.pixelSize: Mirrel.LabelLayout.fontSize
        font.bold: true
        color: Mirrel.Palette.systemBlack
    }
}
