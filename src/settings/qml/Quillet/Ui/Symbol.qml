import QtQuick
import QtQuick.Window

// A small symbol by name: the icon theme's standard icon in the given colour, or one drawn by
// the application where the theme has none. Sized like the glyph of `font` it stands beside.
Item {
    id: symbol
    property string name: ""
    property color color: WelcomePalette.primary
    property alias font: metrics.font
    property int horizontalAlignment: Text.AlignHCenter
    readonly property real side: Math.round((metrics.font.pixelSize > 0 ? metrics.font.pixelSize : 13) * 1.15)
    implicitWidth: side
    implicitHeight: side

    Text { id: metrics; visible: false }
    Image {
        anchors.centerIn: parent
        width: symbol.side
        height: symbol.side
        sourceSize: Qt.size(Math.ceil(symbol.side * Screen.devicePixelRatio), Math.ceil(symbol.side * Screen.devicePixelRatio))
        source: symbol.name.length > 0 ? "image://symbol/" + symbol.name + "/" + String(symbol.color).replace("#", "") : ""
        smooth: true
    }
}
