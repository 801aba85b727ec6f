import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import QtQuick.Window
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

    // The keys of the window: Escape (unless a shortcut is being recorded, which takes it) and
    // Ctrl+W close it; the rows of the sidebar and every control are stops of the Tab chain.
    focus: true
    Keys.onEscapePressed: event => {
        if (root.settings.recording) {
            event.accepted = false;
            return;
        }
        root.Window.window.close();
    }
    Shortcut {
        sequences: [StandardKey.Close]
        onActivated: root.Window.window.close()
    }

    // Opens the section of a row above or below, and keeps the keyboard on that row.
    function moveSection(from, step) {
        const to = Math.max(0, Math.min(sections.length - 1, from + step));
        if (to === from)
            return;
        root.settings.select(to);
        sidebarRows.itemAt(to).forceActiveFocus();
    }

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
                    Item {
                        objectName: "header"
                        Layout.fillWidth: true
                        Layout.topMargin: 40
                        Layout.bottomMargin: 14
                        implicitHeight: heading.implicitHeight
                        ColumnLayout {
                            id: heading
                            anchors.horizontalCenter: parent.horizontalCenter
                            spacing: 1
                            Text { Layout.alignment: Qt.AlignHCenter; text: "Quillet™"; font.pixelSize: 16; font.bold: true; color: WelcomePalette.primary }
                            Text { Layout.alignment: Qt.AlignHCenter; text: "Settings"; font.pixelSize: 12; color: WelcomePalette.secondary }
                        }
                        // The application's menu: its button, and a right click on the header.
                        MouseArea {
                            anchors.fill: parent
                            acceptedButtons: Qt.RightButton
                            enabled: menuButton.enabled
                            onClicked: mouse => {
                                const at = mapToGlobal(mouse.x, mouse.y);
                                root.settings.showMenu(at.x, at.y);
                            }
                        }
                        Button {
                            id: menuButton
                            objectName: "menuButton"
                            anchors.right: parent.right
                            anchors.verticalCenter: heading.verticalCenter
                            width: 28
                            height: 28
                            visible: enabled
                            enabled: root.settings.unavailable.indexOf("showMenu") < 0
                            hoverEnabled: true
                            Accessible.name: "Menu"
                            ToolTip.visible: hovered
                            ToolTip.text: "Menu"
                            onClicked: {
                                const at = mapToGlobal(0, height);
                                root.settings.showMenu(at.x, at.y);
                            }
                            contentItem: Item {
                                Symbol { anchors.centerIn: parent; name: "menu"; font.pixelSize: 14; color: WelcomePalette.secondary }
                            }
                            background: Rectangle {
                                radius: 7
                                color: menuButton.down ? Qt.rgba(1, 1, 1, 0.16) : menuButton.hovered ? Qt.rgba(1, 1, 1, 0.10) : "transparent"
                                FocusRing { shown: menuButton.visualFocus; itemRadius: 7 }
                            }
                        }
                    }
                    ColumnLayout {
                        Layout.fillWidth: true
                        spacing: 2
                        Repeater {
                            id: sidebarRows
                            model: root.sections
                            SidebarRow {
                                required property var modelData
                                objectName: "row-" + modelData.name
                                Layout.fillWidth: true
                                title: modelData.title
                                symbol: modelData.symbol
                                selected: root.settings.section === modelData.section
                                onClicked: root.settings.select(modelData.section)
                                onMoved: step => root.moveSection(modelData.section, step)
                            }
                        }
                    }
                    Item { Layout.fillHeight: true; Layout.minimumHeight: 8 }
                    // The version line wraps rather than being cut; the badge of a staged
                    // window goes under it.
                    ColumnLayout {
                        Layout.fillWidth: true
                        Layout.leftMargin: 8
                        Layout.rightMargin: 8
                        spacing: 6
                        Text {
                            objectName: "version"
                            Layout.fillWidth: true
                            text: root.prefs.sidebarVersion
                            wrapMode: Text.Wrap
                            font.pixelSize: 11
                            color: WelcomePalette.tertiary
                        }
                        Rectangle {
                            objectName: "stagedBadge"
                            visible: root.settings.staged
                            Layout.alignment: Qt.AlignLeft
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
            // A pane taller than the window says so with its scroll bar, and the control the
            // keyboard moves to is scrolled into view.
            ScrollBar.vertical.policy: contentHeight > height ? ScrollBar.AlwaysOn : ScrollBar.AsNeeded
            Connections {
                target: root.Window.window
                function onActiveFocusItemChanged() {
                    const item = root.Window.window ? root.Window.window.activeFocusItem : null;
                    const flick = scroll.contentItem;
                    if (!item || !flick || !flick.contentItem)
                        return;
                    let inside = item;
                    while (inside && inside !== flick.contentItem)
                        inside = inside.parent;
                    if (!inside)
                        return;
                    const box = item.mapToItem(flick.contentItem, 0, 0, item.width, item.height);
                    const margin = 12;
                    if (box.y - margin < flick.contentY)
                        flick.contentY = Math.max(0, box.y - margin);
                    else if (box.y + box.height + margin > flick.contentY + flick.height)
                        flick.contentY = Math.min(Math.max(0, flick.contentHeight - flick.height),
                                                  box.y + box.height + margin - flick.height);
                }
            }
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
