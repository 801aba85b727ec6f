import QtQuick
import Quillet.Ui

// The mascot at its melt stage, the title and the tagline, 460 × 400. Riding over the window's
// top edge only the part below it (the lower 289) is drawn; inside the window, all of it.
Item {
    id: header
    required property QtObject welcome
    property bool whole: false
    width: 460
    height: 400

    Item {
        id: mask
        y: header.whole ? 0 : 111
        width: 460
        height: 400 - y
        clip: true
        Item {
            y: -mask.y
            width: 460
            height: 400
            Repeater {
                model: header.welcome.quill.length === 10 ? header.welcome.quill : []
                Image {
                    required property int index
                    required property string modelData
                    objectName: "quill" + index
                    x: 30
                    y: 15
                    width: 400
                    height: 370
                    source: modelData
                    sourceSize: Qt.size(400, 370)
                    fillMode: Image.Stretch
                    smooth: true
                    mipmap: true
                    opacity: index === header.welcome.melt ? 1 : 0
                    Behavior on opacity { NumberAnimation { duration: 300; easing.type: Easing.InOutQuad } }
                }
            }
            Image {
                objectName: "appIcon"
                visible: header.welcome.quill.length !== 10
                x: (460 - 150) / 2
                y: 91
                width: 150
                height: 150
                source: "qrc:/MeltIcons/melt-0.png"
                smooth: true
                mipmap: true
            }
        }
    }

    Column {
        y: 260
        width: 460
        spacing: 5
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: "Welcome to Quillet™"
            font.pixelSize: 28
            font.bold: true
            font.letterSpacing: -0.5
            color: WelcomePalette.primary
            style: Text.Raised
            styleColor: Qt.rgba(0, 0, 0, 0.35)
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: "The AI coder’s QA screenshot tool"
            font.pixelSize: 15
            color: WelcomePalette.secondary
        }
    }
}
