import QtQuick
import QtQuick.Templates as T

// The pressed look of every bottom-bar button: shrunk to 90 % while pressed, with a short ease
// either way. The labels draw their symbols bold.
T.AbstractButton {
    id: control

    scale: pressed ? 0.9 : 1.0
    focusPolicy: Qt.NoFocus
    // A screen reader's press clicks the button, as the mouse does.
    Accessible.onPressAction: {
        if (control.enabled)
            control.clicked();
    }

    Behavior on scale {
        NumberAnimation {
            duration: 100
            easing.type: Easing.InOutQuad
        }
    }
}
