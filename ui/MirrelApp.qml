import QtQuick
import Mirrel as Mirrel

// The one window. It owns the settings store for the whole run and shows the root view.
Window {
    id: window

    width: 390
    height: 844
    minimumWidth: 320
    minimumHeight: 480
    visible: true
    title: Qt.application.displayName

    Mirrel.Storage {
        id: appStorage
    }

    Mirrel.ContentView {
        anchors.fill: parent
        storage: appStorage
    }
}
