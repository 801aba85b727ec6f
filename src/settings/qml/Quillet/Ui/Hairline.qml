import QtQuick
import QtQuick.Layouts

// A thin separator, indented at its leading edge.
Item {
    property real inset: 18
    Layout.fillWidth: true
    implicitHeight: 0.5
    Rectangle {
        x: parent.inset
        width: parent.width - parent.inset
        height: 0.5
        color: Qt.rgba(1, 1, 1, 0.10)
    }
}
