import QtQuick
import Mirrel as Mirrel

// The row of buttons at the foot of the measurement screen: save/restart on the left (or an
// empty place for it), the main button in the middle, settings on the right. The buttons only
// report presses; the screen decides what they do.
Item {
    id: root

    required property var cameraState

    readonly property bool saveShown: cameraState.name === "addTarget"
                                      || cameraState.name === "export"

    signal mainAction
    signal helpAction
    signal saveImageAction
    // CameraStates.line or CameraStates.rectangle.
    signal addMeasurableAction(int kind)

    implicitWidth: 16 + 44 + 8 + mainButton.implicitWidth + 8 + 44 + 16
    implicitHeight: mainButton.implicitHeight

    // Narrower than a phone (the window's smallest width) the row is shrunk as a whole: laid out
    // at its own width, the open add buttons would lie over the save and settings buttons and
    // take their presses.
    readonly property real fit: width > 0 && width < implicitWidth ? width / implicitWidth : 1

    Item {
        id: row

        anchors.centerIn: parent
        width: root.width / root.fit
        height: root.height
        scale: root.fit

        // The left place keeps its size when empty, so the row does not shift.
        Item {
            id: leftSlot

            x: 16
            width: 44
            height: 44
            anchors.verticalCenter: parent.verticalCenter

            Mirrel.CameraSaveImageButton {
                anchors.fill: parent
                visible: root.saveShown
                cameraState: root.cameraState
                onClicked: root.saveImageAction()
            }
        }

        Mirrel.CameraMainButton {
            id: mainButton

            anchors.centerIn: parent
            cameraState: root.cameraState
            onMainAction: root.mainAction()
            onAddMeasurableAction: kind => root.addMeasurableAction(kind)
        }

        Mirrel.CameraHelpButton {
            anchors.right: parent.right
            anchors.rightMargin: 16
            anchors.verticalCenter: parent.verticalCenter
            onClicked: root.helpAction()
        }
    }
}
