import QtQuick
import QtQuick.Layouts
import Quillet.Ui

// One step: its marker and connector on the left, its card (open or closed) on the right.
RowLayout {
    id: row
    required property QtObject welcome
    required property int step
    readonly property bool done: welcome.ticks[step] === true
    readonly property bool isOpen: welcome.openStep === step
    readonly property var titles: ["Screen capture", "Paste into other apps", "Pick your shortcut", "Try it"]
    readonly property string note: {
        if (step === 0 || step === 1)
            return done ? "Available" : ""
        if (step === 2) {
            switch (welcome.statusKind) {
            case "unassigned": return "Not set yet"
            case "takenByApp": return "Another app uses this shortcut"
            case "system": return "The system uses this shortcut"
            default: return ""
            }
        }
        return !done ? "Take your first shot"
               : welcome.hasTray ? "Done. Quillet™ lives in the tray." : "Done. Quillet™ keeps running."
    }
    spacing: 14

    // The marker and the line down to the next step.
    Item {
        Layout.preferredWidth: 36
        Layout.fillHeight: true
        Rectangle {
            objectName: "marker"
            x: 4
            y: 12
            width: 28
            height: 28
            radius: 14
            color: row.done ? WelcomePalette.greenFill : row.isOpen ? WelcomePalette.accent : "transparent"
            border.width: row.done || row.isOpen ? 0 : 1.5
            border.color: WelcomePalette.waitingRing
            Text {
                objectName: "markerText"
                anchors.centerIn: parent
                text: row.done ? "✓" : String(row.step + 1)
                font.pixelSize: row.done ? 13 : 14
                font.bold: true
                color: row.done || row.isOpen ? "white" : WelcomePalette.secondary
            }
        }
        Rectangle {
            objectName: "connector"
            visible: row.step < 3
            x: 16.5
            y: 12 + 28 + 5
            width: 3
            height: Math.max(8, parent.height - y + 7)
            radius: 1.5
            color: row.done ? WelcomePalette.greenFill : WelcomePalette.waitingRing
        }
    }

    Item {
        Layout.fillWidth: true
        Layout.bottomMargin: 10
        implicitHeight: row.isOpen ? openCard.implicitHeight : closedCard.implicitHeight

        // Closed: the title, its note and a chevron; a click opens it.
        Rectangle {
            id: closedCard
            objectName: "closedCard"
            visible: !row.isOpen
            width: parent.width
            implicitHeight: Math.max(52, closedContent.implicitHeight + 20)
            height: implicitHeight
            radius: 16
            color: cardHover.hovered ? Qt.rgba(1, 1, 1, 0.09) : WelcomePalette.closedCard
            border.width: 0.5
            border.color: WelcomePalette.hairline
            RowLayout {
                id: closedContent
                anchors.fill: parent
                anchors.leftMargin: 18
                anchors.rightMargin: 14
                anchors.topMargin: 10
                anchors.bottomMargin: 10
                spacing: 10
                ColumnLayout {
                    spacing: 1
                    Layout.fillWidth: true
                    Text {
                        objectName: "closedTitle"
                        text: row.titles[row.step]
                        font.pixelSize: 15
                        font.weight: Font.DemiBold
                        color: WelcomePalette.primary
                    }
                    Text {
                        objectName: "note"
                        visible: row.note.length > 0
                        Layout.fillWidth: true
                        text: row.note
                        wrapMode: Text.Wrap
                        font.pixelSize: 13
                        readonly property bool granted: row.step < 2 && row.done
                        font.weight: granted ? Font.Medium : Font.Normal
                        color: granted ? WelcomePalette.greenText : WelcomePalette.secondary
                    }
                }
                Row {
                    objectName: "smallKeys"
                    visible: row.step === 2
                    spacing: 5
                    Repeater {
                        model: row.step === 2 ? row.welcome.shortcutCaps : []
                        SmallKeycap {
                            required property string modelData
                            cap: modelData
                            size: 13
                            implicitHeight: 28
                        }
                    }
                }
                Text {
                    text: "›"
                    font.pixelSize: 18
                    font.bold: true
                    color: WelcomePalette.tertiary
                }
            }
            HoverHandler { id: cardHover }
            MouseArea {
                anchors.fill: parent
                onClicked: row.welcome.choose(row.step)
            }
        }

        // Open: the title and the step's body, pointing at its marker.
        Item {
            id: openCard
            objectName: "openCard"
            visible: row.isOpen
            width: parent.width
            implicitHeight: openContent.implicitHeight + 36
            height: implicitHeight
            Rectangle {
                x: -6
                y: 19
                width: 14
                height: 14
                radius: 3
                rotation: 45
                color: WelcomePalette.openCard
            }
            Rectangle {
                anchors.fill: parent
                radius: 18
                color: WelcomePalette.openCard
                border.width: 0.5
                border.color: WelcomePalette.hairline
            }
            ColumnLayout {
                id: openContent
                x: 18
                y: 18
                width: parent.width - 36
                spacing: 6
                Text {
                    objectName: "openTitle"
                    text: row.titles[row.step]
                    font.pixelSize: 19
                    font.bold: true
                    color: WelcomePalette.primary
                }
                Loader {
                    Layout.fillWidth: true
                    active: row.isOpen
                    sourceComponent: row.step === 2 ? shortcutBody : row.step === 3 ? tryBody : permissionBody
                }
            }
        }
    }

    Component {
        id: permissionBody
        ColumnLayout {
            spacing: 14
            Text {
                Layout.fillWidth: true
                wrapMode: Text.Wrap
                lineHeight: 1.2
                font.pixelSize: 14
                color: WelcomePalette.secondary
                text: row.step === 0
                      ? "Lets Quillet™ see the screen when you capture. An X11 desktop needs nothing switched on; a Wayland session cannot be captured."
                      : "Lets Ctrl+Return paste your picture into the app you came from, by sending it the paste keys, and keeps your shortcut and Escape instant in any app."
            }
            Text {
                objectName: "availability"
                Layout.fillWidth: true
                wrapMode: Text.Wrap
                font.pixelSize: 14
                font.weight: row.done ? Font.DemiBold : Font.Normal
                color: row.done ? WelcomePalette.greenText : WelcomePalette.warning
                text: row.done ? "✓  Available"
                               : (row.step === 0 ? row.welcome.screenReason : row.welcome.accessReason)
            }
        }
    }

    Component {
        id: shortcutBody
        ShortcutStep { welcome: row.welcome }
    }

    Component {
        id: tryBody
        ColumnLayout {
            spacing: 14
            readonly property bool ready: row.welcome.screen && row.welcome.access
            Text {
                objectName: "tryText"
                Layout.fillWidth: true
                wrapMode: Text.Wrap
                lineHeight: 1.2
                font.pixelSize: 14
                color: WelcomePalette.secondary
                text: row.done ? (row.welcome.hasTray ? "That’s it. Quillet™ lives in the tray; recent captures are there too."
                                  : "That’s it. Quillet™ keeps running without a tray icon on this desktop: open Quillet™ again to see its menu and your recent captures.")
                      : !parent.ready ? "Once the steps above are available, press your shortcut and drag over something."
                      : row.welcome.shortcutText.length > 0
                        ? "Press " + row.welcome.shortcutText + ", drag over something, draw an arrow and type. Ctrl+C copies and closes."
                        : "Take a shot, drag over something, draw an arrow and type. Ctrl+C copies and closes."
            }
            PillButton {
                objectName: "takeShot"
                visible: !row.done
                text: "Take a shot"
                prominent: parent.ready
                enabled: parent.ready
                size: 15
                wide: true
                controlSize: "extraLarge"
                Layout.maximumWidth: 320
                onClicked: row.welcome.takeShot()
            }
        }
    }
}
