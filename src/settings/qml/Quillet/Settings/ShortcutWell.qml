import QtQuick
import QtQuick.Layouts
import Quillet.Ui

// The big keycaps of the main shortcut, with its Record/Change/Cancel button.
Rectangle {
    id: well
    property var caps: []
    property bool recording: false
    property var held: []
    signal toggle()
    implicitHeight: layout.implicitHeight + 28
    radius: 16
    color: Qt.rgba(0, 0, 0, 0.24)
    border.width: recording ? 2 : 0.5
    border.color: recording ? WelcomePalette.accent : Qt.rgba(1, 1, 1, 0.10)
    Behavior on border.width { NumberAnimation { duration: 150 } }

    RowLayout {
        id: layout
        anchors.fill: parent
        anchors.leftMargin: 16
        anchors.rightMargin: 14
        anchors.topMargin: 14
        anchors.bottomMargin: 14
        spacing: 14
        Item {
            objectName: "keycapArea"
            Layout.fillWidth: true
            implicitHeight: keys.implicitHeight
            RowLayout {
                id: keys
                spacing: 8
                Repeater {
                    model: well.recording ? well.held : well.caps
                    BigKeycap { required property var modelData; cap: modelData }
                }
                Text {
                    objectName: "wellText"
                    visible: (well.recording ? well.held : well.caps).length === 0
                    Layout.leftMargin: 6
                    text: well.recording ? "Press the keys you want" : "No shortcut yet"
                    font.pixelSize: 15
                    font.weight: Font.DemiBold
                    color: well.recording ? WelcomePalette.primary : WelcomePalette.secondary
                }
            }
            MouseArea {
                anchors.fill: parent
                onClicked: well.toggle()
            }
        }
        PillButton {
            objectName: "wellButton"
            text: well.recording ? "Cancel" : well.caps.length > 0 ? "Change" : "Record"
            size: 14
            controlSize: "extraLarge"
            onClicked: well.toggle()
        }
    }
}
