import QtQuick
import Mirrel as Mirrel

// The settings' header: the app's title over its logo.
Column {
    id: root

    // The side of the logo's box.
    readonly property real logoSize: 100

    spacing: 0

    Text {
        objectName: "SettingsTopView_Title"
        anchors.horizontalCenter: parent.horizontalCenter
        bottomPadding: 16
        text: Mirrel.TextKeys.commonTitle
        color: Mirrel.Palette.white
        font.pixelSize: 28
    }

    Item {
        anchors.horizontalCenter: parent.horizontalCenter
        width: root.logoSize
        height: root.logoSize

        Rectangle {
            anchors.fill: parent
            radius: 20
            color: Qt.rgba(Mirrel.Palette.systemWhite.r, Mirrel.Palette.systemWhite.g,
                           Mirrel.Palette.systemWhite.b, 0.1)
            border.color: Mirrel.Palette.accent
            border.width: 2
            antialiasing: true
        }

        Image {
            anchors.centerIn: parent
            width: 0.61 * root.logoSize
            height: width
            source: "qrc:/mirrel/tutorial/tutorial_default.svg"
            sourceSize: Qt.size(2 * width, 2 * height)
            fillMode: Image.PreserveAspectFit
            smooth: true
        }
    }
}
