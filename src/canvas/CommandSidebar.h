#pragma once
#include "platform/RunningApp.h"
#include "platform/Scheduler.h"

#include <QIcon>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <optional>

// One row of the command sidebar: an icon, the command's title and the key caps of its
// shortcut, drawn as a large rounded button. For a moment after it ran it shows a tick with a
// short text in its place. It never takes the keyboard; the first click acts.
class CommandRow : public QWidget
{
    Q_OBJECT
public:
    explicit CommandRow(const QString &title, QWidget *parent = nullptr);

    // The clock of the flash (tests put a fake one in).
    static Scheduler *&scheduler();
    static constexpr double flashSeconds = 1.6;

    std::function<void()> onClick;
    QStringList keys;             // the caps' texts, left to right
    QString title;
    QIcon icon;                   // an application's own icon
    QString symbol;               // else the name of a symbol of ours
    bool iconIsSymbol = true;     // the symbol is shown, drawn in the label colour
    bool hot = false;             // the pointer is over the row
    bool pressed = false;         // a click is under way with the pointer inside
    std::optional<QString> flashed;

    // Shows text with a tick in the row, cancelling a pending flash, and clears it 1.6 s later.
    void flash(const QString &text);
    bool isFlashing() const { return flashed.has_value(); }

    // The height of text in the row's words style at width (whole points).
    static double textHeight(const QString &text, double width);
    // The caps' frames (row coordinates) for a text of height h.
    QList<QRectF> capRects(double h) const;

    void setHot(bool value);
    void setPressed(bool value);

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    Scheduler::Ticket m_flashWork = 0;
};

// The panel at the right of the canvas window with one large button per way of finishing: copy
// the picture, and paste it into the chosen application (or copy it, when none is chosen or
// found). Clicks between the rows stop here and never reach the canvas.
class CommandSidebar : public QWidget
{
    Q_OBJECT
public:
    explicit CommandSidebar(const QRect &frame, QWidget *parent = nullptr);

    std::function<void()> onCopy;
    std::function<void()> onSend;
    // The application that had the front before the capture, when known.
    std::function<std::optional<RunningApp>()> previous;

    CommandRow *copyRow() const { return m_copyRow; }
    CommandRow *sendRow() const { return m_sendRow; }
    // The panel holding the rows (its coordinates are the rows').
    QWidget *content() const { return m_content; }
    // Redraws the rows (after the hint line was rewritten).
    void refresh();
    // Re-reads the destination: "Paste into" its application with that application's icon, or
    // "Copy to clipboard".
    void refreshSendRow();
    // Places the rows in the panel, one under the other, each as high as its words need.
    void layoutRows();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    CommandRow *m_copyRow;
    CommandRow *m_sendRow;
    QWidget *m_content;
};
