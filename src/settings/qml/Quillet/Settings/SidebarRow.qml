import QtQuick
import QtQuick.Layouts
import Quillet.Ui

// One section in the sidebar. A stop of the Tab chain: Space or Return opens it, the arrow
// keys ask for the row above or below (moved).
Rectangle {
    id: row
    property string title
    property string symbol
    property bool selected: false
    signal clicked()
    signal moved(int step)
    implicitHeight: 34
    radius: 10
    color: selected ? Qt.rgba(1, 1, 1, 0.14) : hover.hovered ? Qt.rgba(1, 1, 1, 0.06) : "transparent"
    border.width: selected ? 0.5 : 0
    border.color: Qt.rgba(1, 1, 1, 0.10)
    readonly property color ink: selected ? WelcomePalette.primary : Qt.rgba(0.8, 0.8, 0.8, 1)
    activeFocusOnTab: true
    Accessible.role: Accessible.PageTab
    Accessible.name: title

    Keys.onUpPressed: row.moved(-1)
    Keys.onDownPressed: row.moved(1)
    Keys.onSpacePressed: row.clicked()
    Keys.onReturnPressed: row.clicked()
    Keys.onEnterPressed: row.clicked()

    FocusRing { shown: row.activeFocus; gap: 1; itemRadius: row.radius }

    RowLayout {
        anchors.fill: parent
        anchors.leftMargin: 8
        anchors.rightMargin: 8
        spacing: 9
        Symbol {
            name: row.symbol
            Layout.preferredWidth: 22
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
    HoverHandler { id: hover }
    MouseArea {
        anchors.fill: parent
        onClicked: row.clicked()
    }
}
