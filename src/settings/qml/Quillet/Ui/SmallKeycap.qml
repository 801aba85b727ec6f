import QtQuick

// A small key of a shortcut in a list row.
Rectangle {
    property alias cap: label.text
    property real size: 14
    implicitWidth: Math.max(26, label.implicitWidth + 10)
    implicitHeight: 26
    radius: 7
    color: WelcomePalette.keycap
    border.width: 0.5
    border.color: Qt.rgba(1, 1, 1, 0.16)
    Text {
        id: label
        anchors.centerIn: parent
        font.pixelSize: parent.size
        font.weight: Font.Medium
        color: WelcomePalette.primary
    }
}
