import QtQuick
import QtQuick.Controls.Basic

// A drop-down list on the dark cards: light text on the dark list, the current entry in bold,
// the entry under the pointer or the keys on the accent colour, and the focus ring.
ComboBox {
    id: control
    font.pixelSize: 13
    // As wide as its widest entry in bold (the current one is), so that none is cut.
    FontMetrics { id: metrics; font.pixelSize: control.font.pixelSize; font.weight: Font.DemiBold }
    readonly property real widest: {
        const entries = control.model;
        let width = 0;
        if (entries && entries.length !== undefined)
            for (let i = 0; i < entries.length; ++i)
                width = Math.max(width, metrics.advanceWidth(control.textRole ? entries[i][control.textRole] : entries[i]));
        return Math.ceil(width);
    }
    implicitWidth: Math.max(implicitBackgroundWidth, widest + leftPadding + rightPadding)
    hoverEnabled: true
    leftPadding: 10
    rightPadding: indicator.width + 16

    contentItem: Text {
        text: control.displayText
        font: control.font
        color: WelcomePalette.primary
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }
    indicator: Text {
        x: control.width - width - 10
        y: (control.height - height) / 2
        text: "▾"
        font.pixelSize: 12
        color: WelcomePalette.secondary
    }
    background: Rectangle {
        implicitWidth: 120
        implicitHeight: 28
        radius: 7
        color: control.down ? Qt.lighter(WelcomePalette.keycap, 1.2) : WelcomePalette.keycap
        border.width: 0.5
        border.color: Qt.rgba(1, 1, 1, 0.16)
        FocusRing { shown: control.visualFocus; itemRadius: 7 }
    }
    delegate: ItemDelegate {
        id: entry
        required property int index
        required property var modelData
        width: ListView.view.width
        highlighted: control.highlightedIndex === index
        hoverEnabled: true
        leftPadding: 10
        rightPadding: 10
        contentItem: Text {
            text: control.textRole ? entry.modelData[control.textRole] : entry.modelData
            font.pixelSize: control.font.pixelSize
            font.weight: control.currentIndex === entry.index ? Font.DemiBold : Font.Normal
            color: entry.highlighted ? "white" : WelcomePalette.primary
            verticalAlignment: Text.AlignVCenter
            elide: Text.ElideRight
        }
        background: Rectangle {
            radius: 5
            color: entry.highlighted ? WelcomePalette.accent : "transparent"
        }
    }
    popup: Popup {
        y: control.height + 2
        width: Math.max(control.width, control.widest + 2 * 16 + 12)
        implicitHeight: Math.min(contentItem.implicitHeight + 12, 320)
        padding: 6
        contentItem: ListView {
            clip: true
            implicitHeight: contentHeight
            implicitWidth: control.implicitWidth
            model: control.popup.visible ? control.delegateModel : null
            currentIndex: control.highlightedIndex
            ScrollIndicator.vertical: ScrollIndicator { }
        }
        background: Rectangle {
            radius: 8
            color: WelcomePalette.openCard
            border.width: 0.5
            border.color: Qt.rgba(1, 1, 1, 0.18)
        }
    }
}
