import QtQuick
import Mirrel as Mirrel

// The right button of the bottom bar: open the settings.
Mirrel.CameraRoundButton {
    id: root

    objectName: "CameraBottomView_CameraHelpButton"
    symbol: "gearshape"
    Accessible.name: qsTrId("Accessibility_Settings")
}
