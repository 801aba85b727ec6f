import QtQuick
import QtQuick.Layouts
import Quillet.Ui

// What this desktop lets Quillet do. Nothing needs allowing on X11: each row says whether its
// facility is there and, when not, why.
ColumnLayout {
    id: pane
    required property QtObject settings
    required property QtObject prefs
    spacing: 14

    component PermissionRow: RowLayout {
        id: row
        property string symbol
        property color tile
        property string title
        property string detail
        property bool available
        property string reason
        Layout.fillWidth: true
        Layout.margins: 14
        Layout.leftMargin: 16
        Layout.rightMargin: 16
        spacing: 14
        Rectangle {
            implicitWidth: 34
            implicitHeight: 34
            radius: 9
            color: row.tile
            Symbol { anchors.centerIn: parent; name: row.symbol; font.pixelSize: 18; color: "white" }
        }
        RowText { title: row.title; detail: row.detail; size: 14 }
        Text {
            objectName: "state"
            Layout.maximumWidth: 230
            text: row.available ? "✓ Available" : row.reason
            wrapMode: Text.Wrap
            horizontalAlignment: Text.AlignRight
            font.pixelSize: 13
            font.weight: Font.DemiBold
            color: row.available ? WelcomePalette.greenText : WelcomePalette.warning
        }
    }

    SettingsCard {
        PermissionRow {
            objectName: "screen"
            symbol: "record.circle"
            tile: Qt.rgba(0.9, 0.28, 0.3, 1)
            title: "Screen capture"
            detail: "Lets Quillet™ see the screen when you capture."
            available: pane.settings.screen
            reason: pane.settings.screenReason
        }
        Hairline { inset: 66 }
        PermissionRow {
            objectName: "access"
            symbol: "accessibility"
            tile: Qt.rgba(0.12, 0.44, 0.92, 1)
            title: "Paste into other apps"
            detail: pane.prefs.words("Lets ⌘Return paste for you, by typing the paste keys into the app you send to.")
            available: pane.settings.access
            reason: pane.settings.accessReason
        }
    }

    RowLayout {
        Layout.fillWidth: true
        Layout.leftMargin: 2
        Layout.rightMargin: 2
        spacing: 12
        Text {
            objectName: "note"
            Layout.fillWidth: true
            text: "On an X11 desktop Quillet™ needs no permissions. In a Wayland session it cannot capture the screen: choose an X11 session when you log in."
            wrapMode: Text.Wrap
            font.pixelSize: 12
            color: WelcomePalette.secondary
        }
        PillButton {
            objectName: "openOnboarding"
            text: "Open Onboarding…"
            enabled: pane.settings.unavailable.indexOf("openOnboarding") < 0
            size: 13
            controlSize: "large"
            onClicked: pane.settings.openOnboarding()
        }
    }

    SettingsCard {
        PermissionRow {
            objectName: "microphone"
            symbol: "mic.fill"
            tile: Qt.rgba(0.95, 0.58, 0.1, 1)
            title: "Microphone"
            detail: "Only for talk to annotate, and only while you hold its key."
            available: pane.settings.microphone
            reason: pane.settings.microphoneReason
        }
    }
}
