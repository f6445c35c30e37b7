import QtQuick
import QtQuick.Shapes
import Mirrel as Mirrel

// One target on the photo: its outline, a handle on each point, a length label on each edge
// and, while it is selected, the round context button. A tap on the outline or a label of an
// unselected target selects it. Fills the picture area; everything is placed in its
// coordinates.
Item {
    id: root

    required property size viewSize
    required property size imageSize
    required property Mirrel.TargetModel target
    // The point the arrow keys move, marked on its handle; -1 for none of this target's.
    property int activePointIndex: -1

    // A dragged-point record from a handle, or undefined when the finger lifts.
    signal draggingOccurred(var record)
    // A finger went down on the handle of point pointIndex.
    signal pointPressed(int pointIndex)
    // The context button was pressed.
    signal contextAction(Mirrel.TargetModel target)

    readonly property color color: Mirrel.PictureMapping.targetColor(target)
    readonly property bool isReference: Mirrel.TargetShape.isReference(target)
    readonly property bool isLine: Mirrel.TargetShape.isLine(target)
    readonly property var outline: Mirrel.PictureMapping.polygonPath(target.points, imageSize,
                                                                     viewSize)

    containmentMask: QtObject {
        function contains(point: point): bool {
            if (Mirrel.TargetShape.nearPath(root.outline, point,
                                              Mirrel.TargetShape.tolerance))
                return true
            for (let i = 0; i < labels.count; ++i) {
                const label = labels.itemAt(i)
                if (label && label.contains(label.mapFromItem(root, point)))
                    return true
            }
            return false
        }
    }

    TapHandler {
        gesturePolicy: TapHandler.ReleaseWithinBounds
        onTapped: {
            if (!root.target.isSelected)
                root.target.isSelected = true
        }
    }

    Shape {
        id: outlineShape
        anchors.fill: parent
        // A soft dark edge under the stroke, so it reads on light and dark photos alike.
        ShapePath {
            strokeColor: Qt.rgba(0, 0, 0, 0.3)
            strokeWidth: Mirrel.Palette.standardLineWidth + 2
            fillColor: "transparent"
            capStyle: ShapePath.RoundCap
            joinStyle: ShapePath.RoundJoin
            PathPolyline {
                path: root.outline
            }
        }
        ShapePath {
            strokeColor: root.color
            strokeWidth: Mirrel.Palette.standardLineWidth
            fillColor: "transparent"
            capStyle: ShapePath.RoundCap
            joinStyle: ShapePath.RoundJoin
            PathPolyline {
                path: root.outline
            }
        }
    }

    Repeater {
        id: handles
        model: Mirrel.TargetShape.pointCount(root.target)

        Mirrel.DraggingGestureModifier {
            id: gesture
            required property int index
            objectName: "handle"
            anchors.fill: parent
            pointIndex: index
            viewSize: root.viewSize
            imageSize: root.imageSize
            target: root.target
            onDraggingOccurred: record => root.draggingOccurred(record)
            onPressed: root.pointPressed(gesture.pointIndex)

            Mirrel.DraggablePointView {
                objectName: "disc"
                viewSize: root.viewSize
                imageSize: root.imageSize
                pointIndex: gesture.pointIndex
                target: root.target
                active: gesture.pointIndex === root.activePointIndex
            }
        }
    }

    Repeater {
        id: labels
        model: Mirrel.TargetShape.edgeCount(root.target)

        Mirrel.DistanceView {
            id: label
            required property int index
            objectName: "label"
            target: root.target
            viewSize: root.viewSize
            imageSize: root.imageSize
            distance: edge.distance

            Mirrel.TargetEdge {
                id: edge
                target: root.target
                index: label.index
            }
        }
    }

    Item {
        id: contextButton
        objectName: "contextButton"
        readonly property point position: Mirrel.ContextButtonLayout.position(
                                              root.target.points, root.isLine, root.imageSize,
                                              root.viewSize)
        visible: root.target.isSelected
        width: Mirrel.ContextButtonLayout.size
        height: Mirrel.ContextButtonLayout.size
        x: position.x - width / 2
        y: position.y - height / 2
        Accessible.role: Accessible.Button
        Accessible.name: {
            if (root.isReference)
                return qsTrId("Accessibility_ConfirmCard");
            return root.isLine ? qsTrId("Accessibility_DeleteLine")
                               : qsTrId("Accessibility_DeleteRectangle");
        }
        Accessible.onPressAction: root.contextAction(root.target)

        // A soft shadow around the button.
        Shape {
            anchors.centerIn: parent
            width: parent.width + 20
            height: parent.height + 20
            ShapePath {
                strokeColor: "transparent"
                fillGradient: RadialGradient {
                    centerX: 32; centerY: 32; centerRadius: 32
                    focalX: 32; focalY: 32
                    GradientStop { position: 0.6; color: Qt.rgba(0, 0, 0, 0.33) }
                    GradientStop { position: 1.0; color: Qt.rgba(0, 0, 0, 0) }
                }
                PathAngleArc {
                    centerX: 32; centerY: 32
                    radiusX: 32; radiusY: 32
                    startAngle: 0; sweepAngle: 360
                }
            }
        }

        Mirrel.TargetModelContextButtonStyle {
            id: style
            objectName: "style"
            anchors.fill: parent
            isReference: root.isReference
            color: root.color
            pressed: press.pressed

            Mirrel.SymbolImage {
                objectName: "symbol"
                anchors.fill: parent
                name: root.isReference ? "checkmark" : "trash.fill"
                bold: root.isReference
                color: style.foreground
            }
        }

        MouseArea {
            id: press
            anchors.fill: parent
            onClicked: root.contextAction(root.target)
        }
    }
}
