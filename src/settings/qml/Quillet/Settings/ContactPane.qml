import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Quillet.Ui

// A message to the maker: the form, and the thanks once it is sent.
ColumnLayout {
    id: pane
    required property QtObject settings
    required property QtObject prefs
    // idle 0, sending 1, sent 2, failed 3
    readonly property int state: settings.contactState
    readonly property bool hasAddress: settings.unavailable.indexOf("sendContact") < 0
    readonly property string makerEmail: prefs.makerEmail
    spacing: 12

    component Field: Rectangle {
        property bool focused: false
        radius: 10
        color: Qt.rgba(0, 0, 0, 0.24)
        border.width: focused ? 2 : 0.5
        border.color: focused ? WelcomePalette.focus : Qt.rgba(1, 1, 1, 0.10)
    }

    SettingsCard {
        objectName: "form"
        visible: pane.state !== 2
        enabled: pane.state !== 1
        padding: 16
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 8
            Text { text: "Your email"; font.pixelSize: 12; font.weight: Font.DemiBold; color: WelcomePalette.secondary }
            TextField {
                id: email
                objectName: "email"
                Layout.fillWidth: true
                implicitHeight: 36
                leftPadding: 12
                rightPadding: 12
                placeholderText: "you@example.com"
                placeholderTextColor: WelcomePalette.tertiary
                inputMethodHints: Qt.ImhEmailCharactersOnly | Qt.ImhNoPredictiveText
                font.pixelSize: 14
                color: WelcomePalette.primary
                text: pane.settings.contactEmail
                onTextEdited: pane.settings.contactEmail = text
                background: Field { focused: email.activeFocus }
            }
            Text { Layout.topMargin: 6; text: "Message"; font.pixelSize: 12; font.weight: Font.DemiBold; color: WelcomePalette.secondary }
            ScrollView {
                Layout.fillWidth: true
                Layout.preferredHeight: 190
                background: Field { focused: message.activeFocus }
                TextArea {
                    id: message
                    objectName: "message"
                    topPadding: 9
                    bottomPadding: 9
                    leftPadding: 7
                    rightPadding: 7
                    wrapMode: TextEdit.Wrap
                    // Tab goes on to the next control rather than into the message.
                    Keys.onTabPressed: event => { nextItemInFocusChain(true).forceActiveFocus(Qt.TabFocusReason); }
                    Keys.onBacktabPressed: event => { nextItemInFocusChain(false).forceActiveFocus(Qt.BacktabFocusReason); }
                    font.pixelSize: 14
                    color: WelcomePalette.primary
                    text: pane.settings.contactMessage
                    onTextChanged: if (text !== pane.settings.contactMessage) pane.settings.contactMessage = text
                    background: null
                }
            }
        }
    }

    Text {
        objectName: "failure"
        visible: pane.state === 3
        Layout.fillWidth: true
        Layout.leftMargin: 2
        Layout.rightMargin: 2
        textFormat: Text.StyledText
        text: pane.makerEmail.length > 0
              ? "That did not send. Try again, or write to <a href=\"mailto:" + pane.makerEmail + "\" style=\"color:#F5F5F7\">" + pane.makerEmail + "</a>."
              : "That did not send. Try again later."
        wrapMode: Text.Wrap
        font.pixelSize: 12
        color: WelcomePalette.warning
        linkColor: WelcomePalette.primary
        onLinkActivated: pane.prefs.writeMail()
    }

    RowLayout {
        objectName: "footer"
        visible: pane.state !== 2
        Layout.fillWidth: true
        Layout.leftMargin: 2
        Layout.rightMargin: 2
        spacing: 12
        Text {
            objectName: "footerText"
            Layout.fillWidth: true
            text: !pane.hasAddress ? "This build has no contact address, so messages cannot be sent from here."
                  : pane.makerEmail.length > 0 ? pane.prefs.words("Goes to " + pane.makerEmail + ", with your version of Quillet™ and of macOS.")
                  : pane.prefs.words("Goes to the makers of Quillet™, with your version of Quillet™ and of macOS.")
            wrapMode: Text.Wrap
            font.pixelSize: 12
            color: WelcomePalette.secondary
        }
        PillButton {
            objectName: "send"
            prominent: true
            text: pane.state === 1 ? "Sending…" : "Send"
            enabled: pane.settings.canSend && pane.hasAddress
            size: 14
            controlSize: "extraLarge"
            onClicked: pane.settings.sendContact()
        }
    }

    SettingsCard {
        objectName: "thanks"
        visible: pane.state === 2
        padding: 30
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 10
            Symbol { Layout.alignment: Qt.AlignHCenter; name: "checkmark.circle.fill"; font.pixelSize: 34; color: WelcomePalette.greenText }
            Text {
                Layout.fillWidth: true
                horizontalAlignment: Text.AlignHCenter
                text: "Thanks. We read every message."
                wrapMode: Text.Wrap
                font.pixelSize: 16
                font.weight: Font.DemiBold
                color: WelcomePalette.primary
            }
            Text {
                objectName: "reply"
                visible: pane.settings.contactEmail.length > 0
                Layout.fillWidth: true
                horizontalAlignment: Text.AlignHCenter
                text: "The reply comes to " + pane.settings.contactEmail + "."
                wrapMode: Text.Wrap
                font.pixelSize: 12
                color: WelcomePalette.secondary
            }
            PillButton {
                objectName: "writeAnother"
                Layout.alignment: Qt.AlignHCenter
                Layout.topMargin: 6
                text: "Write Another"
                size: 13
                controlSize: "large"
                onClicked: pane.settings.contactState = 0
            }
        }
    }
}
