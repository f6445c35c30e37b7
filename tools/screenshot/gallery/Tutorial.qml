// size: 1530x660
import QtQuick
import Mirrel as Mirrel

// The tutorial's five pages side by side, at three quarters of a phone's size.
Rectangle {
    color: "#202020"

    Mirrel.Storage {
        id: settings
    }

    Row {
        x: 6
        y: 6
        spacing: 6

        Repeater {
            model: 5

            Item {
                required property int index

                width: 390 * 0.75
                height: 844 * 0.75

                Mirrel.TutorialView {
                    width: 390
                    height: 844
                    scale: 0.75
                    transformOrigin: Item.TopLeft
                    storage: settings
                    startPage: parent.index
                }
            }
        }
    }
}
