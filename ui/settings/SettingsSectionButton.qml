import QtQuick
import Mirrel as Mirrel

// A row of the settings that does something when its title (or its chevron) is tapped. A
// centred row shows its title in the middle and no chevron.
Item {
    id: root

    required property string title
    property bool centerContent: false

    signal action

    implicitWidth: label.implicitWidth + (centerContent ? 0 : 8 + chevron.width)
    implicitHeight: 44
    // A tap does not take the focus, so the ring shows only for a keyboard user.
    activeFocusOnTab: true
    Keys.onSpacePressed: root.action()
    Keys.onReturnPressed: root.action()
    Keys.onEnterPressed: root.action()

    Mirrel.FocusRing {
        visible: root.activeFocus
    }

    Text {
        id: label

        objectName: "SettingsSectionButton_Title"
        anchors.verticalCenter: parent.verticalCenter
        x: root.centerContent ? (root.width - width) / 2 : 0
        width: Math.min(implicitWidth, root.width - (root.centerContent ? 0 : 8 + chevron.width))
        text: root.title
        color: Mirrel.Palette.accent
        font.pixelSize: 17
        font.weight: Font.DemiBold
        elide: Text.ElideRight
        Accessible.role: Accessible.Button
        Accessible.name: text
        // A screen reader's press acts, as a tap does.
        Accessible.onPressAction: root.action()

        TapHandler {
            onTapped: root.action()
        }

        HoverHandler {
            cursorShape: Qt.PointingHandCursor
        }
    }

    Mirrel.SymbolImage {
        id: chevron

        objectName: "SettingsSectionButton_Chevron"
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        visible: !root.centerContent
        name: "chevron.right"
        color: Mirrel.Palette.accent
        bold: true
        scale: 1.7

        TapHandler {
            onTapped: root.action()
        }

        HoverHandler {
            cursorShape: Qt.PointingHandCursor
        }
    }
}
