import QtQuick
import QtQuick.Layouts
import Mirrel as Mirrel

// The first-run tutorial: five pages, each a picture, a title and a summary between the skip
// row and the main button, with the page dots at the foot. Pages change only through the two
// buttons (on the desktop also through their keys); finishing writes Storage.isTutorialSeen,
// and the application then shows the measurement screen.
Rectangle {
    id: root

    required property Mirrel.Storage storage
    // The page to start on; the application always starts on the first.
    property int startPage: 0
    // The page shown.
    readonly property int page: flow.page

    // Set while the main button changes the page, which fades the new page in; the camera
    // answer's change arrives later and shows at once.
    property bool animatesPageChange: false
    // False while the tutorial is leaving (or kept away): its keys are then the measurement
    // screen's, which may lie behind it with shortcuts on the same keys.
    property bool onScreen: true

    // The main button, by pointer or key.
    function next() {
        root.animatesPageChange = true;
        flow.next();
        root.animatesPageChange = false;
    }

    // The skip button, which the first page does not have.
    function skip() {
        if (root.page !== 0)
            flow.finish();
    }

    color: Mirrel.Palette.lightBackground

    onPageChanged: {
        if (animatesPageChange)
            fadeIn.restart();
    }

    Mirrel.TutorialFlow {
        id: flow

        storage: root.storage
        Component.onCompleted: page = root.startPage
    }

    ColumnLayout {
        id: column

        objectName: "TutorialView_Column"
        anchors.top: parent.top
        anchors.bottom: dots.top
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.margins: 16
        // A phone's width; wider windows keep it in the middle.
        width: Math.min(parent.width - 32, 480)
        spacing: 8

        Mirrel.TutorialNavigationView {
            Layout.fillWidth: true
            Layout.preferredHeight: implicitHeight
            page: root.page
            onSkipPressed: root.skip()
        }

        Item {
            Layout.fillHeight: true
        }

        Image {
            objectName: "TutorialView_Picture"
            Layout.preferredWidth: 170
            Layout.preferredHeight: 170
            Layout.alignment: Qt.AlignHCenter
            source: flow.image
            sourceSize: Qt.size(340, 340)
            fillMode: Image.PreserveAspectFit
            smooth: true
        }

        Item {
            Layout.fillHeight: true
        }

        Mirrel.TutorialTextView {
            Layout.fillWidth: true
            page: root.page
        }

        Item {
            Layout.fillHeight: true
        }

        Mirrel.TutorialPageButton {
            Layout.fillWidth: true
            page: root.page
            onButtonPressed: root.next()
        }
    }

    NumberAnimation {
        id: fadeIn

        target: column
        property: "opacity"
        from: 0.3
        to: 1
        duration: 100
        easing.type: Easing.InOutQuad
    }

    Mirrel.TutorialPageControl {
        id: dots

        anchors.bottom: parent.bottom
        anchors.bottomMargin: 16
        anchors.horizontalCenter: parent.horizontalCenter
        page: root.page
    }

    // A desktop user's keys: forwards as the main button (also finishing on the last page),
    // and Escape as the skip button. There is no way back, as there is none by the buttons.
    // A held key moves on once: its repeats would run through the pages, and past the last
    // one into the measurement screen.
    Shortcut {
        sequences: ["Right", "PgDown", "Space", "Return", "Enter"]
        enabled: root.onScreen
        autoRepeat: false
        onActivated: root.next()
    }
    Shortcut {
        sequence: StandardKey.Cancel
        enabled: root.onScreen
        autoRepeat: false
        onActivated: root.skip()
    }
}
