#pragma once
#include "canvas/Tool.h"

#include <QString>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <optional>
#include <variant>

// What the toolbar (and the command sidebar, and the keys) ask of the canvas.
struct ToolbarAction
{
    enum Kind { tool, color, font, smaller, larger, otherFont, undo, redo, fit, copy, save, addShot };
    Kind kind = fit;
    Tool toolValue = Tool::arrow; // for tool
    int colorIndex = 0;           // for color
    QString fontName;             // for font

    static ToolbarAction pickTool(Tool t) { return {tool, t, 0, {}}; }
    static ToolbarAction pickColor(int i) { return {color, Tool::arrow, i, {}}; }
    static ToolbarAction pickFont(const QString &name) { return {font, Tool::arrow, 0, name}; }
    static ToolbarAction plain(Kind k) { return {k, Tool::arrow, 0, {}}; }
};

// The handle that drags the current page out as a PNG file.
class DragOutView : public QWidget
{
    Q_OBJECT
public:
    explicit DragOutView(QWidget *parent = nullptr);

    // The file to drag (none drags nothing), and what happens when a drag starts and ends
    // (whether it was dropped somewhere).
    std::function<std::optional<QUrl>()> makeFile;
    std::function<void()> onDragStart;
    std::function<void(bool)> onDragEnd;
};

// The floating toolbar at the bottom of the canvas area. It reports what the user picks through
// onAction.
class Toolbar : public QWidget
{
    Q_OBJECT
public:
    explicit Toolbar(QWidget *parent = nullptr);

    std::function<void(const ToolbarAction &)> onAction;
    DragOutView *dragOut() const { return m_dragOut; }

private:
    DragOutView *m_dragOut;
};
