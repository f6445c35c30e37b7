import QtQuick
import QtQuick.Dialogs
import Mirrel as Mirrel

// The share sheet on the desktop: the exported picture, over a blur of the screen, with what a
// desktop does with a picture: save it as a PNG file, copy it, show the folder it went to.
// Saving never leaves a half-written file and never replaces a file without asking.
Item {
    id: root

    // What is shared: the exported picture, first.
    required property var activityItems
    // Extra activities; the desktop sheet offers none of its own beyond the three.
    property var applicationActivities: undefined
    // What lies behind the sheet, blurred under it.
    property Item backdrop: null

    readonly property var picture: activityItems && activityItems.length > 0 ? activityItems[0]
                                                                              : undefined
    // The file waiting for the answer to "replace it?", or empty.
    property url pendingFile: ""
    // While "replace it?" covers the sheet, the keys are its own, not the hidden tiles'.
    readonly property bool asking: pendingFile.toString() !== ""
    property string message: ""
    property bool messageIsError: false

    // Done, Escape or a click beside the sheet.
    signal dismissed

    // The save dialog's answer; also the way in for a file chosen elsewhere.
    function saveTo(file: url, replace: bool) {
        const outcome = saver.save(file, replace);
        pendingFile = "";
        if (outcome === Mirrel.PictureSaver.Exists) {
            pendingFile = file;
            message = "";
        } else if (outcome === Mirrel.PictureSaver.Saved) {
            message = qsTrId("Share_Saved").arg(saver.savedFile);
            messageIsError = false;
        } else {
            // Both at once: a "%2" in the folder's name must not take the reason.
            const folder = saver.folderOf(file), reason = saver.lastError;
            message = qsTrId("Share_Error_SaveFailed").replace(/%([12])/g,
                                                               (_, n) => n === "1" ? folder : reason);
            messageIsError = true;
        }
    }

    function openSaveDialog() {
        saveDialog.currentFolder = saver.picturesFolder();
        saveDialog.selectedFile = saveDialog.currentFolder + "/"
            + saver.suggestedFileName(qsTrId("Share_DefaultFileName"));
        saveDialog.open();
    }

    Mirrel.PictureSaver {
        id: saver
    }

    Binding {
        target: saver
        property: "image"
        value: root.picture
        when: root.picture !== undefined
    }

    Mirrel.VisualEffectView {
        anchors.fill: parent
        effect: "regular"
        source: root.backdrop
    }

    MouseArea {
        anchors.fill: parent
        onClicked: root.dismissed()
    }

    Shortcut {
        sequence: StandardKey.Cancel
        enabled: root.visible
        onActivated: root.pendingFile.toString() !== "" ? root.pendingFile = "" : root.dismissed()
    }

    Rectangle {
        id: sheet

        objectName: "ActivityViewController_Sheet"
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 16
        width: Math.min(parent.width - 32, 560)
        height: column.implicitHeight + 32
        radius: 14
        color: Mirrel.Palette.lightBackground

        // Clicks on the sheet stay on the sheet.
        MouseArea {
            anchors.fill: parent
        }

        Column {
            id: column

            x: 16
            y: 16
            width: parent.width - 32
            spacing: 12

            Item {
                width: parent.width
                height: Math.max(title.implicitHeight, doneButton.implicitHeight)

                Text {
                    id: title

                    anchors.verticalCenter: parent.verticalCenter
                    text: qsTrId("Share_Title")
                    color: Mirrel.Palette.systemBlack
                    font.pixelSize: 17
                    font.weight: Font.DemiBold
                }

                Text {
                    id: doneButton

                    objectName: "ActivityViewController_DoneButton"
                    anchors.right: parent.right
                    anchors.verticalCenter: parent.verticalCenter
                    text: qsTrId("Share_Done")
                    color: Mirrel.Palette.accent
                    font.pixelSize: 17
                    font.weight: Font.DemiBold
                    padding: 8
                    rightPadding: 0
                    Accessible.role: Accessible.Button
                    Accessible.name: text
                    Accessible.onPressAction: root.dismissed()

                    TapHandler {
                        onTapped: root.dismissed()
                    }
                }
            }

            Mirrel.PicturePreview {
                id: preview

                objectName: "ActivityViewController_Picture"
                width: parent.width
                // As large as the window leaves room for, aspect kept.
                height: {
                    const room = root.height - 16 - 32 - 48 - 12 * 3 - actions.height
                                 - messageText.height - 48;
                    const natural = implicitWidth > 0 ? width * implicitHeight / implicitWidth : 0;
                    return Math.max(80, Math.min(natural, room));
                }
                image: saver.image
                Accessible.role: Accessible.Graphic
                Accessible.name: qsTrId("Accessibility_Preview")
            }

            Text {
                id: messageText

                objectName: "ActivityViewController_Message"
                width: parent.width
                visible: text !== ""
                text: root.message
                color: root.messageIsError ? Mirrel.Palette.alertRed : Mirrel.Palette.systemBlack
                font.pixelSize: 13
                wrapMode: Text.Wrap
                horizontalAlignment: Text.AlignHCenter
            }

            Row {
                id: actions

                readonly property real tileWidth: (width - 2 * spacing) / 3

                width: parent.width
                spacing: 12

                Mirrel.ShareActionButton {
                    objectName: "ActivityViewController_SaveButton"
                    focusPolicy: root.asking ? Qt.NoFocus : Qt.StrongFocus
                    width: actions.tileWidth
                    text: qsTrId("Share_SaveAsPng")
                    symbol: "square.and.arrow.down"
                    enabled: root.picture !== undefined
                    onClicked: root.openSaveDialog()
                }

                Mirrel.ShareActionButton {
                    objectName: "ActivityViewController_CopyButton"
                    focusPolicy: root.asking ? Qt.NoFocus : Qt.StrongFocus
                    width: actions.tileWidth
                    text: qsTrId("Share_CopyImage")
                    symbol: "doc.on.doc"
                    enabled: root.picture !== undefined
                    onClicked: {
                        if (saver.copyToClipboard()) {
                            root.message = qsTrId("Share_Copied");
                            root.messageIsError = false;
                        }
                    }
                }

                Mirrel.ShareActionButton {
                    objectName: "ActivityViewController_FolderButton"
                    focusPolicy: root.asking ? Qt.NoFocus : Qt.StrongFocus
                    width: actions.tileWidth
                    text: qsTrId("Share_OpenFolder")
                    symbol: "folder"
                    enabled: saver.savedFile !== ""
                    onClicked: {
                        if (!saver.openContainingFolder()) {
                            root.message = qsTrId("Share_Error_OpenFolder");
                            root.messageIsError = true;
                        }
                    }
                }
            }
        }

        // "Replace it?" over the sheet, until answered.
        Rectangle {
            objectName: "ActivityViewController_ReplaceQuestion"
            anchors.fill: parent
            radius: sheet.radius
            color: Qt.rgba(1, 1, 1, 0.96)
            visible: root.asking
            // Answered, its buttons give up the focus, or they would still take the keys.
            enabled: root.asking
            // Keep is the safe answer; without a ring until the user tabs, as for a click.
            onVisibleChanged: {
                if (visible)
                    keepButton.forceActiveFocus();
            }

            MouseArea {
                anchors.fill: parent
            }

            Column {
                id: question

                anchors.centerIn: parent
                width: parent.width - 48
                spacing: 20

                Text {
                    width: parent.width
                    text: qsTrId("Share_ReplaceQuestion")
                          .arg(saver.fileNameOf(root.pendingFile))
                    color: Mirrel.Palette.systemBlack
                    font.pixelSize: 17
                    wrapMode: Text.Wrap
                    horizontalAlignment: Text.AlignHCenter
                }

                Row {
                    id: answers

                    // Each answer gets half the sheet at most: in a narrow window and a longer
                    // language, the two would otherwise run past its edges.
                    readonly property real widest: (question.width - spacing) / 2

                    anchors.horizontalCenter: parent.horizontalCenter
                    spacing: 16

                    Mirrel.CapsuleButton {
                        id: keepButton

                        objectName: "ActivityViewController_KeepButton"
                        width: Math.min(implicitWidth, answers.widest)
                        text: qsTrId("Share_Cancel")
                        onClicked: root.pendingFile = ""
                    }

                    Mirrel.CapsuleButton {
                        objectName: "ActivityViewController_ReplaceButton"
                        width: Math.min(implicitWidth, answers.widest)
                        text: qsTrId("Share_Replace")
                        onClicked: root.saveTo(root.pendingFile, true)
                    }
                }
            }
        }
    }

    FileDialog {
        id: saveDialog

        objectName: "ActivityViewController_SaveDialog"
        // Also when the sheet was made before it was put into its window.
        parentWindow: root.Window.window
        title: qsTrId("Share_SaveDialogTitle")
        // Qt's own dialog, where the desktop offers none, would say "Open".
        acceptLabel: qsTrId("Share_SaveDialogAccept")
        fileMode: FileDialog.SaveFile
        nameFilters: [qsTrId("Share_PngFilter")]
        defaultSuffix: "png"
        // The sheet asks itself, also when a file appears while the dialog is open.
        options: FileDialog.DontConfirmOverwrite
        onAccepted: root.saveTo(selectedFile, false)
    }
}
