#pragma once
#include "canvas/DragOutView.h"
#include "canvas/Tool.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <optional>

class HoverTips;
class QHBoxLayout;
class QVBoxLayout;
class QLabel;
class QMenu;
class QToolButton;
class SendButton;
class SwatchButton;

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
    bool operator==(const ToolbarAction &) const = default;
};

// The floating pill at the bottom of the canvas: the tools and the add-shot button, six colours,
// the size stepper, the font pull-down, undo, redo and the zoom read-out, then copy, save, the
// drag-out handle and the send button. It never edits the document: every control reports what
// it asks through onAction, and the canvas hands back what to show with update() after every
// refresh. Resting the pointer on a control shows its tip. It sizes itself to its content and
// stays centred where it was when its width changes.
class Toolbar : public QWidget
{
    Q_OBJECT
public:
    // What the controls show, as last applied.
    struct Shown
    {
        int color = 0;
        int size = 0;
        QString font;
        std::optional<Tool> armed;
        bool canUndo = false;
        bool canRedo = false;
        QString zoom;
        double sendWidth = 0;
        bool operator==(const Shown &) const = default;
    };

    // The palette's colours in order (sRGB) and their names.
    struct Swatch
    {
        const char *name;
        double r, g, b;
    };
    static const Swatch swatchTable[6];

    explicit Toolbar(QWidget *parent = nullptr);
    ~Toolbar() override;

    std::function<void(const ToolbarAction &)> onAction;
    DragOutView *dragOut() const { return m_dragOut; }
    SendButton *send() const { return m_send; }

    using QWidget::update;
    // Shows the canvas's state: colour and size indexes, the font's name, the armed tool, whether
    // undo and redo can run, and the magnification. Touches nothing when nothing changed.
    void update(int color, int size, const QString &font, std::optional<Tool> armed, bool canUndo, bool canRedo,
                double zoom);
    // The magnification as shown: "13%" for 0.125.
    static QString zoomText(double zoom);

    // The controls in order, without the separators.
    QList<QWidget *> controls() const;
    // The pointer is at point (toolbar coordinates), or has left (none).
    void updateTip(std::optional<QPointF> point);
    // Shows the control's tip at once (none: hides it).
    void hoverNow(QWidget *control);
    // The tip shown: its text and frame in the toolbar's parent.
    std::optional<std::pair<QString, QRect>> shownTip() const;
    HoverTips *tips() const { return m_tips; }

    // The width the bar may take (0: as wide as its controls). Where one row does not fit, whole
    // groups of controls wrap onto further rows, so that every control stays on the bar.
    void setRoom(int width);
    int rowCount() const;

    // What the font pull-down offers, rebuilt each time it opens: its title item, "Recent" and
    // the recent fonts that load, "More" and the other suggested fonts that load, then "Other
    // Fonts…".
    void rebuildFontMenu();
    QMenu *fontMenu() const { return m_fontMenu; }
    // Fonts suggested besides the recent ones, in order.
    static const QStringList &moreFonts();

    // For tests: how many updates changed the controls, and the size cache.
    int appliedUpdates = 0;
    const std::optional<Shown> &shown() const { return m_shown; }
    const QHash<QStringList, QSize> &fittingsForTest() const { return m_fittings; }

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QToolButton *iconButton(const QString &symbol, const QString &tip, std::function<void()> run);
    void addSeparator();
    // Puts a control at the end of the current group.
    void place(QWidget *control);
    int groupWidth(int group) const;
    // The first group of each row for the current room.
    QList<int> rowStarts() const;
    // Lays the groups out in rows (only when the rows change).
    void arrange();
    void invalidateRows();
    void addTip(QWidget *control, std::function<QString()> text);
    void fire(const ToolbarAction &action);
    QString sizeTip() const;
    void setFamily(const QString &font);
    void restyleToolButtons(std::optional<Tool> armed);
    void fitWidth();

    DragOutView *m_dragOut;
    SendButton *m_send;
    QVBoxLayout *m_column;            // the rows, top to bottom
    QList<QHBoxLayout *> m_rows;
    QList<QList<QWidget *>> m_groups; // the controls between separators, in order
    QList<QWidget *> m_separators;    // the one between group i and i + 1 is at i
    QList<int> m_rowStarts;
    int m_room = 0;
    QHash<int, QToolButton *> m_toolButtons; // by Tool
    QList<SwatchButton *> m_swatches;
    QLabel *m_sizeLabel;
    QToolButton *m_fontButton;
    QMenu *m_fontMenu;
    QToolButton *m_undoButton;
    QToolButton *m_redoButton;
    QToolButton *m_zoomButton;
    QList<QWidget *> m_controls;
    HoverTips *m_tips;
    std::optional<Shown> m_shown;
    QString m_family;
    QHash<QStringList, QSize> m_fittings;
};
