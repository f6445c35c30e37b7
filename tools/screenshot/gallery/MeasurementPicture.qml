// size: 390x844
import QtQuick
import Mirrel as Mirrel

// The measurement picture on the bundled scene: the card confirmed, then a line on the pencil
// and a new rectangle, which is selected.
Item {
    id: page

    property bool ready: false

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
        actions.addMeasurableAction(0) // a line
        actions.addMeasurableAction(1) // a rectangle
        ready = true
    }

    Mirrel.FrameView {
        model: session
        viewSize: Qt.size(page.width, page.height)
        imageLabel: qsTrId("Content from camera")
    }
}
