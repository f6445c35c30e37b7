// size: 780x700
import QtQuick
import Mirrel as Mirrel

// Length labels up close, twice their size: the selected rectangle's with their ring, the
// upside-down label of its bottom edge (drawn right to left), the unselected pencil line's
// without a ring, and the card's nominal lengths.
Rectangle {
    id: page

    property bool ready: false

    color: Mirrel.Palette.black

    Mirrel.CameraViewModel {
        id: session
        onFrameChanged: {
            if (page.ready || session.frame === undefined || !session.frame.hasImage)
                return
            actions.mainAction()
            actions.contextAction(session.referenceRectangle)
            actions.addMeasurableAction(0) // a line on the pencil
            actions.addMeasurableAction(1) // a rectangle, selected
            page.ready = true
        }
    }
    Mirrel.MeasurementActions {
        id: actions
        session: session
    }

    Item {
        anchors.fill: parent
        clip: true

        Mirrel.FrameView {
            model: session
            viewSize: Qt.size(390, 844)
            transformOrigin: Item.TopLeft
            scale: 2
            x: 0
            y: -580
        }
    }
}
