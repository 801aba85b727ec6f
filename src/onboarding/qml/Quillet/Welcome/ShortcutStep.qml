import QtQuick
import QtQuick.Layouts
import Quillet.Ui

// The shortcut step's body: the shortcut as big keys (the keys held while recording), the
// button that records, the line that explains or warns, and the take-over offer.
ColumnLayout {
    id: body
    required property QtObject welcome
    readonly property bool recording: welcome.recording
    readonly property string explanation: {
        if (welcome.refusal.length > 0)
            return welcome.refusal
        switch (welcome.statusKind) {
        case "active": return "Captures an area, then opens the canvas. Add Super to copy straight to the clipboard instead."
        case "takenByApp": return "Another app already uses this shortcut. Pick another."
        case "system": return "The system uses this for “" + welcome.statusName + "” and gets it first. Let Quillet™ have it, or pick another."
        default: return "Click and press the keys you want."
        }
    }
    readonly property bool warning: welcome.refusal.length > 0 || welcome.statusKind === "takenByApp"
                                    || welcome.statusKind === "system"
    spacing: 12

    Rectangle {
        objectName: "shortcutField"
        Layout.fillWidth: true
        Layout.topMargin: 6
        implicitHeight: field.implicitHeight + 28
        radius: 16
        color: Qt.rgba(0, 0, 0, 0.24)
        border.width: body.recording ? 2 : 0.5
        border.color: body.recording ? WelcomePalette.accent : WelcomePalette.hairline
        Behavior on border.width { NumberAnimation { duration: 150; easing.type: Easing.InOutQuad } }
        Accessible.role: Accessible.Button
        Accessible.name: body.recording ? "Recording a shortcut"
                         : "Shortcut " + (body.welcome.shortcutText.length > 0 ? body.welcome.shortcutText : "not set") + ". Click to change"

        RowLayout {
            id: field
            anchors.fill: parent
            anchors.leftMargin: 16
            anchors.rightMargin: 14
            anchors.topMargin: 14
            anchors.bottomMargin: 14
            spacing: 14
            Item {
                Layout.fillWidth: true
                implicitHeight: keys.implicitHeight
                Row {
                    id: keys
                    objectName: "bigKeys"
                    spacing: 8
                    Repeater {
                        model: body.recording ? body.welcome.held : body.welcome.shortcutCaps
                        BigKeycap { required property string modelData; cap: modelData }
                    }
                    BigKeycap {
                        objectName: "waitingKey"
                        visible: body.recording || body.welcome.shortcutCaps.length === 0
                        waiting: true
                    }
                    Text {
                        objectName: "fieldText"
                        visible: body.recording ? body.welcome.held.length === 0 : body.welcome.shortcutCaps.length === 0
                        anchors.verticalCenter: parent.verticalCenter
                        leftPadding: 6
                        text: body.recording ? "Press the keys you want" : "No shortcut yet"
                        font.pixelSize: 15
                        font.weight: Font.DemiBold
                        color: body.recording ? WelcomePalette.primary : WelcomePalette.secondary
                    }
                }
                MouseArea {
                    anchors.fill: parent
                    onClicked: body.welcome.toggleRecording()
                }
            }
            PillButton {
                objectName: "recordButton"
                text: body.recording ? "Cancel" : body.welcome.shortcutCaps.length > 0 ? "Change" : "Record"
                size: 14
                controlSize: "extraLarge"
                onClicked: body.welcome.toggleRecording()
            }
        }
    }

    Text {
        objectName: "explanation"
        Layout.fillWidth: true
        wrapMode: Text.Wrap
        lineHeight: 1.2
        font.pixelSize: 14
        text: body.explanation
        color: body.warning ? WelcomePalette.warning : WelcomePalette.secondary
    }

    PillButton {
        objectName: "takeOverButton"
        visible: body.welcome.statusKind === "system" && body.welcome.shortcutText.length > 0
        text: "Use " + body.welcome.shortcutText + " for Quillet™…"
        size: 15
        controlSize: "extraLarge"
        onClicked: body.welcome.takeShortcut()
    }
}
