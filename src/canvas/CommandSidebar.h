#pragma once
#include "platform/RunningApp.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QTimer;

// One row of the command sidebar: a command's title, and for a moment after it ran a tick with
// a short text in its place.
class CommandRow : public QWidget
{
    Q_OBJECT
public:
    CommandRow(const QString &title, QWidget *parent = nullptr);

    // Shows text with a tick in the row, cancelling a pending flash, and clears it 1.6 s later.
    void flash(const QString &text);
    bool isFlashing() const;
    std::function<void()> onClick;

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QString m_title;
    QLabel *m_label;
    QTimer *m_flash;
};

// The column of commands at the right of the canvas window: copy the picture, and paste it into
// the application that had the front before the capture.
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
    // Redraws the rows (after the hint line was rewritten).
    void refresh();
    void refreshSendRow();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    CommandRow *m_copyRow;
    CommandRow *m_sendRow;
};
