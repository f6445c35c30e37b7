import QtQuick
import Mirrel as Mirrel

// The unit choice: metric or imperial, written to the settings store the moment a segment is
// tapped and always showing the stored choice.
Column {
    id: root

    required property Mirrel.Storage storage

    spacing: 0

    Mirrel.SettingsSectionTitleView {
        width: parent.width
        text: Mirrel.TextKeys.settingsAppUnit
    }

    Item {
        width: 1
        height: 5
    }

    // A segmented control tinted with the accent colour.
    Rectangle {
        objectName: "SettingsAppUnitView_Picker"
        width: parent.width
        height: 32
        radius: 8
        color: Qt.rgba(24 / 255, 93 / 255, 86 / 255, 0.5)
        antialiasing: true

        Row {
            anchors.fill: parent
            anchors.margins: 2

            Repeater {
                id: segments

                function pick(index: int) {
                    const segment = itemAt(index);
                    if (!segment)
                        return;
                    root.storage.unitSystem = segment.modelData.unit;
                    segment.forceActiveFocus(Qt.TabFocusReason);
                }

                model: [
                    {"unit": Mirrel.UnitSystems.metric, "label": Mirrel.TextKeys.settingsAppUnitMetric,
                        "name": "Metric"},
                    {"unit": Mirrel.UnitSystems.imperial, "label": Mirrel.TextKeys.settingsAppUnitImperial,
                        "name": "Imperial"}
                ]

                Rectangle {
                    id: segment

                    required property var modelData
                    required property int index
                    readonly property bool selected: root.storage.unitSystem === modelData.unit

                    objectName: "SettingsAppUnitView_" + modelData.name
                    width: parent.width / 2
                    height: parent.height
                    radius: 7
                    color: selected ? Qt.rgba(20 / 255, 78 / 255, 68 / 255, 1) : "transparent"
                    antialiasing: true
                    Accessible.role: Accessible.RadioButton
                    Accessible.name: modelData.label
                    Accessible.checked: selected
                    // A screen reader's press (or toggle) picks the unit, as a tap does.
                    Accessible.onPressAction: root.storage.unitSystem = segment.modelData.unit
                    Accessible.onToggleAction: root.storage.unitSystem = segment.modelData.unit
                    // A tap does not take the focus, so the ring shows only for a keyboard user.
                    activeFocusOnTab: true
                    Keys.onSpacePressed: root.storage.unitSystem = segment.modelData.unit
                    Keys.onReturnPressed: root.storage.unitSystem = segment.modelData.unit
                    Keys.onEnterPressed: root.storage.unitSystem = segment.modelData.unit
                    // As in a group of radio buttons, the arrows pick the neighbour and go there.
                    Keys.onLeftPressed: segments.pick(segment.index - 1)
                    Keys.onRightPressed: segments.pick(segment.index + 1)

                    Text {
                        anchors.centerIn: parent
                        width: Math.min(implicitWidth, parent.width - 8)
                        text: segment.modelData.label
                        color: Mirrel.Palette.accent
                        font.pixelSize: 13
                        font.weight: segment.selected ? Font.DemiBold : Font.Normal
                        elide: Text.ElideRight
                    }

                    Mirrel.FocusRing {
                        anchors.margins: 0
                        radius: parent.radius
                        visible: segment.activeFocus
                    }

                    TapHandler {
                        onTapped: root.storage.unitSystem = segment.modelData.unit
                    }
                }
            }
        }
    }
}
