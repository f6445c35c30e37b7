import QtQuick
import Qt5Compat.GraphicalEffects
import Mirrel as Mirrel

// The capsule over the picture that says what to do next. Its symbol, text and colours follow
// the screen's state; it sizes itself to its text, wrapping within maximumWidth.
Item {
    id: root

    required property var cameraState
    // The widest the banner may become; a longer hint wraps onto centred lines.
    property real maximumWidth: Infinity

    readonly property string symbol: {
        switch (cameraState.name) {
        case "takePicture":
            return "camera.metering.spot";
        case "confirmCardSelection":
            return "skew";
        case "addTarget":
            return "plus.rectangle.on.rectangle";
        }
        return "arrow.counterclockwise";
    }
    readonly property color background: {
        if (cameraState.name === "addTarget")
            return cameraState.selected ? Mirrel.Palette.alertRed : Mirrel.Palette.lightGray;
        return Mirrel.Palette.accent;
    }
    readonly property color foreground: {
        if (cameraState.name === "takePicture")
            return Mirrel.Palette.black;
        if (cameraState.name === "addTarget" && !cameraState.selected)
            return Mirrel.Palette.black;
        return Mirrel.Palette.white;
    }

    // The narrowest banner that breaks the text between words only: a narrower one breaks its
    // widest word.
    readonly property real wholeWordsWidth: 32 + icon.width + 16
                                            + widestWord(text.text, metrics.font) + 32

    // The width left for the text in a banner `width` wide.
    function textRoom(width) {
        return width - 32 - icon.width - 16 - 32;
    }

    // The font is passed for the binding's sake: the metrics' functions do not tell it when
    // their font changes.
    function widestWord(hint, font) {
        let widest = 0;
        for (const word of hint.split(/\s+/))
            widest = Math.max(widest, metrics.advanceWidth(word));
        return Math.ceil(widest);
    }

    implicitWidth: banner.width
    implicitHeight: banner.height

    FontMetrics {
        id: metrics
        font: text.font
    }

    Rectangle {
        id: banner

        objectName: "HintView_Banner"
        width: 32 + icon.width + 16 + text.width + 32
        height: Math.max(icon.height, text.height) + 2 * 16
        radius: height / 2
        color: root.background
        opacity: 0.7
        antialiasing: true
        layer.enabled: GraphicsInfo.api !== GraphicsInfo.Software
                       && GraphicsInfo.api !== GraphicsInfo.Unknown
        layer.effect: DropShadow {
            radius: 10
            samples: 21
            color: Qt.rgba(0, 0, 0, 0.33)
            transparentBorder: true
        }

        Mirrel.SymbolImage {
            id: icon

            objectName: "HintView_Icon"
            x: 32
            anchors.verticalCenter: parent.verticalCenter
            name: root.symbol
            color: root.foreground
            scale: 1.7
        }

        Text {
            id: text

            objectName: "HintView_Text"
            x: icon.x + icon.width + 16
            anchors.verticalCenter: parent.verticalCenter
            width: Math.max(0, Math.min(implicitWidth, root.maximumWidth - 32 - icon.width - 16 - 32))
            text: qsTrId(root.cameraState.hint)
            color: root.foreground
            font.pixelSize: 17
            font.weight: Font.DemiBold
            wrapMode: Text.Wrap
            horizontalAlignment: Text.AlignHCenter
        }

        // The outline, inside the capsule's bounds.
        Rectangle {
            x: Mirrel.Palette.standardLineWidth / 2
            y: Mirrel.Palette.standardLineWidth / 2
            width: parent.width - Mirrel.Palette.standardLineWidth
            height: parent.height - Mirrel.Palette.standardLineWidth
            radius: height / 2
            color: "transparent"
            border.color: root.foreground
            border.width: Mirrel.Palette.standardLineWidth
            antialiasing: true
        }
    }
}
