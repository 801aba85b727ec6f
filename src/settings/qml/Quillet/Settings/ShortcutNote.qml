import QtQuick
import QtQuick.Layouts
import Quillet.Ui

// The line under a shortcut: the recording hint or refusal, or why the shortcut does not work.
RowLayout {
    id: note
    required property QtObject settings
    required property QtObject prefs
    property string action
    readonly property bool recording: settings.recording === action
    readonly property string refusal: settings.refusals[action] !== undefined ? settings.refusals[action] : ""
    readonly property var status: settings.statuses[action] !== undefined ? settings.statuses[action] : ({ kind: "unassigned", name: "" })
    readonly property string message: recording
        ? (refusal.length > 0 ? refusal : prefs.words("Press the keys. Esc cancels, Delete clears."))
        : status.kind === "takenByApp" ? "Another app uses this shortcut. Pick another, or quit that app."
        : status.kind === "system" ? prefs.words("macOS uses this for “" + status.name + "”. Turn that off to use it here.")
        : ""
    visible: message.length > 0
    Layout.fillWidth: true
    spacing: 12
    Text {
        objectName: "noteText"
        Layout.fillWidth: true
        text: note.message
        wrapMode: Text.Wrap
        lineHeight: 1.1
        font.pixelSize: 12
        color: note.recording && note.refusal.length === 0 ? WelcomePalette.secondary : WelcomePalette.warning
    }
    PillButton {
        objectName: "takeOver"
        visible: !note.recording && note.status.kind === "system"
        text: "Let Quillet™ Use It…"
        size: 12.5
        onClicked: note.settings.takeOver(note.action)
    }
}
