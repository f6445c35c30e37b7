import QtQuick
import Mirrel as Mirrel

// The measurement screen: picture, loupe, hint and bottom bar, over one session.
Item {
    id: root

    required property Mirrel.Storage storage

    Mirrel.CameraViewModel {
        id: model
    }

    Rectangle {
        anchors.fill: parent
        color: Mirrel.Palette.lightBackground
    }

    Text {
        anchors.centerIn: parent
        text: qsTrId(model.cameraState.hint)
        color: Mirrel.Palette.black
    }
}
