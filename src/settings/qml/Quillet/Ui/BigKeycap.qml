import QtQuick

// One large key of a shortcut; a waiting key is an empty dashed outline.
Item {
    id: key
    property string cap: ""
    property bool waiting: false
    implicitWidth: Math.max(58, text.implicitWidth + 26)
    implicitHeight: 58

    Rectangle { // the key's lower edge
        visible: !key.waiting
        anchors.fill: parent
        anchors.topMargin: 3
        anchors.bottomMargin: -3
        radius: 14
        color: Qt.rgba(0, 0, 0, 0.55)
    }
    Rectangle {
        visible: !key.waiting
        anchors.fill: parent
        radius: 14
        gradient: Gradient {
            GradientStop { position: 0; color: Qt.rgba(0.36, 0.36, 0.36, 1) }
            GradientStop { position: 1; color: Qt.rgba(0.25, 0.25, 0.25, 1) }
        }
        border.width: 1
        border.color: Qt.rgba(1, 1, 1, 0.18)
    }
    Canvas { // dashed outline of a key still to come
        visible: key.waiting
        anchors.fill: parent
        onPaint: {
            const ctx = getContext("2d");
            ctx.clearRect(0, 0, width, height);
            ctx.strokeStyle = Qt.rgba(1, 1, 1, 0.18);
            ctx.lineWidth = 1.5;
            ctx.setLineDash([5 / 1.5, 4 / 1.5]);
            ctx.beginPath();
            ctx.roundedRect(0.75, 0.75, width - 1.5, height - 1.5, 14, 14);
            ctx.stroke();
        }
    }
    Text {
        id: text
        anchors.centerIn: parent
        text: key.cap
        font.pixelSize: 27
        font.weight: Font.Medium
        color: WelcomePalette.primary
    }
}
