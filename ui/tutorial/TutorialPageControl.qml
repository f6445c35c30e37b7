import QtQuick
import Mirrel as Mirrel

// Five dots, the current page's in full colour.
Row {
    id: root

    required property int page

    spacing: 9

    Repeater {
        model: 5

        Rectangle {
            required property int index

            objectName: "TutorialPageControl_Dot" + index
            width: 7
            height: 7
            radius: 3.5
            color: index === root.page ? Mirrel.Palette.accentSecondary
                                       : Mirrel.Palette.accentSecondaryFaded
            antialiasing: true
        }
    }
}
