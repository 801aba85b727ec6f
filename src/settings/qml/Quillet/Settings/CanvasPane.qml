import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Quillet.Ui

// Marking up and exporting, talking to annotate, and the save folder.
ColumnLayout {
    id: pane
    required property QtObject settings
    required property QtObject prefs
    spacing: 12
    readonly property var keys: [
        { raw: "control", name: "Super" },
        { raw: "rightOption", name: "Right Alt" },
        { raw: "rightCommand", name: "Right Ctrl" }
    ]
    readonly property int keyIndex: Math.max(0, keys.findIndex(k => k.raw === prefs.talkKey))

    SettingsCard {
        objectName: "canvasCard"
        SwitchRow {
            objectName: "autoDirection"
            title: "Point arrows at the screenshot"
            detail: "Whichever way you draw one, its head lands on the shot."
            checked: pane.prefs.autoDirection
            onToggled: on => pane.prefs.autoDirection = on
        }
        Hairline { inset: 18 }
        SwitchRow {
            objectName: "remembersStyle"
            title: "Remember size and font"
            detail: "Off: Large " + pane.prefs.textFontName + " on every capture. Colour always starts red."
            checked: pane.prefs.remembersStyle
            onToggled: on => pane.prefs.remembersStyle = on
        }
        Hairline { inset: 18 }
        SwitchRow {
            objectName: "showsExportBox"
            title: "Show export outline"
            detail: "A dashed line around what the export will include."
            checked: pane.prefs.showsExportBox
            onToggled: on => pane.prefs.showsExportBox = on
        }
        Hairline { inset: 18 }
        SwitchRow {
            objectName: "halfSize"
            title: "Export at half size"
            detail: "Smaller pictures, for chat tools."
            checked: pane.prefs.halfSize
            onToggled: on => pane.prefs.halfSize = on
        }
    }

    SettingsCard {
        objectName: "talkCard"
        SwitchRow {
            objectName: "talkEnabled"
            title: "Talk to annotate"
            detail: "On a canvas, hold " + pane.keys[pane.keyIndex].name
                    + ", point and speak. Your words become the comment where the pointer is."
            checked: pane.prefs.talkEnabled
            onToggled: on => pane.prefs.talkEnabled = on
        }
        Hairline { visible: pane.prefs.talkEnabled; inset: 18 }
        RowLayout {
            objectName: "keyRow"
            visible: pane.prefs.talkEnabled
            Layout.fillWidth: true
            Layout.minimumHeight: 56
            Layout.margins: 10
            Layout.leftMargin: 18
            Layout.rightMargin: 14
            spacing: 12
            RowText { title: "Key to hold"; detail: "Let go to stop."; size: 14 }
            Row {
                objectName: "keySegments"
                spacing: 0
                Repeater {
                    model: pane.keys
                    Button {
                        required property var modelData
                        required property int index
                        objectName: "segment-" + modelData.raw
                        checkable: true
                        checked: index === pane.keyIndex
                        text: modelData.name
                        font.pixelSize: 12
                        onClicked: pane.prefs.talkKey = modelData.raw
                        contentItem: Text {
                            text: parent.text
                            font: parent.font
                            color: WelcomePalette.primary
                            horizontalAlignment: Text.AlignHCenter
                            verticalAlignment: Text.AlignVCenter
                        }
                        background: Rectangle {
                            implicitHeight: 26
                            radius: 7
                            color: parent.checked ? Qt.rgba(1, 1, 1, 0.22) : Qt.rgba(1, 1, 1, 0.06)
                            border.width: 0.5
                            border.color: Qt.rgba(1, 1, 1, 0.12)
                            FocusRing { shown: parent.parent.visualFocus; gap: 1; itemRadius: 7 }
                        }
                    }
                }
            }
        }
        Hairline { visible: pane.prefs.talkEnabled; inset: 18 }
        RowLayout {
            objectName: "languageRow"
            visible: pane.prefs.talkEnabled
            Layout.fillWidth: true
            Layout.minimumHeight: 56
            Layout.margins: 10
            Layout.leftMargin: 18
            Layout.rightMargin: 14
            spacing: 12
            RowText {
                objectName: "languageText"
                title: "Language you speak"
                detail: pane.settings.talkLanguages.length === 0
                        ? "No speech model is installed. Install the package pocketsphinx-en-us to talk in English."
                        : pane.prefs.words("Turned into text on this Mac. Nothing is recorded or sent.")
                size: 14
            }
            Picker {
                id: language
                objectName: "languagePicker"
                Layout.minimumWidth: implicitWidth
                readonly property var entries: [{ code: "", name: pane.prefs.thisComputerLanguage }]
                                               .concat(pane.settings.talkLanguages)
                model: entries
                textRole: "name"
                valueRole: "code"
                currentIndex: Math.max(0, entries.findIndex(e => e.code === pane.prefs.talkLanguage))
                onActivated: index => pane.prefs.talkLanguage = entries[index].code
            }
        }
    }

    SettingsCard {
        objectName: "folderCard"
        RowLayout {
            Layout.fillWidth: true
            Layout.minimumHeight: 56
            Layout.margins: 10
            Layout.leftMargin: 18
            Layout.rightMargin: 14
            spacing: 12
            RowText { title: "Save folder"; detail: pane.prefs.words("Where ⌘S puts the picture."); size: 14 }
            RowLayout {
                spacing: 6
                Layout.maximumWidth: 200
                Layout.alignment: Qt.AlignVCenter
                Symbol { name: "folder"; font.pixelSize: 13; color: WelcomePalette.primary }
                Text {
                    objectName: "saveFolder"
                    Layout.fillWidth: true
                    text: pane.settings.saveFolder
                    wrapMode: Text.WrapAnywhere
                    // Beside the folder symbol, centred with it however tall the layout makes it.
                    verticalAlignment: Text.AlignVCenter
                    font.pixelSize: 13
                    font.weight: Font.Medium
                    color: WelcomePalette.primary
                }
            }
            PillButton {
                objectName: "changeFolder"
                text: "Change…"
                size: 13
                controlSize: "large"
                onClicked: pane.settings.chooseFolder()
            }
        }
    }
}
