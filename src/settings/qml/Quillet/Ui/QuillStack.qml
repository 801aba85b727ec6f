import QtQuick

// The mascot at a melt stage 0…9, the welcome window's quill pictures; a change of stage
// cross-fades over 0.3 s.
Item {
    id: stack
    property int stage: 0
    readonly property int count: 10

    Repeater {
        model: stack.count
        Image {
            required property int index
            anchors.fill: parent
            source: "qrc:/WelcomeQuill/melt-" + index + ".png"
            fillMode: Image.PreserveAspectFit
            smooth: true
            mipmap: true
            opacity: index === stack.stage ? 1 : 0
            Behavior on opacity { NumberAnimation { duration: 300; easing.type: Easing.InOutQuad } }
        }
    }
}
