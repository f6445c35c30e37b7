import QtQuick
import Mirrel as Mirrel

// The tutorial's main button, titled for the page it moves on from.
Mirrel.TutorialButtonStyle {
    id: root

    required property int page

    signal buttonPressed

    objectName: "TutorialPageButton"
    text: qsTrId(Mirrel.TextKeys.tutorialNextButtonTitles[page])
    onClicked: root.buttonPressed()
}
