import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Quillet.Ui

// The settings window's content: the sidebar of sections and the selected section's pane.
Rectangle {
    id: root
    required property QtObject settings
    required property QtObject prefs
    color: WelcomePalette.background

    readonly property var sections: [
        { section: 0, name: "shortcuts", title: "Shortcuts", symbol: "keyboard",
          summary: "Click a shortcut to change it. Delete clears it, Esc cancels." },
        { section: 1, name: "canvas", title: "Canvas", symbol: "arrow.up.right",
          summary: "How marking up and exporting behave." },
        { section: 2, name: "general", title: "General", symbol: "slider.horizontal.3",
          summary: "Startup, history and where Quillet™ lives." },
        { section: 3, name: "permissions", title: "Permissions", symbol: "lock",
          summary: "What this desktop lets Quillet™ do." },
        { section: 4, name: "reports", title: "Problem Reports", symbol: "exclamationmark.triangle",
          summary: "Help fix what goes wrong." },
        { section: 5, name: "contact", title: "Contact", symbol: "envelope",
          summary: "A question, an idea, something broken? Write to us." },
        { section: 6, name: "legal", title: "Legal", symbol: "doc.text",
          summary: "The terms you use Quillet™ under, and how your information is handled." },
        { section: 7, name: "about", title: "About", symbol: "info.circle", summary: "" }
    ]
    readonly property var current: sections[settings.section]

    RowLayout {
        anchors.fill: parent
        spacing: 0

        // Sidebar
        Item {
            Layout.preferredWidth: 216
            Layout.fillHeight: true
            Rectangle {
                anchors.fill: parent
                anchors.topMargin: 10
                anchors.leftMargin: 10
                anchors.bottomMargin: 10
                radius: 18
                color: Qt.rgba(1, 1, 1, 0.05)
                border.width: 0.5
                border.color: Qt.rgba(1, 1, 1, 0.08)

                ColumnLayout {
                    anchors.fill: parent
                    anchors.leftMargin: 10
                    anchors.rightMargin: 10
                    anchors.bottomMargin: 12
                    spacing: 0
                    ColumnLayout {
                        Layout.topMargin: 40
                        Layout.bottomMargin: 14
                        Layout.alignment: Qt.AlignHCenter
                        spacing: 1
                        Text { Layout.alignment: Qt.AlignHCenter; text: "Quillet™"; font.pixelSize: 16; font.bold: true; color: WelcomePalette.primary }
                        Text { Layout.alignment: Qt.AlignHCenter; text: "Settings"; font.pixelSize: 12; color: WelcomePalette.secondary }
                    }
                    ColumnLayout {
                        Layout.fillWidth: true
                        spacing: 2
                        Repeater {
                            model: root.sections
                            SidebarRow {
                                required property var modelData
                                objectName: "row-" + modelData.name
                                Layout.fillWidth: true
                                title: modelData.title
                                symbol: modelData.symbol
                                selected: root.settings.section === modelData.section
                                onClicked: root.settings.select(modelData.section)
                            }
                        }
                    }
                    Item { Layout.fillHeight: true; Layout.minimumHeight: 8 }
                    RowLayout {
                        Layout.fillWidth: true
                        Layout.leftMargin: 8
                        Layout.rightMargin: 8
                        spacing: 8
                        Text {
                            objectName: "version"
                            Layout.fillWidth: true
                            text: root.prefs.sidebarVersion
                            elide: Text.ElideRight
                            font.pixelSize: 11
                            color: WelcomePalette.tertiary
                        }
                        Rectangle {
                            objectName: "stagedBadge"
                            visible: root.settings.staged
                            Layout.alignment: Qt.AlignRight
                            implicitWidth: badge.implicitWidth + 16
                            implicitHeight: badge.implicitHeight + 6
                            radius: height / 2
                            color: "#FF9F0A"
                            Text { id: badge; anchors.centerIn: parent; text: "Preview only"; font.pixelSize: 11; font.weight: Font.DemiBold; color: "black" }
                            HoverHandler { id: badgeHover }
                            ToolTip.visible: badgeHover.hovered
                            ToolTip.text: root.prefs.words("Staged with --settings: not everything shown is what this Mac has.")
                        }
                    }
                }
            }
        }

        // Detail
        Item {
            Layout.fillWidth: true
            Layout.fillHeight: true
            Loader {
                id: detail
                objectName: "detail"
                anchors.fill: parent
                // A new section starts afresh, scrolled to the top.
                sourceComponent: root.settings.section === 7 ? aboutPage : scrolledPage
            }
            Connections {
                target: root.settings
                function onSectionChanged() {
                    detail.active = false;
                    detail.active = true;
                }
            }
        }
    }

    Component {
        id: aboutPage
        AboutPane { settings: root.settings; prefs: root.prefs }
    }

    Component {
        id: scrolledPage
        ScrollView {
            id: scroll
            objectName: "scroll"
            contentWidth: availableWidth
            clip: true
            ColumnLayout {
                width: scroll.availableWidth
                spacing: 0
                ColumnLayout {
                    Layout.fillWidth: true
                    Layout.topMargin: 26
                    Layout.leftMargin: 28
                    Layout.rightMargin: 30
                    Layout.bottomMargin: 24
                    spacing: 16
                    ColumnLayout {
                        Layout.fillWidth: true
                        spacing: 4
                        Text {
                            objectName: "paneTitle"
                            text: root.current.title
                            font.pixelSize: 24; font.bold: true; font.letterSpacing: -0.4
                            color: WelcomePalette.primary
                        }
                        Text {
                            objectName: "paneSummary"
                            Layout.fillWidth: true
                            text: root.prefs.words(root.current.summary)
                            wrapMode: Text.Wrap
                            font.pixelSize: 13
                            color: WelcomePalette.secondary
                        }
                    }
                    Loader {
                        Layout.fillWidth: true
                        sourceComponent: [shortcutsPane, canvasPane, generalPane, permissionsPane,
                                          reportsPane, contactPane, legalPane, null][root.settings.section]
                    }
                }
            }
        }
    }

    Component { id: shortcutsPane; ShortcutsPane { settings: root.settings; prefs: root.prefs } }
    Component { id: canvasPane; CanvasPane { settings: root.settings; prefs: root.prefs } }
    Component { id: generalPane; GeneralPane { settings: root.settings; prefs: root.prefs } }
    Component { id: permissionsPane; PermissionsPane { settings: root.settings; prefs: root.prefs } }
    Component { id: reportsPane; ReportsPane { settings: root.settings; prefs: root.prefs } }
    Component { id: contactPane; ContactPane { settings: root.settings; prefs: root.prefs } }
    Component { id: legalPane; LegalPane { settings: root.settings; prefs: root.prefs } }
}
