import QtQuick
import Qt5Compat.GraphicalEffects
import Mirrel as Mirrel

// What the picture area shows when there is no picture: why the camera gives none, over the
// striped background. A missing permission comes with a button to the camera-permission help;
// any other camera failure with a message alone (a photo that cannot be used says why); no
// error with nothing at all.
Mirrel.Debug_BackgroundView {
    id: root

    // The session's error: undefined, or a camera error.
    required property var error
    // Why a photo cannot be used (missing, not an image, too large), when the error is that.
    property string photoReason: ""

    readonly property int errorCase: Mirrel.CameraErrorCase.caseFor(error)
    // Decided from the error itself: an item's visible reads false while any parent is hidden,
    // so a wrapper following the button's visible would stay hidden once it had been.
    readonly property bool permissionMissing: errorCase === Mirrel.CameraErrorCase.PermissionMissing

    // The go-to-settings button; it does nothing else.
    signal goToSettingsAction

    Item {
        id: stack

        implicitWidth: Math.max(icon.width, message.implicitWidth + 32,
                                root.permissionMissing ? settingsButton.width : 0)
        implicitHeight: column.implicitHeight

        Column {
            id: column

            width: parent.width
            spacing: 8
            visible: root.errorCase !== Mirrel.CameraErrorCase.Nothing
            layer.enabled: GraphicsInfo.api !== GraphicsInfo.Software
                           && GraphicsInfo.api !== GraphicsInfo.Unknown
            layer.effect: DropShadow {
                radius: 10
                samples: 21
                color: Qt.rgba(0, 0, 0, 0.33)
                transparentBorder: true
            }

            // The octagon alone; a failure gives it room of its own.
            Item {
                width: icon.width + (root.permissionMissing ? 0 : 32)
                height: icon.height + (root.permissionMissing ? 0 : 32)
                anchors.horizontalCenter: parent.horizontalCenter

                Mirrel.SymbolImage {
                    id: icon

                    objectName: "CameraErrorView_Icon"
                    anchors.centerIn: parent
                    width: 60
                    height: 60
                    name: "exclamationmark.octagon.fill"
                    color: Mirrel.Palette.alertRed
                }
            }

            Text {
                id: message

                objectName: "CameraErrorView_Message"
                x: 16
                width: parent.width - 32
                bottomPadding: root.permissionMissing ? 16 : 0
                text: {
                    switch (root.errorCase) {
                    case Mirrel.CameraErrorCase.PermissionMissing:
                        return qsTrId("Main_Error_CameraPermission");
                    case Mirrel.CameraErrorCase.CameraFailure:
                        return qsTrId("Main_Error_UknownError");
                    case Mirrel.CameraErrorCase.UnreadablePhoto:
                        return root.photoReason === ""
                                ? qsTrId("Main_Error_UnreadablePhoto")
                                : qsTrId("Main_Error_UnreadablePhotoReason").arg(root.photoReason);
                    }
                    return "";
                }
                color: Mirrel.Palette.white
                font.pixelSize: 17
                wrapMode: Text.Wrap
                horizontalAlignment: Text.AlignHCenter
            }

            Item {
                width: settingsButton.width
                height: settingsButton.height + 16
                anchors.horizontalCenter: parent.horizontalCenter
                visible: root.permissionMissing

                Mirrel.CapsuleButton {
                    id: settingsButton

                    objectName: "CameraErrorView_GoToSettingsButton"
                    y: 16
                    text: Mirrel.TextKeys.mainErrorGoToSettings
                    onClicked: root.goToSettingsAction()
                }
            }
        }
    }
}
