import QtQuick
import QtQuick.Layouts
import Quillet.Ui

// One capture action in the compact list.
ColumnLayout {
    id: row
    required property QtObject settings
    required property QtObject prefs
    property string action
    property alias title: text.title
    property alias detail: text.detail
    property var caps: []
    property var status: ({ kind: "unassigned", name: "" })
    readonly property bool recording: settings.recording === action
    Layout.fillWidth: true
    Layout.topMargin: 9
    Layout.bottomMargin: 9
    Layout.leftMargin: 18
    Layout.rightMargin: 12
    Layout.minimumHeight: 34
    spacing: 6

    RowLayout {
        Layout.fillWidth: true
        spacing: 12
        RowText { id: text; size: 13.5 }
        // Recording: a capsule showing what is held.
        Rectangle {
            objectName: "recordingCapsule"
            visible: row.recording
            implicitWidth: capsule.implicitWidth + 26
            implicitHeight: 28
            radius: 14
            color: WelcomePalette.keycap
            border.width: 2
            border.color: WelcomePalette.accent
            RowLayout {
                id: capsule
                anchors.centerIn: parent
                spacing: 7
                Rectangle { width: 7; height: 7; radius: 3.5; color: Qt.rgba(0.9, 0.28, 0.3, 1) }
                Text {
                    objectName: "capsuleText"
                    text: row.settings.held.length === 0 ? "Press the keys" : row.settings.held.join("+")
                    font.pixelSize: 12
                    font.weight: Font.DemiBold
                    color: WelcomePalette.primary
                }
            }
            MouseArea { anchors.fill: parent; onClicked: row.settings.toggleRecording(row.action) }
        }
        PillButton {
            objectName: "addShortcut"
            visible: !row.recording && row.caps.length === 0
            text: "Add shortcut"
            size: 12.5
            onClicked: row.settings.toggleRecording(row.action)
        }
        ShortcutStatus {
            visible: !row.recording && row.caps.length > 0 && (working || broken)
            status: row.status
        }
        Item {
            id: keycaps
            objectName: "keycaps"
            visible: !row.recording && row.caps.length > 0
            implicitWidth: capsRow.implicitWidth
            implicitHeight: capsRow.implicitHeight
            // A stop of the Tab chain: Space or Return records a new shortcut, as a click does.
            activeFocusOnTab: true
            Accessible.role: Accessible.Button
            Accessible.name: "Change the shortcut of " + row.title
            Keys.onSpacePressed: row.settings.toggleRecording(row.action)
            Keys.onReturnPressed: row.settings.toggleRecording(row.action)
            FocusRing { shown: keycaps.activeFocus; itemRadius: 5 }
            RowLayout {
                id: capsRow
                spacing: 4
                Repeater {
                    model: row.caps
                    SmallKeycap { required property var modelData; cap: modelData }
                }
            }
            MouseArea { anchors.fill: parent; onClicked: row.settings.toggleRecording(row.action) }
        }
    }
    ShortcutNote {
        settings: row.settings
        prefs: row.prefs
        action: row.action
    }
}
