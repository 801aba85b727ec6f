import QtQuick
import QtQuick.Layouts

// A rounded card that holds rows; its children are laid out top to bottom.
Rectangle {
    default property alias content: column.data
    property real padding: 0
    Layout.fillWidth: true
    implicitHeight: column.implicitHeight + 2 * padding
    radius: 16
    color: Qt.rgba(1, 1, 1, 0.06)
    border.width: 0.5
    border.color: Qt.rgba(1, 1, 1, 0.10)
    ColumnLayout {
        id: column
        x: parent.padding
        y: parent.padding
        width: parent.width - 2 * parent.padding
        spacing: 0
    }
}
