import QtQuick
import Quillet.Ui

// The mascot over the settings window's top edge; clicks belong to its window.
Item {
    id: root
    required property QtObject settings
    QuillStack {
        width: 192
        height: 178
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.top: parent.top
        stage: root.settings.sidebarMelt
    }
}
