import QtQuick
import Mirrel as Mirrel

// The page's title and, below it, its summary.
Column {
    id: root

    required property int page

    spacing: 8

    Text {
        objectName: "TutorialTextView_Title"
        anchors.horizontalCenter: parent.horizontalCenter
        width: Math.min(implicitWidth, root.width)
        padding: 14
        text: qsTrId(Mirrel.TextKeys.tutorialTitles[root.page])
        color: Mirrel.Palette.systemBlack
        font.pixelSize: 17
        font.weight: Font.DemiBold
        wrapMode: Text.Wrap
    }

    Text {
        objectName: "TutorialTextView_Summary"
        anchors.horizontalCenter: parent.horizontalCenter
        width: Math.min(implicitWidth, root.width)
        text: qsTrId(Mirrel.TextKeys.tutorialSummaries[root.page])
        color: Mirrel.Palette.systemBlackFaded
        font.pixelSize: 15
        wrapMode: Text.Wrap
    }
}
