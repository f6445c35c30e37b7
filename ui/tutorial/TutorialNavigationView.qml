import QtQuick
import Mirrel as Mirrel

// The row above the picture: a skip button at the trailing edge, on every page but the first,
// where the row takes no room at all.
Item {
    id: root

    required property int page

    signal skipPressed

    implicitWidth: skip.implicitWidth
    implicitHeight: visible ? skip.implicitHeight : 0
    visible: page !== 0

    Text {
        id: skip

        objectName: "TutorialNavigationView_SkipButton"
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        // A comfortable target around the word.
        topPadding: 11
        bottomPadding: 11
        leftPadding: 8
        text: Mirrel.TextKeys.commonSkip
        color: Mirrel.Palette.accent
        font.pixelSize: 17
        Accessible.role: Accessible.Button
        Accessible.name: text
        // A screen reader's press skips, as a tap does.
        Accessible.onPressAction: root.skipPressed()

        TapHandler {
            onTapped: root.skipPressed()
        }
    }
}
