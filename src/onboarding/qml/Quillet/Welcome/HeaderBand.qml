import QtQuick
import QtQuick.Window

// The room at the top of the window that the header covers. Where the desktop cannot show a
// see-through header window, the header is drawn here instead, cut at the window's top edge,
// and answers clicks like the header window does.
Item {
    id: band
    required property QtObject welcome
    // Drawn inside, the whole quill shows: the header starts 3 above the band, so the art (15
    // below the header's top) stays clear of the window's top edge.
    readonly property real headerY: -3
    readonly property real room: welcome.headerInside ? 108 : 0
    clip: true

    WelcomeHeader {
        visible: band.welcome.headerInside
        whole: true
        welcome: band.welcome
        x: (band.width - width) / 2
        y: band.headerY
    }
    MouseArea {
        enabled: band.welcome.headerInside
        anchors.fill: parent
        property point pressedAt
        property bool dragged: false
        onPressed: mouse => { pressedAt = Qt.point(mouse.x, mouse.y); dragged = false }
        onPositionChanged: mouse => {
            if (!dragged && Math.abs(mouse.x - pressedAt.x) + Math.abs(mouse.y - pressedAt.y) >= 3) {
                dragged = true
                if (band.Window.window)
                    band.Window.window.startSystemMove()
            }
        }
        onClicked: mouse => {
            if (!dragged)
                band.welcome.headerClick(mouse.x - (band.width - 460) / 2, mouse.y - band.headerY)
        }
    }
}
