import QtQuick
import Qt5Compat.GraphicalEffects
import Mirrel as Mirrel

// One of the two small buttons beside the main button that add a line or a rectangle: an
// accent symbol on a white disc. It comes and goes growing from `fromScale` and sliding in from
// `fromOffset` points away.
Item {
    id: root

    required property bool shown
    required property string symbol
    required property string accessibleName
    property real symbolRotation: 0
    property real fromScale: 0.6
    // Where it slides in from: positive from the trailing side, negative from the leading one.
    property real fromOffset: 66

    // 0 gone, 1 in place.
    property real progress: shown ? 1 : 0

    signal clicked

    width: 66
    height: 66
    visible: progress > 0
    scale: fromScale + (1 - fromScale) * progress
    transform: Translate {
        x: (1 - root.progress) * root.fromOffset
    }

    Behavior on progress {
        NumberAnimation {
            duration: 100
            easing.type: Easing.InOutQuad
        }
    }

    Mirrel.CameraButtonStyle {
        id: button

        anchors.fill: parent
        enabled: root.shown
        Accessible.role: Accessible.Button
        Accessible.name: root.accessibleName
        onClicked: root.clicked()

        contentItem: Item {
            Rectangle {
                anchors.fill: parent
                radius: width / 2
                color: Mirrel.Palette.white
                antialiasing: true
                layer.enabled: GraphicsInfo.api !== GraphicsInfo.Software
                               && GraphicsInfo.api !== GraphicsInfo.Unknown
                layer.effect: DropShadow {
                    radius: 2
                    samples: 5
                    color: Qt.rgba(0, 0, 0, 0.33)
                    transparentBorder: true
                }
            }

            Mirrel.SymbolImage {
                objectName: "CameraAddButton_Symbol"
                anchors.centerIn: parent
                name: root.symbol
                color: Mirrel.Palette.accent
                bold: true
                scale: 1.7
                rotation: root.symbolRotation
            }
        }
    }
}
