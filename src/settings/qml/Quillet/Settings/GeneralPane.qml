import QtQuick
import QtQuick.Layouts
import Quillet.Ui

// Start-up, the capture history, the taskbar, and installing.
ColumnLayout {
    id: pane
    required property QtObject settings
    required property QtObject prefs
    spacing: 12

    SettingsCard {
        SwitchRow {
            objectName: "login"
            title: "Open Quillet™ when I log in"
            detail: pane.prefs.words("Ready in the menu bar after every restart.")
            checked: pane.settings.login
            onToggled: on => pane.settings.setLogin(on)
        }
        Hairline { inset: 18 }
        SwitchRow {
            objectName: "history"
            title: "Keep the last " + pane.prefs.historyLimit + " captures"
            detail: pane.prefs.words("Reopen and change them from the menu bar.")
            checked: pane.prefs.keepsHistory
            onToggled: on => pane.prefs.keepsHistory = on
        }
        Hairline { inset: 18 }
        SwitchRow {
            objectName: "hideFromDock"
            title: "Hide from taskbar"
            detail: pane.prefs.words("Quillet™ lives in the menu bar, and shows in the Dock only while a canvas is open.")
            checked: pane.settings.hideFromDock
            onToggled: on => pane.settings.setHideFromDock(on)
        }
    }

    SettingsCard {
        RowLayout {
            Layout.fillWidth: true
            Layout.minimumHeight: 56
            Layout.margins: 10
            Layout.leftMargin: 18
            Layout.rightMargin: 14
            spacing: 12
            RowText {
                title: "Install for this user"
                detail: "Copies this Quillet™ into your home folder and adds it to your applications."
                size: 14
            }
            PillButton {
                objectName: "install"
                text: pane.settings.installOpening ? "Installing…" : "Install"
                enabled: !pane.settings.installOpening && pane.settings.unavailable.indexOf("showInstallWindow") < 0
                size: 13
                controlSize: "large"
                onClicked: pane.settings.showInstallWindow()
            }
        }
    }

    Text {
        objectName: "installDone"
        visible: pane.settings.installDone.length > 0 && pane.settings.installProblem.length === 0
        Layout.fillWidth: true
        Layout.leftMargin: 2
        Layout.rightMargin: 2
        text: pane.settings.installDone
        wrapMode: Text.Wrap
        font.pixelSize: 12
        color: WelcomePalette.greenText
    }

    Text {
        objectName: "installProblem"
        visible: pane.settings.installProblem.length > 0
        Layout.fillWidth: true
        Layout.leftMargin: 2
        Layout.rightMargin: 2
        text: "Could not install: " + pane.settings.installProblem
        wrapMode: Text.Wrap
        font.pixelSize: 12
        color: WelcomePalette.warning
    }
}
