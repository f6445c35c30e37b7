// size: 390x844
import QtQuick
import Mirrel as Mirrel

// The share sheet over the measurement picture of the bundled scene (the card confirmed and a
// line on the pencil), with that picture, as the measure screen renders it, as the export.
Item {
    id: page

    property bool ready: false
    property bool measured: false
    property bool grabbing: false

    Mirrel.CameraViewModel {
        id: session
        onFrameChanged: page.measure()
    }
    Mirrel.MeasurementActions {
        id: actions
        session: session
    }

    function measure() {
        if (measured || session.frame === undefined || !session.frame.hasImage)
            return
        actions.mainAction()
        actions.contextAction(session.referenceRectangle)
        actions.addMeasurableAction(0) // a line
        actions.saveImageAction() // to the export, which selects nothing
        measured = true
    }

    // Once the picture is measured and shown: grabbing needs a window on screen.
    function share() {
        if (!measured || grabbing || !frameView.hasImage || !page.Window.window
                || !page.Window.window.visible)
            return
        grabbing = frameView.grabToImage(result => {
            sheet.activityItems = [result.image];
            page.ready = true;
        });
    }

    Mirrel.FrameView {
        id: frameView
        model: session
        viewSize: Qt.size(page.width, page.height)
        imageLabel: qsTrId("Content from camera")
    }

    Connections {
        target: page.Window.window

        function onFrameSwapped() {
            page.share();
        }
    }

    Mirrel.ActivityViewController {
        id: sheet

        anchors.fill: parent
        activityItems: []
        backdrop: frameView
    }
}
