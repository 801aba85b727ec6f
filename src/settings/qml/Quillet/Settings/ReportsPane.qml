import QtQuick
import QtQuick.Layouts
import Quillet.Ui

// Crash reports, usage statistics, and the problem report window.
ColumnLayout {
    id: pane
    required property QtObject settings
    required property QtObject prefs
    spacing: 14

    SettingsCard {
        SwitchRow {
            objectName: "reportsAuto"
            title: "Send crash reports automatically"
            detail: "Off: Quillet™ asks each time."
            checked: pane.prefs.reportsAuto
            onToggled: on => pane.prefs.reportsAuto = on
        }
        Hairline { inset: 18 }
        SwitchRow {
            objectName: "shareStats"
            title: "Share anonymous usage statistics"
            detail: pane.prefs.words("How many screenshots you take, your Quillet™ and macOS versions, and a random ID. Never your screenshots.")
            checked: pane.prefs.shareStats
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
