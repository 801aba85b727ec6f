import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts

// A capsule button: prominent ones are filled with the accent colour, plain ones outlined.
Button {
    id: control
    property bool prominent: false
    property real size: 13
    property bool wide: false
    // "regular", "large" or "extraLarge"
    property string controlSize: "regular"

    implicitHeight: controlSize === "extraLarge" ? 40 : controlSize === "large" ? 32 : 26
    implicitWidth: Math.max(implicitHeight, label.implicitWidth + 2 * (8 + implicitHeight / 2.6))
    Layout.fillWidth: wide
    hoverEnabled: true
    font.pixelSize: size
    font.weight: Font.DemiBold

    contentItem: Text {
        id: label
        text: control.text
        font: control.font
        color: !control.enabled ? Qt.rgba(1, 1, 1, 0.35) : control.prominent ? "white" : WelcomePalette.primary
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }
    background: Rectangle {
        radius: height / 2
        color: control.prominent
               ? (control.enabled ? Qt.darker(WelcomePalette.accent, control.down ? 1.25 : 1.0) : Qt.rgba(1, 1, 1, 0.08))
               : (control.down ? Qt.rgba(1, 1, 1, 0.16) : control.hovered && control.enabled ? Qt.rgba(1, 1, 1, 0.12) : Qt.rgba(1, 1, 1, 0.08))
        border.width: control.prominent ? 0 : 0.5
        border.color: Qt.rgba(1, 1, 1, 0.18)
        FocusRing { shown: control.visualFocus; itemRadius: height / 2 }
    }
}
