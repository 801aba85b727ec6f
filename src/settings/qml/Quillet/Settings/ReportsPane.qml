import QtQuick
import QtQuick.Layouts
import Quillet.Ui

// Crash reports, usage statistics, and the problem report window.
ColumnLayout {
    id: pane
    required property QtObject settings
    required property QtObject prefs
    spacing: 14

    // Without an address of its own this build sends nothing: it says so, and its switches stay off.
    Text {
        objectName: "sendsNothing"
        visible: !pane.prefs.sendsReports || !pane.prefs.sendsStatistics
        Layout.fillWidth: true
        Layout.leftMargin: 2
        Layout.rightMargin: 2
        text: !pane.prefs.sendsReports && !pane.prefs.sendsStatistics
              ? "This build of Quillet™ sends neither reports nor statistics. A report you write is saved on this computer for 30 days, for you to pass on."
              : !pane.prefs.sendsReports
              ? "This build of Quillet™ sends no reports. A report you write is saved on this computer for 30 days, for you to pass on."
              : "This build of Quillet™ sends no statistics."
        wrapMode: Text.Wrap
        font.pixelSize: 13
        color: WelcomePalette.primary
    }

    SettingsCard {
        SwitchRow {
            objectName: "reportsAuto"
            title: "Send crash reports automatically"
            detail: pane.prefs.sendsReports ? "Off: Quillet™ asks each time." : "Not in this build."
            checked: pane.prefs.reportsAuto
            enabled: pane.prefs.sendsReports
            onToggled: on => pane.prefs.reportsAuto = on
        }
        Hairline { inset: 18 }
        SwitchRow {
            objectName: "shareStats"
            title: "Share anonymous usage statistics"
            detail: pane.prefs.sendsStatistics
                    ? pane.prefs.words("How many screenshots you take, your Quillet™ and macOS versions, and a random ID. Never your screenshots.")
                    : "Not in this build."
            checked: pane.prefs.shareStats
            enabled: pane.prefs.sendsStatistics
            onToggled: on => pane.prefs.shareStats = on
        }
    }

    RowLayout {
        Layout.fillWidth: true
        Layout.leftMargin: 2
        Layout.rightMargin: 2
        spacing: 12
        Text {
            Layout.fillWidth: true
            text: "A report says what Quillet™ was doing, never what was on your screen or what you typed."
            wrapMode: Text.Wrap
            font.pixelSize: 12
            color: WelcomePalette.secondary
        }
        PillButton {
            objectName: "reportProblem"
            text: "Report a Problem…"
            enabled: pane.settings.unavailable.indexOf("reportProblem") < 0
            size: 13
            controlSize: "large"
            onClicked: pane.settings.reportProblem()
        }
    }
}
