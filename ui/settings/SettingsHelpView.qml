import QtQuick
import Mirrel as Mirrel

// Help: one centred row that starts the tutorial again.
Column {
    id: root

    signal howToUse

    spacing: 8

    Mirrel.SettingsSectionTitleView {
        x: 16
        width: parent.width - 32
        text: Mirrel.TextKeys.settingsHelp
    }

    Mirrel.SettingsSectionsSeperator {
        width: parent.width
    }

    Mirrel.SettingsSectionButton {
        objectName: "Settings_HowToUse"
        x: 16
        width: parent.width - 32
        title: Mirrel.TextKeys.settingsHowToUse
        centerContent: true
        onAction: root.howToUse()
    }

    Mirrel.SettingsSectionsSeperator {
        x: 16
        width: parent.width - 16
    }
}
