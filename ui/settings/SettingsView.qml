import QtQuick
import Qt5Compat.GraphicalEffects
import Mirrel as Mirrel

// The settings screen: a blurred panel with a close button at the top and a scrolling column
// of sections: the header, the unit choice, help and the app's links.
Mirrel.Debug_BackgroundView {
    id: root

    required property Mirrel.Storage storage

    // The host flips Storage.showSettings.
    signal closeAction
    // The host closes the settings and starts the tutorial again.
    signal howToUseAction

    Item {
        Mirrel.VisualEffectView {
            anchors.fill: parent
            effect: "regular"
            source: root.backdrop
        }

        Item {
            id: closeRow

            width: parent.width
            height: 44

            Item {
                objectName: "SettingsView_CloseButton"
                width: 44
                height: 44
                Accessible.role: Accessible.Button
                Accessible.name: qsTrId("Common_Close")
                // A screen reader's press closes, as a tap does.
                Accessible.onPressAction: root.closeAction()
                // Escape closes too, through the host's shortcut.
                activeFocusOnTab: true
                Keys.onSpacePressed: root.closeAction()
                Keys.onReturnPressed: root.closeAction()
                Keys.onEnterPressed: root.closeAction()

                Mirrel.FocusRing {
                    anchors.margins: 2
                    visible: parent.activeFocus
                }

                Mirrel.SymbolImage {
                    anchors.centerIn: parent
                    name: "plus"
                    color: Mirrel.Palette.accent
                    bold: true
                    scale: 1.7
                    rotation: 45
                }

                TapHandler {
                    onTapped: root.closeAction()
                }

                HoverHandler {
                    cursorShape: Qt.PointingHandCursor
                }
            }
        }

        Flickable {
            id: scroller

            objectName: "SettingsView_Scroller"
            anchors.top: closeRow.bottom
            anchors.topMargin: 8
            anchors.bottom: parent.bottom
            width: parent.width
            contentWidth: width
            contentHeight: sections.height + 16
            clip: true
            boundsBehavior: Flickable.StopAtBounds

            // Tab may go to a row out of sight: scroll it just into view.
            function reveal(item: Item) {
                let inside = item;
                while (inside && inside !== sections)
                    inside = inside.parent;
                if (!inside)
                    return;
                const top = item.mapToItem(contentItem, 0, 0).y - 8;
                const bottom = top + item.height + 16;
                if (top < contentY)
                    contentY = Math.max(0, top);
                else if (bottom > contentY + height)
                    contentY = Math.min(contentHeight - height, bottom - height);
            }

            Connections {
                target: scroller.Window
                function onActiveFocusItemChanged() {
                    scroller.reveal(scroller.Window.activeFocusItem);
                }
            }

            Column {
                id: sections

                width: Math.min(scroller.width, 560)
                x: (scroller.width - width) / 2
                spacing: 32
                layer.enabled: GraphicsInfo.api !== GraphicsInfo.Software
                               && GraphicsInfo.api !== GraphicsInfo.Unknown
                layer.effect: DropShadow {
                    radius: 4
                    samples: 9
                    color: Qt.rgba(0, 0, 0, 0.33)
                    transparentBorder: true
                }

                Mirrel.SettingsTopView {
                    x: 16
                    width: parent.width - 32
                }

                Mirrel.SettingsAppUnitView {
                    x: 16
                    width: parent.width - 32
                    storage: root.storage
                }

                Mirrel.SettingsHelpView {
                    width: parent.width
                    onHowToUse: root.howToUseAction()
                }

                Mirrel.SettingsTheAppView {
                    width: parent.width
                }
            }
        }

        // The scroll indicator, shown whenever there is more to scroll to.
        Rectangle {
            objectName: "SettingsView_ScrollIndicator"
            anchors.right: parent.right
            anchors.rightMargin: 3
            y: scroller.y + scroller.visibleArea.yPosition * scroller.height
            width: 3
            height: scroller.visibleArea.heightRatio * scroller.height
            radius: 1.5
            color: Mirrel.Palette.white
            opacity: 0.5
            visible: scroller.visibleArea.heightRatio < 1
        }
    }
}
