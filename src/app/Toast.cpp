#include "Toast.h"

#include "ChromeViews.h"
#include "SelfCheckFlag.h"
#include "platform/Compositing.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPointer>
#include <QPropertyAnimation>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {
QPointer<QWidget> &slot()
{
    static QPointer<QWidget> panel;
    return panel;
}

// A top-level panel that shows without activating and lets every click through.
QWidget *makePanel(const QRect &frame)
{
    Qt::WindowFlags flags = Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus
                            | Qt::WindowTransparentForInput | Qt::NoDropShadowWindowHint;
    flags |= SelfCheckFlag::isSet() ? Qt::WindowStaysOnBottomHint : Qt::WindowStaysOnTopHint;
    auto *panel = new QWidget(nullptr, flags);
    panel->setAttribute(Qt::WA_TranslucentBackground);
    panel->setAttribute(Qt::WA_ShowWithoutActivating);
    panel->setAttribute(Qt::WA_TransparentForMouseEvents);
    panel->setAttribute(Qt::WA_X11DoNotAcceptFocus);
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setGeometry(frame);
    return panel;
}
} // namespace

namespace Toast {

QPoint placement(const QPoint &p, const QSize &size, const QRect &v)
{
    int x = p.x() - size.width() / 2;
    int y = p.y() - 18 - size.height();
    if (v.isNull())
        return QPoint(x, y);
    const int left = v.left(), right = v.left() + v.width(), top = v.top();
    x = std::max(x, left + 8);
    x = std::min(x, std::max(right - size.width() - 8, left + 8));
    y = std::max(y, top + 8);
    return QPoint(x, y);
}

QRegion capsuleMask(const QSize &size)
{
    const int w = size.width(), h = size.height();
    if (w <= 0 || h <= 0)
        return {};
    if (w <= h)
        return QRegion(QRect(0, 0, w, h), QRegion::Ellipse);
    return QRegion(QRect(0, 0, h, h), QRegion::Ellipse)
           + QRegion(QRect(w - h, 0, h, h), QRegion::Ellipse)
           + QRegion(QRect(h / 2, 0, w - h, h));
}

QWidget *current()
{
    return slot().data();
}

bool dismiss()
{
    QWidget *shown = slot().data();
    if (!shown)
        return false;
    slot().clear();
    const bool visible = shown->isVisible();
    shown->hide();
    shown->close();
    return visible;
}

} // namespace Toast

void toast(const QString &text, double seconds)
{
    if (QWidget *old = slot().data()) {
        old->hide();
        old->close();
    }

    QWidget *panel = makePanel(QRect());
    auto *capsule = new GlassLabel(QRect(), panel);
    capsule->setText(text);
    const QSize size = capsule->size();

    const QPoint pointer = QCursor::pos();
    QScreen *screen = QGuiApplication::screenAt(pointer);
    const QRect visible = screen ? screen->availableGeometry() : QRect();
    panel->setGeometry(QRect(Toast::placement(pointer, size, visible), size));
    // Without a compositing manager the transparent corners would show black.
    if (!Compositing::isActive())
        panel->setMask(Toast::capsuleMask(size));
    panel->show();
    slot() = panel;

    QPointer<QWidget> guard(panel);
    QTimer::singleShot(int(seconds * 1000), panel, [guard] {
        if (!guard)
            return;
        auto *fade = new QPropertyAnimation(guard.data(), "windowOpacity", guard.data());
        fade->setDuration(250);
        fade->setStartValue(guard->windowOpacity());
        fade->setEndValue(0.0);
        QObject::connect(fade, &QPropertyAnimation::finished, guard.data(), [guard] {
            if (!guard)
                return;
            if (slot().data() == guard.data())
                slot().clear();
            guard->close();
        });
        fade->start(QAbstractAnimation::DeleteWhenStopped);
    });
}
