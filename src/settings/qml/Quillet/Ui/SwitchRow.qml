import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts

// A row with a title, a detail and a switch; `toggled` tells the new value.
Item {
    id: row
    property alias title: text.title
    property alias detail: text.detail
    property bool checked: false
    signal toggled(bool on)
    Layout.fillWidth: true
    implicitHeight: Math.max(56, layout.implicitHeight + 20)

    RowLayout {
        id: layout
        anchors.fill: parent
        anchors.leftMargin: 18
        anchors.rightMargin: 16
        anchors.topMargin: 10
        anchors.bottomMargin: 10
        spacing: 16
        RowText { id: text; size: 14 }
        Switch {
            id: control
            objectName: "switch"
            checked: row.checked
            onToggled: row.toggled(checked)
            indicator: Rectangle {
                implicitWidth: 40
                implicitHeight: 22
                x: control.leftPadding
                y: parent.height / 2 - height / 2
                radius: 11
                color: control.checked ? WelcomePalette.accent : Qt.rgba(1, 1, 1, 0.16)
                opacity: control.enabled ? 1 : 0.4
                FocusRing { shown: control.visualFocus; itemRadius: 11 }
                Rectangle {
                    x: control.checked ? parent.width - width - 2 : 2
                    y: 2
                    width: 18
                    height: 18
                    radius: 9
                    color: "white"
                    Behavior on x { NumberAnimation { duration: 120 } }
                }
            }
        }
    }
}
