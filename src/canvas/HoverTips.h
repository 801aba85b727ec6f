#pragma once
#include "platform/Scheduler.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QPointF>
#include <QRect>

#include <functional>
#include <optional>

class QWidget;
#include "canvas/TipBubble.h"

// When and over which control the toolbar shows a tip. The pointer resting on a control shows its
// tip after 0.45 s; moving on to another control while one shows, or within 0.7 s of one being
// hidden, shows the next at once. A click, a key or the scroll wheel anywhere in the application
// hides a tip, and the next one waits the full delay again. The bubble sits in the toolbar's
// parent, just above the toolbar, over the control.
class HoverTips : public QObject
{
    Q_OBJECT
public:
    // bar: the toolbar whose controls are hovered (it owns this object).
    explicit HoverTips(QWidget *bar);
    ~HoverTips() override;

    // The clock and timers of the delay (tests put a fake one in before making a toolbar).
    static Scheduler *&scheduler();
    static constexpr double delay = 0.45;
    static constexpr double recent = 0.7;

    // A control and the text of its tip, read when it is shown; in the order of the controls. A
    // control added again keeps its place and takes the new text.
    void add(QWidget *control, std::function<QString()> text);
    // The pointer is at point (toolbar coordinates), or has left the toolbar (none).
    void update(std::optional<QPointF> point);
    // The control under a point: the first whose bounds, grown 1 pt left and right and 6 pt up
    // and down, hold it; hidden controls never count.
    QWidget *controlAt(QPointF point) const;
    // Shows the control's tip at once, as if the pointer rested on it (none: hides the tip).
    void hoverNow(QWidget *control);
    // The shown text and frame (host coordinates), when the bubble shows; none from the moment
    // it is hidden.
    std::optional<std::pair<QString, QRect>> shown() const;
    // The tip text a control has now (empty when its closure gives none); none for a control
    // that was never added.
    std::optional<QString> textFor(const QWidget *control) const;
    TipBubble *bubble() const { return m_bubble; }
    QWidget *tipped() const { return m_tipped; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Entry
    {
        QPointer<QWidget> control;
        std::function<QString()> text;
    };
    void show(QWidget *control);
    void cancelTimer();
    // A click, key or scroll hid the tip: the next one waits the full delay.
    void inputSeen();
    // Hides the bubble; from here on no tip counts as shown, whatever the bubble still draws.
    void hideBubble();
    bool bubbleShowing() const;

    QWidget *m_bar;
    QList<Entry> m_tips;
    QPointer<TipBubble> m_bubble;
    QPointer<QWidget> m_tipped;
    bool m_showing = false; // a tip was shown and not hidden since
    Scheduler::Ticket m_timer = 0;
    double m_hiddenAt;
};
