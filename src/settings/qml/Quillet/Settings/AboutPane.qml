import QtQuick
import QtQuick.Layouts
import Quillet.Ui

// The title page: the mascot, the name, versions, and the links.
Item {
    id: pane
    required property QtObject settings
    required property QtObject prefs

    ColumnLayout {
        anchors.centerIn: parent
        width: parent.width
        spacing: 4

        Item {
            objectName: "mascot"
            Layout.alignment: Qt.AlignHCenter
            Layout.bottomMargin: -16
            implicitWidth: 250
            implicitHeight: 231
            QuillStack { anchors.fill: parent; stage: pane.settings.aboutMelt }
            MouseArea {
                anchors.fill: parent
                onClicked: pane.settings.aboutMelt = (pane.settings.aboutMelt + 1) % 10
            }
        }
        Text { Layout.alignment: Qt.AlignHCenter; text: "Quillet™"; font.pixelSize: 26; font.bold: true; font.letterSpacing: -0.5; color: WelcomePalette.primary }
        Text { Layout.alignment: Qt.AlignHCenter; text: "The AI coder’s QA screenshot tool"; font.pixelSize: 14; color: WelcomePalette.secondary }
        Text { objectName: "versionLine"; Layout.alignment: Qt.AlignHCenter; Layout.topMargin: 2; text: pane.prefs.versionLine; font.pixelSize: 12; color: WelcomePalette.tertiary }
        Text { objectName: "buildLine"; Layout.alignment: Qt.AlignHCenter; text: pane.prefs.buildLine; font.pixelSize: 11; color: WelcomePalette.tertiary }

        Row {
            objectName: "buttons"
            Layout.alignment: Qt.AlignHCenter
            Layout.topMargin: 18
            spacing: 10
            PillButton {
                objectName: "checkForUpdates"
                visible: pane.settings.updatesAvailable
                prominent: true
                text: "Check for Updates…"
                size: 13.5
                controlSize: "large"
                onClicked: pane.settings.checkForUpdates()
            }
            PillButton {
                objectName: "releaseNotes"
                visible: pane.settings.updatesAvailable
                text: "What’s New…"
                size: 13.5
                controlSize: "large"
                onClicked: pane.settings.showReleaseNotes()
            }
            PillButton {
                objectName: "onboarding"
                text: "Onboarding…"
                enabled: pane.settings.unavailable.indexOf("openOnboarding") < 0
                size: 13.5
                controlSize: "large"
                onClicked: pane.settings.openOnboarding()
            }
        }

        ColumnLayout {
            Layout.alignment: Qt.AlignHCenter
            Layout.topMargin: 22
            spacing: 3
            TextLink {
                objectName: "mail"
                visible: pane.prefs.makerEmail.length > 0
                Layout.alignment: Qt.AlignHCenter
                text: pane.prefs.makerEmail
                onActivated: pane.prefs.writeMail()
            }
            Row {
                objectName: "links"
                Layout.alignment: Qt.AlignHCenter
                Layout.topMargin: 8
                spacing: 16
                TextLink { text: "Terms"; onActivated: pane.prefs.openLegal("/terms/") }
                TextLink { text: "Privacy"; onActivated: pane.prefs.openLegal("/privacy/") }
                TextLink { text: "Accessibility"; onActivated: pane.prefs.openLegal("/accessibility/") }
                TextLink { text: "All Legal"; onActivated: pane.settings.select(6) }
            }
        }
    }
}
