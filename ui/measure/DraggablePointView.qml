import QtQuick
import Mirrel as Mirrel

// The round handle on one point of the selected target: a 16-point disc in the target's
// colour with a thin shadow, centred on the point, and a thin ring around it while it is the
// point the arrow keys move. Placed in the picture area's coordinates.
Item {
    id: root

    required property size viewSize
    required property size imageSize
    required property int pointIndex
    required property Mirrel.TargetModel target
    property bool active: false

    readonly property real handleRadius: 10
    readonly property point position: Mirrel.PictureMapping.viewPoint(point.point, imageSize,
                                                                      viewSize)

    Mirrel.TargetPoint {
        id: point
        target: root.target
        index: root.pointIndex
    }
    readonly property color color: Mirrel.PictureMapping.targetColor(target)

    x: position.x - handleRadius
    y: position.y - handleRadius
    width: 2 * handleRadius
    height: 2 * handleRadius
    scale: 0.8

    Rectangle {
        anchors.fill: parent
        anchors.margins: -1
        radius: width / 2
        color: Qt.rgba(0, 0, 0, 0.3)
        antialiasing: true
    }

    Rectangle {
        anchors.fill: parent
        radius: width / 2
        color: root.color
        border.width: Mirrel.Palette.standardLineWidth
        border.color: root.color
        antialiasing: true
    }

    // The ring, a few points clear of the disc, with a shadow of its own so that it reads on
    // any photo.
    Rectangle {
        objectName: "activeRing"
        visible: root.active
        anchors.fill: parent
        anchors.margins: -6
        radius: width / 2
        color: "transparent"
        border.width: 3.5
        border.color: Qt.rgba(0, 0, 0, 0.25)
        antialiasing: true

        Rectangle {
            anchors.fill: parent
            anchors.margins: 1
            radius: width / 2
            color: "transparent"
            border.width: 1.5
            border.color: root.color
            antialiasing: true
        }
    }
}
