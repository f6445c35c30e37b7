// size: 1200x640
import QtQuick
import Mirrel as Mirrel

// The hint banner and the bottom bar in every state of the measurement screen, over the
// bundled photo: take picture, confirm card, add target (closed and open), export.
Rectangle {
    color: "#202020"

    Flow {
        anchors.fill: parent
        anchors.margins: 5
        spacing: 5

        Repeater {
            model: [Mirrel.CameraStates.takePicture(), Mirrel.CameraStates.confirmCardSelection(false),
                Mirrel.CameraStates.addTarget(false), Mirrel.CameraStates.addTarget(true),
                Mirrel.CameraStates.exportPicture()]

            Item {
                required property var modelData

                width: 390
                height: 310
                clip: true

                Image {
                    anchors.fill: parent
                    source: "qrc:/mirrel/test.jpg"
                    fillMode: Image.PreserveAspectCrop
                    sourceSize.width: 780
                }

                Mirrel.HintView {
                    anchors.horizontalCenter: parent.horizontalCenter
                    y: 24
                    maximumWidth: parent.width - 32
                    cameraState: parent.modelData
                }

                Mirrel.CameraBottomView {
                    anchors.bottom: parent.bottom
                    anchors.bottomMargin: 20
                    width: parent.width
                    cameraState: parent.modelData
                }
            }
        }
    }
}
