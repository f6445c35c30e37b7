// size: 1600x844
import QtQuick
import Mirrel as Mirrel

// The loupe for a finger in each quarter of the picture: on a corner of a new rectangle (top
// left), on the pencil's tip and end (top right, bottom right) and on a card corner (bottom
// left). The loupe sits in the opposite quarter; a white ring marks the finger.
Rectangle {
    id: page

    property bool ready: false
    property var fingers: []

    color: Mirrel.Palette.black

    Mirrel.CameraViewModel {
        id: session
        onFrameChanged: page.measure()
    }
    Mirrel.MeasurementActions {
        id: actions
        session: session
    }

    function measure() {
        if (ready || session.frame === undefined || !session.frame.hasImage)
            return
        actions.mainAction()
        actions.contextAction(session.referenceRectangle)
        actions.addMeasurableAction(1) // a rectangle
        actions.addMeasurableAction(0) // a line on the pencil
        const rectangle = session.measurableObjects[0]
        const line = session.measurableObjects[1]
        const card = session.referenceRectangle
        const size = Qt.size(390, 844)
        const imageSize = Qt.size(3024, 4032) // the bundled photo
        function at(target, index) {
            const finger = Mirrel.PictureMapping.viewPoint(target.points[index], imageSize, size)
            return target.neighbours(index, finger,
                                     Mirrel.PictureMapping.targetColor(target).toString())
        }
        // The card's bottom right corner; its left ones are cut off by the area.
        let corner = 0
        for (let i = 1; i < 4; ++i)
            if (card.points[i].x + card.points[i].y > card.points[corner].x + card.points[corner].y)
                corner = i
        fingers = [at(rectangle, 0), at(line, 1), at(card, corner), at(line, 0)]
        ready = true
    }

    Row {
        spacing: 10
        Repeater {
            model: page.fingers

            Item {
                id: panel
                required property var modelData
                width: 390
                height: 844
                clip: true

                Mirrel.FrameView {
                    model: session
                    viewSize: Qt.size(390, 844)
                }

                Rectangle {
                    x: panel.modelData.center.x - 22
                    y: panel.modelData.center.y - 22
                    width: 44
                    height: 44
                    radius: 22
                    color: "transparent"
                    border.color: "white"
                    border.width: 2
                }

                Mirrel.ZoomView {
                    anchors.fill: parent
                    viewSize: Qt.size(390, 844)
                    image: session.frame.image
                    draggedPoint: panel.modelData
                }
            }
        }
    }
}
