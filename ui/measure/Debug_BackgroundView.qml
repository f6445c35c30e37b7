import QtQuick
import Mirrel as Mirrel

// A container that fills the space it is given and shows its content over dimmed diagonal
// colour stripes. Content with a size of its own keeps it, up to the container's size, and is
// centred; content without one fills the container.
Item {
    id: root

    // The one child, placed and sized by the container.
    default property Item content
    // The stripes and the dimming, for a blur that shows them through.
    readonly property Item backdrop: backdropLayer
    // The seven stripes run across the whole diagonal.
    readonly property real diagonal: Math.sqrt(width * width + height * height)
    readonly property real stripeWidth: diagonal / 7

    clip: true

    Item {
        id: backdropLayer

        anchors.fill: parent

        Row {
            objectName: "Debug_BackgroundView_Stripes"
            anchors.centerIn: parent
            rotation: 45
            spacing: 0

            Repeater {
                model: ["red", "green", "blue", "yellow", "orange", "pink", "purple"]

                Rectangle {
                    required property string modelData

                    width: root.stripeWidth
                    // As tall as the diagonal, so the turned row leaves no corner bare.
                    height: Math.max(root.height, root.diagonal)
                    color: Mirrel.Palette.standardColor(modelData)
                }
            }
        }

        Rectangle {
            anchors.fill: parent
            color: "black"
            opacity: 0.5
        }
    }

    Item {
        id: holder

        anchors.fill: parent
    }

    onContentChanged: {
        if (!content)
            return;
        content.parent = holder;
        content.anchors.centerIn = holder;
        content.width = Qt.binding(() => content.implicitWidth > 0
                                   ? Math.min(content.implicitWidth, holder.width) : holder.width);
        content.height = Qt.binding(() => content.implicitHeight > 0
                                    ? Math.min(content.implicitHeight, holder.height) : holder.height);
    }
}
