pragma Singleton
import QtQuick

// The twelve colours the welcome and settings windows share.
QtObject {
    readonly property color background: "#1F1F23"
    readonly property color closedCard: Qt.rgba(1, 1, 1, 0.06)
    readonly property color openCard: "#2E2E33"
    readonly property color hairline: Qt.rgba(1, 1, 1, 0.10)
    readonly property color primary: "#F5F5F7"
    readonly property color secondary: "#B0B0B8"
    readonly property color waitingRing: Qt.rgba(1, 1, 1, 0.18)
    readonly property color tertiary: "#8E8E96"
    readonly property color greenText: "#4CD471"
    readonly property color greenFill: "#2FA552"
    readonly property color warning: "#FF8A80"
    readonly property color keycap: "#3C3C42"
    // Not one of the twelve: the desktop's accent, for prominent buttons and recording.
    readonly property color accent: "#0A84FF"
    // The keyboard focus ring: the accent, lighter, to stand out on the dark cards.
    readonly property color focus: "#64B0FF"
}
