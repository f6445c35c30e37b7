import QtQuick
import Mirrel as Mirrel

// The root view: the tutorial until it has been seen, the measurement screen afterwards.
Item {
    id: root

    required property Mirrel.Storage storage

    Mirrel.CameraView {
        anchors.fill: parent
        storage: root.storage
    }
}
