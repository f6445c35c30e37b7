// size: 390x844
import QtQuick
import Mirrel as Mirrel

// The whole measurement screen on the bundled scene: the card confirmed, a line laid on the
// pencil and selected, with the hint and the buttons of that state.
Item {
    id: page

    property bool ready: false

    Mirrel.Storage {
        id: storage
    }

    Mirrel.CameraView {
        id: screen
        anchors.fill: parent
        storage: storage
    }

    Mirrel.MeasurementActions {
        id: actions
        session: screen.model
    }

    Connections {
        target: screen.model
        function onFrameChanged() {
            const frame = screen.model.frame;
            if (page.ready || frame === undefined || !frame.hasImage)
                return;
            actions.mainAction(); // take the picture
            actions.mainAction(); // confirm the card
            actions.addMeasurableAction(Mirrel.CameraStates.line);
            page.ready = true;
        }
    }
}
