import QtQuick
import QtQuick.Dialogs
import Mirrel as Mirrel

// The measurement screen: the picture with the card and the targets, the loupe while a point is
// dragged, the hint and the buttons, the share sheet; the settings take its place while they
// are open. It owns the session, which keeps the card and the targets while the settings show.
Item {
    id: root

    required property Mirrel.Storage storage

    readonly property alias model: session
    // The point being dragged, for the loupe; the no-point record while none is.
    readonly property var noPoint: Mirrel.LoupeLayout.noPoint()
    property var draggedPoint: noPoint
    // The point the arrow keys move: the one of the selected target last pressed; none when
    // activeTarget is null, as it becomes when the target is deleted.
    property Mirrel.TargetModel activeTarget: null
    property int activePointIndex: -1
    // An arrow key holds the loupe up.
    property bool nudging: false
    property bool shareActivityVisible: false
    // The last exported picture.
    property var snapshotImage: undefined
    // One line about a photo that could not be opened; empty when there is none.
    property string photoMessage: ""
    // A photo that takes more than a moment to decode (a large scan) says it is on its way.
    property bool openingShown: false
    // False while another screen (the tutorial) shows in its place: the camera is off and the
    // keys are that screen's; the card and the targets stay.
    property bool onScreen: true
    // Not under the share sheet, and not while the settings or the tutorial show: their lists
    // take the arrows.
    readonly property bool arrowKeysEnabled: onScreen && !storage.showSettings
                                             && !shareActivityVisible && activeTarget !== null

    // The main action in the export state: render the picture area as it is (nothing selected
    // while exporting) at the photo's own resolution, and offer it to share.
    function exportPicture() {
        const frameView = measurementLayers.item ? measurementLayers.item.frameView : null;
        if (!frameView || !frameView.hasImage)
            return;
        const scale = Mirrel.PictureMapping.exportScale(frameView.imageSize, frameView.viewSize);
        frameView.grabToImage(result => {
                root.snapshotImage = result.image;
                root.shareActivityVisible = true;
            }, Qt.size(Math.round(frameView.width * scale), Math.round(frameView.height * scale)));
    }

    // Ctrl+S: straight to the share sheet from wherever targets are added or exported.
    function saveShortcut() {
        const state = session.cameraState.name;
        if (state === "addTarget")
            actions.saveImageAction();
        if (session.cameraState.name === "export")
            actions.mainAction();
    }

    function deleteSelectedTarget() {
        const targets = session.measurableObjects;
        for (let i = 0; i < targets.length; ++i) {
            if (targets[i].isSelected) {
                Mirrel.TargetActions.deleteTarget(session, targets[i]);
                return;
            }
        }
    }

    function openPhotoDialog() {
        photoDialog.open();
    }

    // An arrow key: the active point moves by whole pixels of the photo and the loupe shows it
    // until the key is let go, which the key catcher hears once it has the focus.
    function nudgeActivePoint(dx, dy) {
        const frameView = measurementLayers.item ? measurementLayers.item.frameView : null;
        if (!frameView || !frameView.hasImage || root.activeTarget === null)
            return;
        const record = Mirrel.TargetActions.nudge(root.activeTarget, root.activePointIndex, dx, dy,
                                                  frameView.imageSize, frameView.viewSize);
        if (record === undefined)
            return;
        root.draggedPoint = record;
        root.nudging = true;
        keyCatcher.forceActiveFocus();
    }

    // As a finger lifting: the loupe goes and, when the key was let go, one light tap.
    function endNudge(tap) {
        if (!root.nudging)
            return;
        root.nudging = false;
        root.draggedPoint = root.noPoint;
        if (tap && root.activeTarget !== null)
            Mirrel.TargetActions.impact(root.activeTarget);
    }

    function clearActivePoint() {
        endNudge(false);
        root.activeTarget = null;
        root.activePointIndex = -1;
    }

    Mirrel.CameraViewModel {
        id: session
    }

    Mirrel.MeasurementActions {
        id: actions
        session: session
        onExportRequested: root.exportPicture()
    }

    Mirrel.PhotoOpener {
        id: opener
        session: session
        onOpened: root.photoMessage = ""
        onFailed: message => root.photoMessage = qsTrId("OpenPhoto_Failed").arg(message)
        onBusyChanged: {
            if (!busy)
                root.openingShown = false;
        }
    }

    // Not at once: most photos open before the message could be read.
    Timer {
        interval: 300
        running: opener.busy
        onTriggered: root.openingShown = opener.busy
    }

    // A photo that could not be opened is old news once the user starts another measurement:
    // back on the live picture, or a picture taken.
    Connections {
        target: session
        function onCameraStateChanged() {
            const state = session.cameraState.name;
            if (state === "takePicture" || state === "confirmCardSelection")
                root.photoMessage = "";
            if (state === "takePicture")
                root.clearActivePoint();
        }
    }

    // Another target selected, or none: the keys no longer move this one's point.
    Connections {
        target: root.activeTarget
        function onIsSelectedChanged(isSelected) {
            if (!isSelected)
                root.clearActivePoint();
        }
    }

    // Takes the focus while an arrow key moves a point, only to hear the key let go: a shortcut
    // is told of presses alone. Losing the focus (another window, a sheet) ends it as well.
    Item {
        id: keyCatcher
        objectName: "keyCatcher"
        Keys.onReleased: event => {
            const arrows = [Qt.Key_Left, Qt.Key_Right, Qt.Key_Up, Qt.Key_Down];
            if (!event.isAutoRepeat && arrows.includes(event.key))
                root.endNudge(true);
        }
        onActiveFocusChanged: {
            if (!activeFocus)
                root.endNudge(false);
        }
    }

    // Everything but the settings; gone (and the camera stopped) while the settings or another
    // screen show.
    Loader {
        id: measurementLayers
        objectName: "measurementLayers"
        anchors.fill: parent
        active: !root.storage.showSettings && root.onScreen
        sourceComponent: measurementComponent
    }

    Loader {
        id: settings
        objectName: "settings"
        anchors.fill: parent
        active: root.storage.showSettings
        // The store is required: it is given at creation, or the settings are not made at all.
        sourceComponent: Mirrel.SettingsView {
            storage: root.storage
            onCloseAction: root.storage.showSettings = !root.storage.showSettings
            // The tutorial first: closing the settings before would start the camera for a
            // moment.
            onHowToUseAction: {
                root.storage.isTutorialSeen = false;
                root.storage.showSettings = !root.storage.showSettings;
            }
        }
    }

    Component {
        id: measurementComponent

        Item {
            id: layers

            readonly property alias frameView: frameView

            Component.onCompleted: session.startCapture()
            Component.onDestruction: session.stopCapture()

            Mirrel.FrameView {
                id: frameView
                objectName: "frameView"
                model: session
                viewSize: Qt.size(layers.width, layers.height)
                imageLabel: qsTrId("Content from camera")
                activeTarget: root.activeTarget
                activePointIndex: root.activePointIndex
                onDraggingOccurred: record => root.draggedPoint = record === undefined
                                    || record === null ? root.noPoint : record
                onPointPressed: (target, index) => {
                    root.endNudge(false);
                    root.activeTarget = target;
                    root.activePointIndex = index;
                }
                onTargetContextAction: target => actions.contextAction(target)
            }

            Mirrel.ZoomView {
                objectName: "zoomView"
                anchors.fill: parent
                visible: frameView.hasImage
                viewSize: frameView.viewSize
                image: frameView.hasImage ? session.frame.image : undefined
                draggedPoint: root.draggedPoint
                opacity: root.draggedPoint.center.x === 0 && root.draggedPoint.center.y === 0
                         ? 0 : 1
                // The drag's 0.1-second ease played at 0.3 speed.
                Behavior on opacity {
                    NumberAnimation {
                        duration: 333
                        easing.type: Easing.InOutQuad
                    }
                }
            }

            // Hint on top, buttons at the foot; both give way to the error view.
            Item {
                id: chrome
                anchors.fill: parent
                anchors.margins: 12
                visible: session.error === undefined

                // Centred, clear of the photo button on the left and of the same room on the
                // right. Where that is too narrow for a word of the hint (the narrowest
                // windows), the hint takes all the room right of the button instead.
                Mirrel.HintView {
                    objectName: "hintView"

                    readonly property real besideButton: openButton.width + 8
                    // Centred, unless that breaks words or leaves the text so narrow a column
                    // that it stacks a word or two a line (a narrow window, a long language).
                    readonly property bool centred:
                        wholeWordsWidth <= parent.width - 2 * besideButton
                        && textRoom(parent.width - 2 * besideButton) >= 7 * 17 // letters of 17 px

                    anchors.top: parent.top
                    anchors.horizontalCenter: parent.horizontalCenter
                    anchors.horizontalCenterOffset: centred ? 0 : besideButton / 2
                    cameraState: session.cameraState
                    maximumWidth: parent.width - (centred ? 2 : 1) * besideButton
                }

                Mirrel.CameraBottomView {
                    objectName: "CameraBottomView"
                    anchors.bottom: parent.bottom
                    anchors.left: parent.left
                    anchors.right: parent.right
                    cameraState: session.cameraState
                    onMainAction: actions.mainAction()
                    onHelpAction: root.storage.showSettings = !root.storage.showSettings
                    onSaveImageAction: actions.saveImageAction()
                    onAddMeasurableAction: kind => actions.addMeasurableAction(kind)
                }
            }

            // Beside the chrome rather than in it: a photo that cannot be opened must say so
            // also while the camera's error hides the buttons.
            Rectangle {
                objectName: "photoMessage"
                visible: root.photoMessage !== "" || root.openingShown
                anchors.horizontalCenter: chrome.horizontalCenter
                anchors.bottom: chrome.bottom
                anchors.bottomMargin: 92
                width: Math.min(message.implicitWidth, chrome.width - 24)
                height: message.implicitHeight
                radius: 10
                color: Qt.rgba(0, 0, 0, 0.7)

                Text {
                    id: message
                    width: parent.width
                    wrapMode: Text.Wrap
                    horizontalAlignment: Text.AlignHCenter
                    padding: 10
                    text: root.openingShown ? qsTrId("OpenPhoto_Opening") : root.photoMessage
                    color: Mirrel.Palette.white
                }
            }

            // Open a photo instead of the camera: top left, clear of the hint.
            Mirrel.CameraRoundButton {
                id: openButton
                objectName: "CameraView_OpenPhotoButton"
                anchors.top: parent.top
                anchors.left: parent.left
                anchors.margins: 12 + 5
                symbol: "photo"
                Accessible.name: qsTrId("OpenPhoto_DialogTitle")
                onClicked: root.openPhotoDialog()
            }
        }
    }

    Loader {
        id: shareSheet
        objectName: "shareSheet"
        anchors.fill: parent
        active: root.shareActivityVisible
        sourceComponent: Mirrel.ActivityViewController {
            activityItems: root.snapshotImage !== undefined ? [root.snapshotImage] : []
            backdrop: measurementLayers
            onDismissed: root.shareActivityVisible = false
        }
    }

    FileDialog {
        id: photoDialog
        objectName: "photoDialog"
        title: qsTrId("OpenPhoto_DialogTitle")
        nameFilters: opener.nameFilters
        fileMode: FileDialog.OpenFile
        // Then wherever the last photo came from.
        currentFolder: opener.startFolder
        onAccepted: opener.open(selectedFile)
    }

    // A dropped photo is opened where Ctrl+O would open one: not under the share sheet, whose
    // picture is the measurement on screen, nor behind the open dialog.
    DropArea {
        anchors.fill: parent
        enabled: root.onScreen && !root.shareActivityVisible && !photoDialog.visible
        keys: ["text/uri-list"]
        onDropped: drop => {
            if (drop.hasUrls && drop.urls.length > 0) {
                opener.open(drop.urls[0]);
                drop.accept(Qt.CopyAction);
            }
        }
    }

    // Held, the main button's keys act once: their repeats would run through the states.
    Shortcut {
        sequences: ["Space", "Return", "Enter"]
        enabled: root.onScreen && !root.storage.showSettings && !root.shareActivityVisible
                 && session.error === undefined
        autoRepeat: false
        onActivated: actions.mainAction()
    }
    Shortcut {
        sequence: StandardKey.Save
        enabled: root.onScreen && !root.storage.showSettings && !root.shareActivityVisible
        autoRepeat: false
        onActivated: root.saveShortcut()
    }
    Shortcut {
        sequence: StandardKey.Open
        enabled: root.onScreen && !root.shareActivityVisible
        onActivated: root.openPhotoDialog()
    }
    Shortcut {
        sequence: "Ctrl+,"
        enabled: root.onScreen && !root.shareActivityVisible
        onActivated: root.storage.showSettings = !root.storage.showSettings
    }
    Shortcut {
        sequences: [StandardKey.Delete, "Backspace"]
        enabled: root.onScreen && !root.storage.showSettings && !root.shareActivityVisible
        onActivated: root.deleteSelectedTarget()
    }
    Shortcut {
        sequence: StandardKey.Cancel
        enabled: root.onScreen && root.storage.showSettings && !root.shareActivityVisible
        onActivated: root.storage.showSettings = false
    }
    // The arrows nudge the active point by a pixel of the photo, ten with Shift; held, they
    // repeat.
    Repeater {
        model: [
            {"key": "Left", "dx": -1, "dy": 0},
            {"key": "Right", "dx": 1, "dy": 0},
            {"key": "Up", "dx": 0, "dy": -1},
            {"key": "Down", "dx": 0, "dy": 1}
        ]

        Item {
            id: arrow
            required property var modelData

            Shortcut {
                sequence: arrow.modelData.key
                enabled: root.arrowKeysEnabled
                onActivated: root.nudgeActivePoint(arrow.modelData.dx, arrow.modelData.dy)
            }
            Shortcut {
                sequence: "Shift+" + arrow.modelData.key
                enabled: root.arrowKeysEnabled
                onActivated: root.nudgeActivePoint(10 * arrow.modelData.dx,
                                                   10 * arrow.modelData.dy)
            }
        }
    }
}
