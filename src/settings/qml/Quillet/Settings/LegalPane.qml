import QtQuick
import QtQuick.Layouts
import Quillet.Ui

// The legal documents on the maker's site, one row each.
ColumnLayout {
    id: pane
    required property QtObject settings
    required property QtObject prefs
    spacing: 14

    SettingsCard {
        objectName: "documents"
        visible: pane.prefs.legalDocuments.length > 0
        Repeater {
            model: pane.prefs.legalDocuments
            ColumnLayout {
                required property var modelData
                required property int index
                Layout.fillWidth: true
                spacing: 0
                Hairline { objectName: "hairline"; visible: index > 0; inset: 18 }
                Item {
                    id: document
                    objectName: "document-" + index
                    Layout.fillWidth: true
                    implicitHeight: Math.max(50, line.implicitHeight + 18)
                    activeFocusOnTab: true
                    Accessible.role: Accessible.Link
                    Accessible.name: modelData.title
                    Keys.onSpacePressed: pane.prefs.openLegal(modelData.path)
                    Keys.onReturnPressed: pane.prefs.openLegal(modelData.path)
                    FocusRing { shown: document.activeFocus; gap: -2; itemRadius: 10 }
                    RowLayout {
                        id: line
                        anchors.fill: parent
                        anchors.leftMargin: 18
                        anchors.rightMargin: 18
                        spacing: 16
                        RowText { title: modelData.title; detail: modelData.detail; size: 14 }
                        Symbol { name: "link"; font.pixelSize: 12; font.weight: Font.DemiBold; color: WelcomePalette.tertiary }
                    }
                    MouseArea {
                        anchors.fill: parent
                        cursorShape: Qt.PointingHandCursor
                        onClicked: pane.prefs.openLegal(modelData.path)
                    }
                }
            }
        }
    }

    Text {
        objectName: "agreement"
        Layout.fillWidth: true
        Layout.leftMargin: 2
        Layout.rightMargin: 2
        textFormat: Text.StyledText
        text: "By using Quillet™ you agree to the <a href=\"/terms/\">Terms of Service</a> and the <a href=\"/privacy/\">Privacy Policy</a>."
        wrapMode: Text.Wrap
        font.pixelSize: 12
        color: WelcomePalette.secondary
        linkColor: WelcomePalette.primary
        onLinkActivated: link => pane.prefs.openLegal(link)
    }
}
