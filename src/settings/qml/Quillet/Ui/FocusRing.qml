import QtQuick

// The ring around the control that has the keyboard focus: drawn just outside the item it is
// given, shown while `shown` (the control's visualFocus) holds.
Rectangle {
    property bool shown: false
    property real gap: 3
    property real itemRadius: 0
    anchors.fill: parent
    anchors.margins: -gap
    radius: itemRadius + gap
    color: "transparent"
    border.width: 2
    border.color: WelcomePalette.focus
    visible: shown
    z: 10
}
