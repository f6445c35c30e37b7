import QtQuick
import QtQuick.Shapes
import Mirrel as Mirrel

// The picture area: the session's current picture filling the area, and over it the card
// outline the detector found (only until there is a card), the card, and the measured targets
// in the session's order, later ones on top. Without a picture it shows the camera error view.
Item {
    id: root

    required property Mirrel.CameraViewModel model
    required property size viewSize
    // The photo's accessible name.
    property string imageLabel
    // The point the arrow keys move, marked on its handle: a target and the index of one of
    // its points; none when the target is null.
    property Mirrel.TargetModel activeTarget: null
    property int activePointIndex: -1

    // A dragged-point record from any handle, or undefined when the finger lifts.
    signal draggingOccurred(var record)
    // A finger went down on the handle of a target's point.
    signal pointPressed(Mirrel.TargetModel target, int pointIndex)
    // The card's context button was pressed.
    signal targetContextAction(Mirrel.TargetModel target)

    readonly property var frame: model.frame
    readonly property bool hasImage: frame !== undefined && frame.hasImage
    readonly property size imageSize: picture.imageSize
    readonly property Mirrel.TargetModel card: model.referenceRectangle

    width: viewSize.width
    height: viewSize.height

    Item {
        id: pictureStack
        objectName: "pictureStack"
        anchors.fill: parent
        visible: root.hasImage

        // Only the part of the photo inside the area is drawn: that is its clipping.
        Mirrel.PictureItem {
            id: picture
            objectName: "picture"
            anchors.fill: parent
            image: root.hasImage ? root.frame.image : undefined
            sourceRect: Mirrel.PictureMapping.visibleRect(imageSize, root.viewSize)
            Accessible.role: Accessible.Graphic
            Accessible.name: root.imageLabel
        }

        // The outlines, labels and handles, drawn as one multisampled layer so that thin
        // slanted lines get smooth edges. The software renderer smooths them by itself.
        Item {
            id: overlays
            anchors.fill: parent
            layer.enabled: GraphicsInfo.api !== GraphicsInfo.Software
            layer.samples: 4

            Shape {
                id: detectedOutline
                objectName: "detectedOutline"
                anchors.fill: parent
                visible: root.card === null && root.hasImage && root.frame.hasPoints
                ShapePath {
                    strokeColor: Mirrel.Palette.accent
                    strokeWidth: 2
                    fillColor: "transparent"
                    capStyle: ShapePath.FlatCap
                    joinStyle: ShapePath.MiterJoin
                    miterLimit: 10
                    PathPolyline {
                        path: detectedOutline.visible
                              ? Mirrel.PictureMapping.polygonPath(root.frame.points,
                                                                  root.imageSize, root.viewSize)
                              : []
                    }
                }
            }

            Loader {
                id: cardView
                anchors.fill: parent
                active: root.card !== null
                sourceComponent: Mirrel.MeasurableView {
                    objectName: "cardView"
                    viewSize: root.viewSize
                    imageSize: root.imageSize
                    target: root.card
                    activePointIndex: root.activeTarget === root.card ? root.activePointIndex
                                                                      : -1
                    onDraggingOccurred: record => root.draggingOccurred(record)
                    onPointPressed: index => root.pointPressed(root.card, index)
                    onContextAction: target => root.targetContextAction(target)
                }
            }

            Repeater {
                model: root.model.measurableObjects

                Mirrel.MeasurableView {
                    required property var modelData
                    objectName: "targetView"
                    anchors.fill: parent
                    viewSize: root.viewSize
                    imageSize: root.imageSize
                    target: modelData
                    activePointIndex: root.activeTarget === modelData ? root.activePointIndex
                                                                      : -1
                    onDraggingOccurred: record => root.draggingOccurred(record)
                    onPointPressed: index => root.pointPressed(modelData, index)
                    onContextAction: target => Mirrel.TargetActions.deleteTarget(root.model,
                                                                                 target)
                }
            }
        }
    }

    // Without a picture: why the camera gives none.
    Loader {
        id: errorView
        objectName: "errorView"
        anchors.fill: parent
        active: !root.hasImage
        sourceComponent: Mirrel.CameraErrorView {
            error: root.model.error
            photoReason: root.model.errorReason
            onGoToSettingsAction: Mirrel.SystemActions.openCameraSettings()
        }
    }
}
