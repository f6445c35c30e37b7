// size: 390x844
import QtQuick
import Mirrel as Mirrel

// The picture just taken of the bundled scene: the card found by the detector, selected, with
// its corner handles, its nominal lengths and the check mark that confirms it.
Item {
    id: page

    property bool ready: false

    Mirrel.CameraViewModel {
        id: session
        onFrameChanged: {
            if (!page.ready && session.frame !== undefined && session.frame.hasImage) {
                actions.mainAction()
                page.ready = true
            }
        }
    }
    Mirrel.MeasurementActions {
        id: actions
        session: session
    }

    Mirrel.FrameView {
        model: session
        viewSize: Qt.size(page.width, page.height)
    }
}
