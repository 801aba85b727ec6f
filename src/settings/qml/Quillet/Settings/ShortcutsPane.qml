import QtQuick
import QtQuick.Layouts
import Quillet.Ui

// The capture shortcuts: a large well for "Capture area", a compact row for each other action.
ColumnLayout {
    id: pane
    required property QtObject settings
    required property QtObject prefs
    readonly property string main: "areaToCanvas"
    readonly property var others: [
        { action: "fullScreenToCanvas", title: "Capture full screen", detail: "The display under the pointer, then mark it up." },
        { action: "areaToClipboard", title: "Capture area to clipboard", detail: "Select an area; it goes straight to the clipboard." },
        { action: "repeatLastArea", title: "Capture last area again", detail: "The same area as last time, then mark it up." },
        { action: "reopenLast", title: "Reopen last capture", detail: "The last canvas, to change it and copy again." },
        { action: "markUpClipboard", title: "Mark up clipboard image", detail: "The image you copied, on a canvas of its own." }
    ]
    spacing: 12

    function caps(action) {
        const entry = settings.shortcuts[action];
        return entry ? entry.caps : [];
    }
    function status(action) {
        const entry = settings.statuses[action];
        return entry ? entry : { kind: "unassigned", name: "" };
    }

    SettingsCard {
        objectName: "mainCard"
        padding: 16
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 12
            RowLayout {
                Layout.fillWidth: true
                spacing: 12
                RowText {
                    title: "Capture area"
                    detail: "Select an area, then mark it up. The one to remember."
                    size: 15
                }
                ShortcutStatus {
                    objectName: "mainStatus"
                    status: pane.status(pane.main)
                    showsUnset: true
                }
            }
            ShortcutWell {
                objectName: "mainWell"
                Layout.fillWidth: true
                caps: pane.caps(pane.main)
                recording: pane.settings.recording === pane.main
                held: pane.settings.held
                onToggle: pane.settings.toggleRecording(pane.main)
            }
            ShortcutNote {
                objectName: "mainNote"
                settings: pane.settings
                prefs: pane.prefs
                action: pane.main
            }
        }
    }

    SettingsCard {
        objectName: "otherCard"
        Repeater {
            model: pane.others
            ColumnLayout {
                required property var modelData
                required property int index
                Layout.fillWidth: true
                spacing: 0
                ShortcutRow {
                    objectName: "row-" + modelData.action
                    settings: pane.settings
                    prefs: pane.prefs
                    action: modelData.action
                    title: modelData.title
                    detail: modelData.detail
                    caps: pane.caps(modelData.action)
                    status: pane.status(modelData.action)
                }
                Hairline {
                    objectName: "hairline"
                    visible: index < pane.others.length - 1
                    inset: 18
                }
            }
        }
    }

    RowLayout {
        spacing: 10
        PillButton {
            objectName: "restoreDefaults"
            text: "Restore Defaults"
            size: 13
            controlSize: "large"
            onClicked: pane.settings.restoreDefaults()
        }
        PillButton {
            objectName: "giveBack"
            visible: pane.settings.canGiveBack
            text: pane.prefs.words("Give macOS Its Shortcuts Back")
            size: 13
            controlSize: "large"
            onClicked: pane.settings.giveBack()
        }
    }
}
