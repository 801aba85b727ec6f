import QtQuick
import QtQuick.Layouts
import Quillet.Ui

// Whether a shortcut works: "Ready", "Not set" or "Not working".
RowLayout {
    id: label
    property var status: ({ kind: "unassigned", name: "" })
    property bool showsUnset: false
    readonly property bool working: status.kind === "active"
    readonly property bool broken: status.kind === "system" || status.kind === "takenByApp"
    visible: working || broken || showsUnset
    spacing: 4
    Symbol {
        visible: label.working || label.broken
        name: label.working ? "checkmark" : "exclamationmark.triangle.fill"
        font.pixelSize: 12
        color: label.working ? WelcomePalette.greenText : WelcomePalette.warning
    }
    Text {
        objectName: "statusText"
        text: label.working ? "Ready" : label.broken ? "Not working" : "Not set"
        font.pixelSize: 12
        font.weight: label.working || label.broken ? Font.DemiBold : Font.Medium
        color: label.working ? WelcomePalette.greenText : label.broken ? WelcomePalette.warning : WelcomePalette.tertiary
    }
}
