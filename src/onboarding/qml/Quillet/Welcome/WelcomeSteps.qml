import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import QtQuick.Window
import Quillet.Ui

// The welcome window's content: room for the header, the four steps, the footer and the
// agreement sentence. Its height is the content's: every change is reported to the model.
Rectangle {
    id: root
    required property QtObject welcome
    color: WelcomePalette.background
    implicitWidth: 600
    implicitHeight: stack.implicitHeight
    focus: true
    onImplicitHeightChanged: heightReport.restart()
    Component.onCompleted: welcome.reportHeight(implicitHeight)
    Keys.onReturnPressed: welcome.finish()
    Keys.onEnterPressed: welcome.finish()
    // Escape (unless a shortcut is being recorded, which takes it) and Ctrl+W close the window.
    Keys.onEscapePressed: event => {
        if (root.welcome.recording) {
            event.accepted = false;
            return;
        }
        root.Window.window.close();
    }
    Shortcut {
        sequences: [StandardKey.Close]
        onActivated: root.Window.window.close()
    }

    // Several rows may change at once: one report for all of them.
    Timer {
        id: heightReport
        interval: 0
        onTriggered: root.welcome.reportHeight(root.implicitHeight)
    }

    // The window moves by its background.
    MouseArea {
        anchors.fill: parent
        onPressed: root.Window.window && root.Window.window.startSystemMove()
    }

    ColumnLayout {
        id: stack
        width: 600
        spacing: 0

        HeaderBand {
            id: band
            objectName: "headerBand"
            welcome: root.welcome
            Layout.fillWidth: true
            Layout.preferredHeight: 230 + band.room
        }

        ColumnLayout {
            Layout.fillWidth: true
            Layout.leftMargin: 28
            Layout.rightMargin: 28
            spacing: 0
            Repeater {
                model: 4
                StepRow {
                    required property int index
                    objectName: "step" + index
                    welcome: root.welcome
                    step: index
                    Layout.fillWidth: true
                }
            }
        }

        Rectangle {
            Layout.fillWidth: true
            Layout.topMargin: 12
            implicitHeight: 0.5
            color: WelcomePalette.hairline
        }

        RowLayout {
            Layout.fillWidth: true
            Layout.topMargin: 16
            Layout.leftMargin: 78
            Layout.bottomMargin: 12
            Layout.rightMargin: 28
            spacing: 16

            CheckBox {
                id: login
                objectName: "loginBox"
                text: "Open Quillet™ when I log in"
                checked: root.welcome.login
                onToggled: root.welcome.setLogin(checked)
                font.pixelSize: 14
                padding: 0
                spacing: 8
                contentItem: Text {
                    leftPadding: login.indicator.width + login.spacing
                    text: login.text
                    font: login.font
                    color: WelcomePalette.primary
                    verticalAlignment: Text.AlignVCenter
                }
                indicator: Rectangle {
                    implicitWidth: 16
                    implicitHeight: 16
                    y: (login.height - height) / 2
                    radius: 4
                    color: login.checked ? WelcomePalette.accent : "transparent"
                    border.width: login.checked ? 0 : 1
                    border.color: WelcomePalette.waitingRing
                    Text {
                        anchors.centerIn: parent
                        visible: login.checked
                        text: "✓"
                        color: "white"
                        font.pixelSize: 12
                        font.bold: true
                    }
                }
            }
            Item { Layout.fillWidth: true }
            PillButton {
                objectName: "finishButton"
                text: root.welcome.screen && root.welcome.access ? "Done" : "Finish later"
                prominent: root.welcome.current < 0
                size: 14
                controlSize: "extraLarge"
                onClicked: root.welcome.finish()
            }
        }

        Text {
            objectName: "agreement"
            Layout.fillWidth: true
            Layout.leftMargin: 78
            Layout.rightMargin: 28
            Layout.bottomMargin: 18
            wrapMode: Text.Wrap
            textFormat: Text.StyledText
            font.pixelSize: 12
            color: WelcomePalette.secondary
            linkColor: WelcomePalette.primary
            text: "By using Quillet™ you agree to the <a href=\"/terms/\">Terms of Service</a> and the "
                  + "<a href=\"/privacy/\">Privacy Policy</a>."
            onLinkActivated: link => root.welcome.openLegal(link)
            HoverHandler { cursorShape: parent.hoveredLink.length > 0 ? Qt.PointingHandCursor : Qt.ArrowCursor }
        }
    }

    // A staged window says so in its corner, clear of the footer's row.
    Rectangle {
        objectName: "previewBadge"
        visible: root.welcome.staged
        anchors.top: parent.top
        anchors.right: parent.right
        anchors.margins: 14
        implicitWidth: badgeText.implicitWidth + 18
        implicitHeight: badgeText.implicitHeight + 8
        radius: height / 2
        color: "#FF9F0A"
        Text {
            id: badgeText
            anchors.centerIn: parent
            text: "Preview only"
            font.pixelSize: 12
            font.weight: Font.DemiBold
            color: "black"
        }
        HoverHandler { id: badgeHover }
        ToolTip.visible: badgeHover.hovered
        ToolTip.text: "Staged with --welcome: these ticks are not what this computer allows."
    }
}
