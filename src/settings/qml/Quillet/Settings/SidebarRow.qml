import QtQuick
import QtQuick.Layouts
import Quillet.Ui

// One section in the sidebar.
Rectangle {
    id: row
    property string title
    property string symbol
    property bool selected: false
    signal clicked()
    implicitHeight: 34
    radius: 10
    color: selected ? Qt.rgba(1, 1, 1, 0.14) : "transparent"
    border.width: selected ? 0.5 : 0
    border.color: Qt.rgba(1, 1, 1, 0.10)
    readonly property color ink: selected ? WelcomePalette.primary : Qt.rgba(0.8, 0.8, 0.8, 1)

    RowLayout {
        anchors.fill: parent
        anchors.leftMargin: 8
        anchors.rightMargin: 8
        spacing: 9
        Symbol {
            name: row.symbol
            Layout.preferredWidth: 22
            horizontalAlignment: Text.AlignHCenter
            font.pixelSize: 14
            color: row.ink
        }
        Text {
            Layout.fillWidth: true
            text: row.title
            font.pixelSize: 13
            font.weight: Font.Medium
            color: row.ink
        }
    }
    MouseArea {
        anchors.fill: parent
        onClicked: row.clicked()
    }
}
