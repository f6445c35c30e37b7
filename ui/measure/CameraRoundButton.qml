import QtQuick
import Mirrel as Mirrel

// The save/restart and the settings button: an accent symbol on a light disc in an accent
// ring, laid out as a 44-point square.
Mirrel.CameraButtonStyle {
    id: control

    required property string symbol

    implicitWidth: 44
    implicitHeight: 44
    Accessible.role: Accessible.Button

    // The disc is the symbol with the standard padding around it, so it reaches past the
    // 44-point square it is laid out in.
    readonly property real discSize: 22 + 2 * 16

    background: Item {
        // What lies behind the styled button: a plain circle in the default foreground.
        Rectangle {
            anchors.centerIn: parent
            width: control.discSize
            height: width
            radius: width / 2
            color: Mirrel.Palette.systemBlack
            antialiasing: true
        }
    }

    contentItem: Item {
        Rectangle {
            objectName: "CameraRoundButton_Disc"
            anchors.centerIn: parent
            width: control.discSize
            height: width
            radius: width / 2
            color: Mirrel.Palette.lightBackground
            border.color: Mirrel.Palette.accent
            border.width: Mirrel.Palette.standardLineWidth
            antialiasing: true

            Mirrel.SymbolImage {
                objectName: "CameraRoundButton_Symbol"
                anchors.centerIn: parent
                name: control.symbol
                color: Mirrel.Palette.accent
                bold: true
                scale: 1.7
            }
        }
    }
}
