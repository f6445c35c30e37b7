import QtQuick
import Mirrel as Mirrel

// Makes a point handle draggable, and shows it only while its target is selected. The finger
// moves the point exactly under itself from the first touch on, with no threshold, offset or
// clamping; every movement is reported for the loupe, and lifting the finger ends the report
// with one light tap; the press also makes the point the one the arrow keys move. The touch
// area is a comfortable 44 points around the 16-point disc. Fills the picture area: the
// handle inside is placed in the area's coordinates.
Item {
    id: root

    required property int pointIndex
    required property size viewSize
    required property size imageSize
    required property Mirrel.TargetModel target
    // The handle.
    default property alias content: handle.data

    // A dragged-point record while the finger moves, undefined when it lifts.
    signal draggingOccurred(var record)
    // A finger went down on the handle.
    signal pressed()

    readonly property point position: Mirrel.PictureMapping.viewPoint(point.point, imageSize,
                                                                      viewSize)

    Mirrel.TargetPoint {
        id: point
        target: root.target
        index: root.pointIndex
    }

    visible: target.isSelected
    enabled: target.isSelected

    function changed(location) {
        const record = Mirrel.TargetActions.record(target, pointIndex, location)
        if (record === undefined)
            return
        draggingOccurred(record)
        Mirrel.TargetActions.move(target, pointIndex, location, imageSize, viewSize)
    }

    // Also when the target stopped being selected under the finger (the card confirmed, another
    // target tapped with a second finger), which takes the drag away: the loupe must go. Only
    // a point of the selected target taps when let go.
    function ended(tap) {
        draggingOccurred(undefined)
        if (tap && target.isSelected)
            Mirrel.TargetActions.impact(target)
    }

    Item {
        id: handle
        anchors.fill: parent
    }

    MouseArea {
        id: touch
        objectName: "touchArea"
        width: 44
        height: 44
        x: root.position.x - width / 2
        y: root.position.y - height / 2
        preventStealing: true
        onPressed: mouse => {
            root.pressed()
            root.changed(mapToItem(root, mouse.x, mouse.y))
        }
        onPositionChanged: mouse => root.changed(mapToItem(root, mouse.x, mouse.y))
        onReleased: root.ended(true)
        // Taken away by the system: the loupe must not stay up, but nothing was let go.
        onCanceled: root.ended(false)
        // The target list changed under the finger and its views were made anew.
        Component.onDestruction: {
            if (pressed)
                root.ended(false)
        }
    }
}
