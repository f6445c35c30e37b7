import QtQuick
import QtQuick.Shapes
import Mirrel as Mirrel

// The loupe shown while a point is dragged: the photo around the finger, magnified, in a round
// window with a red ring, a small cross on the spot and short lines towards the neighbouring
// points. It sits in the quarter of the area away from the finger. Fills the picture area.
Item {
    id: root

    required property size viewSize
    // The photo shown in the picture area.
    required property var image
    // The dragged-point record: center (finger, view points), neighbours (image pixels), color.
    required property var draggedPoint

    readonly property real side: Mirrel.LoupeLayout.side(viewSize)
    readonly property point center: Mirrel.LoupeLayout.center(draggedPoint.center, viewSize)
    readonly property size imageSize: crop.imageSize

    Item {
        id: loupe
        objectName: "loupe"
        width: root.side
        height: root.side
        x: root.center.x - width / 2
        y: root.center.y - height / 2

        Mirrel.PictureItem {
            id: crop
            objectName: "crop"
            anchors.fill: parent
            circular: true
            image: root.image
            sourceRect: Mirrel.LoupeLayout.shownRect(root.draggedPoint.center, root.imageSize,
                                                     root.viewSize)
            Accessible.ignored: true
        }

        Shape {
            id: lineShape
            anchors.fill: parent
            // Multisampled, so that a slanted hairline stays straight.
            layer.enabled: GraphicsInfo.api !== GraphicsInfo.Software
            layer.samples: 4
            readonly property var lines: Mirrel.LoupeLayout.lines(root.draggedPoint,
                                                                  root.imageSize, root.viewSize)
            // Their shadow first.
            ShapePath {
                strokeColor: Qt.rgba(0, 0, 0, 0.35)
                strokeWidth: Mirrel.LoupeLayout.lineWidth + 2
                fillColor: "transparent"
                capStyle: ShapePath.FlatCap
                joinStyle: ShapePath.MiterJoin
                PathMultiline {
                    paths: lineShape.lines
                }
            }
            ShapePath {
                strokeColor: root.draggedPoint.color
                strokeWidth: Mirrel.LoupeLayout.lineWidth
                fillColor: "transparent"
                capStyle: ShapePath.FlatCap
                joinStyle: ShapePath.MiterJoin
                PathMultiline {
                    paths: lineShape.lines
                }
            }
        }

        // The ring's shadow, then the ring.
        Rectangle {
            anchors.fill: parent
            anchors.margins: -1
            radius: width / 2
            color: "transparent"
            border.width: Mirrel.LoupeLayout.ringWidth + 2
            border.color: Qt.rgba(0, 0, 0, 0.35)
            antialiasing: true
        }
        Rectangle {
            objectName: "ring"
            anchors.fill: parent
            radius: width / 2
            color: "transparent"
            border.width: Mirrel.LoupeLayout.ringWidth
            border.color: Mirrel.Palette.systemRed
            antialiasing: true
        }
    }
}
