import QtQuick
import Mirrel as Mirrel

// The left button of the bottom bar: export the picture, or, while exporting, start over.
Mirrel.CameraRoundButton {
    id: root

    required property var cameraState

    symbol: cameraState.name === "export" ? "arrow.counterclockwise" : "checkmark"
    Accessible.name: cameraState.name === "export" ? qsTrId("Accessibility_BackToCamera")
                                                   : qsTrId("Accessibility_Finish")
}
