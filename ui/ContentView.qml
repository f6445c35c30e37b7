import QtQuick
import Mirrel as Mirrel

// The root view: the tutorial until it has been seen, the measurement screen afterwards. A test
// run goes straight to the measurement screen. When the choice changes, the leaving screen
// shrinks away while the arriving one grows in. The tutorial shown again from the settings
// leaves the measurement screen as it was underneath.
Item {
    id: root

    required property Mirrel.Storage storage

    readonly property bool showsTutorial: !storage.isTutorialSeen
                                          && !Mirrel.ProcessFacts.isUITest
    readonly property Item screen: showsTutorial ? tutorial.item : measurement.item

    clip: true

    component ScaledScreen: Loader {
        required property bool shown
        // Kept, hidden, once made: the measurement screen holds the user's card and lines
        // while the tutorial shows in its place ("How to use" in the settings).
        property bool kept: false
        property bool made: false

        anchors.fill: parent
        active: shown || scale > 0 || (kept && made)
        visible: shown || scale > 0
        onLoaded: made = true
        scale: shown ? 1 : 0
        opacity: shown ? 1 : 0
        Behavior on scale {
            NumberAnimation {
                duration: 100
                easing.type: Easing.InOutQuad
            }
        }
        Behavior on opacity {
            NumberAnimation {
                duration: 100
                easing.type: Easing.InOutQuad
            }
        }
    }

    ScaledScreen {
        id: tutorial
        objectName: "tutorialScreen"
        shown: root.showsTutorial
        sourceComponent: Mirrel.TutorialView {
            storage: root.storage
            onScreen: root.showsTutorial
        }
    }

    ScaledScreen {
        id: measurement
        objectName: "measurementScreen"
        shown: !root.showsTutorial
        kept: true
        sourceComponent: Mirrel.CameraView {
            storage: root.storage
            onScreen: !root.showsTutorial
        }
    }
}
