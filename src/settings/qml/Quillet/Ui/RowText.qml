import QtQuick
import QtQuick.Layouts

// A title with a detail line under it; both wrap.
ColumnLayout {
    property alias title: titleText.text
    property alias detail: detailText.text
    property real size: 14
    spacing: 1
    Layout.fillWidth: true
    Text {
        id: titleText
        objectName: "title"
        Layout.fillWidth: true
        wrapMode: Text.Wrap
        font.pixelSize: parent.size
        font.weight: Font.DemiBold
        color: WelcomePalette.primary
    }
    Text {
        id: detailText
        objectName: "detail"
        Layout.fillWidth: true
        visible: text.length > 0
        wrapMode: Text.Wrap
        font.pixelSize: parent.size - 1.5
        color: WelcomePalette.secondary
    }
}
