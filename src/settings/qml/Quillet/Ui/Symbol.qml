import QtQuick

// A small symbol by name, drawn with a glyph of the system fonts.
Text {
    property string name: ""
    readonly property var glyphs: ({
        "keyboard": "⌨", "arrow.up.right": "↗", "slider.horizontal.3": "☰", "lock": "⚙",
        "exclamationmark.triangle": "⚠", "exclamationmark.triangle.fill": "⚠", "envelope": "✉",
        "doc.text": "▤", "info.circle": "ℹ", "checkmark": "✓", "checkmark.circle.fill": "✔",
        "folder": "▭", "record.circle": "◉", "accessibility": "✎", "mic.fill": "●"
    })
    text: glyphs[name] !== undefined ? glyphs[name] : ""
}
