import QtQuick

// Underlined words that do something: a click, or Space or Return when the Tab key has
// brought the keyboard here (its focus ring shows then).
Text {
    id: link
    signal activated()
    font.pixelSize: 12
    font.weight: Font.Medium
    font.underline: true
    color: WelcomePalette.primary
    activeFocusOnTab: true
    Accessible.role: Accessible.Link
    Accessible.name: text
    Keys.onSpacePressed: link.activated()
    Keys.onReturnPressed: link.activated()
    Keys.onEnterPressed: link.activated()
    FocusRing { shown: link.activeFocus; gap: 2; itemRadius: 2 }
    MouseArea {
        anchors.fill: parent
        cursorShape: Qt.PointingHandCursor
        onClicked: link.activated()
    }
}
