import QtQuick
import Qt5Compat.GraphicalEffects
import Mirrel as Mirrel

// The shutter in the middle of the bottom bar: take the picture, confirm the card, show or hide
// the add buttons, share. While the add buttons show, it is flanked by them.
Item {
    id: root

    required property var cameraState

    readonly property bool addButtonsShown: cameraState.name === "addTarget"
                                            && cameraState.selected
    // The look of the button in the current state.
    readonly property bool ring: cameraState.name === "takePicture"
                                 || cameraState.name === "confirmCardSelection"
    readonly property color discColor: {
        if (cameraState.name === "addTarget")
            return cameraState.selected ? Mirrel.Palette.alertRed : Mirrel.Palette.lightGray;
        return Mirrel.Palette.accent;
    }
    readonly property real discInset: ring ? 8 : 0
    readonly property string icon: {
        switch (cameraState.name) {
        case "confirmCardSelection":
            return "checkmark";
        case "addTarget":
            return "plus";
        case "export":
            return "square.and.arrow.up";
        }
        return "";
    }
    readonly property color iconColor: cameraState.name === "addTarget" && !cameraState.selected
                                       ? Mirrel.Palette.black : Mirrel.Palette.white
    readonly property real iconRotation: addButtonsShown ? 45 : 0
    // What a screen reader calls the button in the current state.
    readonly property string accessibleName: {
        switch (cameraState.name) {
        case "takePicture":
            return qsTrId("Accessibility_TakePicture");
        case "confirmCardSelection":
            return qsTrId("Accessibility_ConfirmCard");
        case "addTarget":
            return addButtonsShown ? qsTrId("Accessibility_CloseAdd") : qsTrId("Accessibility_Add");
        case "export":
            return qsTrId("Accessibility_Share");
        }
        return "";
    }

    signal mainAction
    // The kind of target to add: CameraStates.line or CameraStates.rectangle.
    signal addMeasurableAction(int kind)

    // Room for the main button and both add buttons, so the main button stays in the middle.
    implicitWidth: 3 * 66 + 2 * 8
    implicitHeight: 66

    Mirrel.CameraAddButton {
        objectName: "CameraMainButton_AddLineButton"
        anchors.verticalCenter: parent.verticalCenter
        x: mainButton.x - 8 - width
        shown: root.addButtonsShown
        symbol: "line.diagonal"
        symbolRotation: 90
        accessibleName: qsTrId("Accessibility_AddLine")
        fromScale: 0.6
        fromOffset: 66
        onClicked: root.addMeasurableAction(Mirrel.CameraStates.line)
    }

    Mirrel.CameraButtonStyle {
        id: mainButton

        objectName: "CameraBottomView_CameraMainButton"
        anchors.centerIn: parent
        width: 66
        height: 66
        Accessible.role: Accessible.Button
        Accessible.name: root.accessibleName
        onClicked: root.mainAction()

        contentItem: Item {
            id: face

            layer.enabled: GraphicsInfo.api !== GraphicsInfo.Software
                           && GraphicsInfo.api !== GraphicsInfo.Unknown
            layer.effect: DropShadow {
                radius: 2
                samples: 5
                color: Qt.rgba(0, 0, 0, 0.33)
                transparentBorder: true
            }

            // Stroked on the 66-point circle, so half of it lies outside.
            Rectangle {
                objectName: "CameraMainButton_Ring"
                anchors.centerIn: parent
                width: 66 + 6
                height: width
                radius: width / 2
                visible: root.ring
                color: "transparent"
                border.color: Mirrel.Palette.white
                border.width: 6
                antialiasing: true
            }

            Rectangle {
                objectName: "CameraMainButton_Disc"
                anchors.fill: parent
                anchors.margins: root.discInset
                radius: width / 2
                color: root.discColor
                antialiasing: true

                Behavior on color {
                    ColorAnimation {
                        duration: 100
                        easing.type: Easing.InOutQuad
                    }
                }
            }

            Mirrel.SymbolImage {
                objectName: "CameraMainButton_Icon"
                anchors.centerIn: parent
                visible: root.icon !== ""
                name: root.icon
                color: root.iconColor
                bold: true
                rotation: root.iconRotation
                scale: 1.7

                Behavior on rotation {
                    NumberAnimation {
                        duration: 100
                        easing.type: Easing.InOutQuad
                    }
                }
            }
        }
    }

    Mirrel.CameraAddButton {
        objectName: "CameraMainButton_AddRectangleButton"
        anchors.verticalCenter: parent.verticalCenter
        x: mainButton.x + mainButton.width + 8
        shown: root.addButtonsShown
        symbol: "square"
        accessibleName: qsTrId("Accessibility_AddRectangle")
        fromScale: 0.5
        fromOffset: -66
        onClicked: root.addMeasurableAction(Mirrel.CameraStates.rectangle)
    }
}
