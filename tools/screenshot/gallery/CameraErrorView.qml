// size: 1200x844
import QtQuick
import Mirrel as Mirrel

// The error view's three cases side by side: permission missing, another camera failure,
// nothing to report.
Row {
    spacing: 15

    Repeater {
        // CameraManager's deniedAuthorization and cameraUnavailable, as QML sees them.
        model: [4, 1, undefined]

        Mirrel.CameraErrorView {
            required property var modelData

            width: 390
            height: 844
            error: modelData
        }
    }
}
