#include "rail/PageRail.h"

#include "rail/RailDocument.h"

#include <QMenu>
#include <QNativeGestureEvent>
#include <QCoreApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>

#include "platform/Scheduler.h"

#include <algorithm>

namespace {
constexpr double wheelEndSeconds = 0.3;
}

void PageRail::addColumnItems(QMenu *menu)
{
    if (!menu->isEmpty())
        menu->addSeparator();
    static const char *const titles[] = {"One Column", "Two Columns", "Three Columns"};
    for (int n = 1; n <= 3; ++n) {
        QAction *item = menu->addAction(QString::fromLatin1(titles[n - 1]));
        item->setData(n);
        item->setCheckable(true);
        item->setChecked(shape.columns == n);
        const double needed = n * shape.thumb + 52 + (n - 1) * 18;
        item->setEnabled(n == 1 || shape.columns == n || needed <= widest + 0.5);
        QPointer<PageRail> self(this);
        connect(item, &QAction::triggered, this, [self, n] {
            if (self && self->onColumns)
                self->onColumns(n);
        });
    }
}

QMenu *PageRail::menuFor(RailThumb *thumb)
{
    if (!thumb)
        return nullptr;
    auto *menu = new QMenu;
    QList<Row> rows;
    if (m_picked.size() > 1 && m_picked.contains(thumb->key))
        rows = pickedRows();
    else
        rows = {thumb->row};
    const QString title = rows.size() == 1 ? QStringLiteral("Delete")
                                           : QStringLiteral("Delete ") + QString::number(rows.size())
                                                 + QStringLiteral(" Shots");
    QAction *item = menu->addAction(title);
    item->setData(QVariant::fromValue(rows));
    const bool anyRecent = std::any_of(rows.begin(), rows.end(), [](const Row &r) { return r.isRecent(); });
    const int pageRows = int(std::count_if(rows.begin(), rows.end(), [](const Row &r) { return r.isPage(); }));
    const bool railHasRecent =
        std::any_of(m_entries.begin(), m_entries.end(), [](const Entry &e) { return e.row.isRecent(); });
    item->setEnabled(anyRecent || pageRows < m_count || railHasRecent);
    QPointer<PageRail> self(this);
    connect(item, &QAction::triggered, this, [self, item] {
        if (!self || !self->onDelete)
            return;
        const QVariant data = item->data();
        if (data.canConvert<QList<Row>>())
            self->onDelete(data.value<QList<Row>>());
    });
    addColumnItems(menu);
    return menu;
}

void PageRail::contextMenuEvent(QContextMenuEvent *event)
{
    auto *menu = new QMenu(this);
    addColumnItems(menu);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void PageRail::pinchAtDoc(bool ended, double factor, std::optional<QPointF> docPoint)
{
    m_pinchAt = docPoint;
    if (onPinch)
        onPinch(ended, std::max(factor, 0.2));
    m_pinchAt.reset();
}

void PageRail::pinch(bool ended, double factor, QPointF at)
{
    const QPointF global = parentWidget() ? parentWidget()->mapToGlobal(at) : mapToGlobal(at);
    pinchAtDoc(ended, factor, m_doc->mapFromGlobal(global));
}

void PageRail::nativeGesture(QNativeGestureEvent *event)
{
    const QPointF doc = m_doc->mapFromGlobal(event->globalPosition());
    if (event->gestureType() == Qt::ZoomNativeGesture)
        pinchAtDoc(false, 1 + event->value(), doc);
    else if (event->gestureType() == Qt::EndNativeGesture)
        pinchAtDoc(true, 1, doc);
}

// Qt's X11 platform delivers no touchpad pinch, so Ctrl and the wheel stand for it: every event is
// a step of the gesture (a notch of 120 is a tenth), and the gesture ends 0.3 s after the last.
void PageRail::wheelPinch(QWheelEvent *event, QWidget *over)
{
    const int delta = event->angleDelta().y();
    if (delta == 0)
        return;
    const QPointF doc = m_doc->mapFromGlobal(over->mapToGlobal(event->position()));
    pinchAtDoc(false, 1 + delta / 1200.0, doc);
    m_scheduler.cancel(m_wheelEnd);
    QPointer<PageRail> self(this);
    m_wheelEnd = m_scheduler.after(wheelEndSeconds, [self, doc] {
        if (!self)
            return;
        self->m_wheelEnd = 0;
        self->pinchAtDoc(true, 1, doc);
    });
}

void PageRail::wheel(QWheelEvent *event, QWidget *over)
{
    event->accept();
    if (event->modifiers() & Qt::ControlModifier) {
        wheelPinch(event, over ? over : this);
        return;
    }
    // The scroll bar turns a wheel into steps of the scroller, as the scroll area itself does.
    QScrollBar *bar = m_scroll->verticalScrollBar();
    if (over != bar)
        QCoreApplication::sendEvent(bar, event);
    // At either end the bar leaves the wheel; the canvas behind the rail must not take it.
    event->accept();
}

void PageRail::takePinchesFrom(QWidget *widget)
{
    if (widget)
        widget->installEventFilter(this);
}

bool PageRail::event(QEvent *event)
{
    if (event->type() == QEvent::NativeGesture) {
        nativeGesture(static_cast<QNativeGestureEvent *>(event));
        return true;
    }
    if (event->type() == QEvent::Wheel) {
        wheel(static_cast<QWheelEvent *>(event), this);
        return true;
    }
    return QWidget::event(event);
}

bool PageRail::eventFilter(QObject *watched, QEvent *event)
{
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget)
        return false;
    if (event->type() == QEvent::Resize && widget == m_scroll->viewport()) {
        resizeDocument(); // a scroller that comes or goes changes the width
        return false;
    }
    if (event->type() == QEvent::NativeGesture) {
        nativeGesture(static_cast<QNativeGestureEvent *>(event));
        return true;
    }
    if (event->type() == QEvent::Wheel) {
        wheel(static_cast<QWheelEvent *>(event), widget);
        return true;
    }
    return false;
}
