// size: 390x844
import QtQuick
import Mirrel as Mirrel

// The share sheet over the bundled photo, with the photo itself as the exported picture.
Item {
    id: page

    property bool ready: false

    Image {
        id: photo

        anchors.fill: parent
        source: "qrc:/mirrel/test.jpg"
        fillMode: Image.PreserveAspectCrop
        property bool grabbing: false

        // Once the photo is loaded and shown: grabbing needs a window on screen.
        function share() {
            if (status === Image.Ready && !grabbing && page.Window.window
                    && page.Window.window.visible)
                grabbing = photo.grabToImage(result => {
                    sheet.activityItems = [result.image];
                    page.ready = true;
                });
        }

        onStatusChanged: share()
    }

    Connections {
        target: page.Window.window

        function onFrameSwapped() {
            photo.share();
        }
    }

    Mirrel.ActivityViewController {
        id: sheet

        anchors.fill: parent
        activityItems: []
        backdrop: photo
    }
}
