import QtQuick
import Mirrel as Mirrel

// The app's links: its web site, a mail to support, and a rating in the store.
Column {
    id: root

    spacing: 8

    Mirrel.SettingsSectionTitleView {
        x: 16
        width: parent.width - 32
        text: Mirrel.TextKeys.settingsTheApp
    }

    Mirrel.SettingsSectionsSeperator {
        width: parent.width
    }

    Repeater {
        model: [
            {"name": "Settings_About_Us", "title": Mirrel.TextKeys.settingsAboutUs},
            {"name": "Settings_Contact_Us", "title": Mirrel.TextKeys.settingsContactUs},
            {"name": "Settings_Rate_the_App", "title": Mirrel.TextKeys.settingsRateTheApp}
        ]

        Column {
            id: entry

            required property var modelData

            width: root.width
            spacing: 8

            Mirrel.SettingsSectionButton {
                objectName: entry.modelData.name
                x: 16
                width: parent.width - 32
                title: entry.modelData.title
                onAction: {
                    switch (entry.modelData.name) {
                    case "Settings_About_Us":
                        Mirrel.SystemActions.openProductWebSite();
                        break;
                    case "Settings_Contact_Us":
                        Mirrel.SystemActions.writeToSupport();
                        break;
                    default:
                        Mirrel.SystemActions.rateApp();
                    }
                }
            }

            Mirrel.SettingsSectionsSeperator {
                x: 16
                width: parent.width - 16
            }
        }
    }
}
