import QtQuick
import Qt5Compat.GraphicalEffects
import Mirrel as Mirrel

// A blur of what lies behind: the `source` item, seen through this view's area. Where shader
// effects do not render (the software renderer), a darker translucent layer stands in for it.
// No effect shows nothing.
Item {
    id: root

    // "regular" (the settings' and the share sheet's backdrop), or null for none.
    property var effect: null
    // What lies behind this view; required for the blur itself.
    property Item source: null

    readonly property bool blurs: effect !== null && source !== null
                                  && GraphicsInfo.api !== GraphicsInfo.Software
                                  && GraphicsInfo.api !== GraphicsInfo.Unknown

    visible: effect !== null

    ShaderEffectSource {
        id: behind

        anchors.fill: parent
        visible: false
        live: true
        sourceItem: root.blurs ? root.source : null
        sourceRect: root.blurs ? root.source.mapFromItem(root, 0, 0, root.width, root.height)
                               : Qt.rect(0, 0, 0, 0)
    }

    FastBlur {
        objectName: "VisualEffectView_Blur"
        anchors.fill: parent
        visible: root.blurs
        source: behind
        radius: 48
    }

    // The regular style's tint over the blur; alone, it keeps text on top readable.
    Rectangle {
        objectName: "VisualEffectView_Tint"
        anchors.fill: parent
        color: "black"
        opacity: root.blurs ? 0.3 : 0.72
    }
}
