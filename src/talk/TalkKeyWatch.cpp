#include "TalkKeyWatch.h"
#include "platform/Scheduler.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QWindow>

TalkKeyWatch::TalkKeyWatch(std::function<QWindow *()> window, Scheduler &scheduler,
                           std::function<void(const TalkKeyEvent &)> onKey, std::function<void()> onResigned)
    : m_window(std::move(window)), m_scheduler(scheduler), m_onKey(std::move(onKey)),
      m_onResigned(std::move(onResigned))
{
    // Key events reach the window first and its focus widget after: watching the window's own
    // delivery sees each key once, whichever widget has the focus.
    qApp->installEventFilter(this);
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &TalkKeyWatch::focusChanged);
    m_focused = QGuiApplication::focusWindow();
}

TalkKeyWatch::~TalkKeyWatch()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

bool TalkKeyWatch::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease)
        return false;
    if (!watched->isWindowType() || watched != m_window())
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    const Taken taken{int(type), key->nativeVirtualKey(), key->timestamp()};
    if (taken == m_last || (key->isAutoRepeat() && TalkModifiers::isModifier(taken.key)))
        return false;
    m_last = taken;
    const bool pressed = type == QEvent::KeyPress;
    TalkKeyEvent out;
    out.time = m_scheduler.now();
    if (std::optional<TalkModifiers::Change> change = m_modifiers.key(key->nativeVirtualKey(), pressed)) {
        out.type = TalkKeyEvent::Type::flagsChanged;
        out.keyCode = change->keyCode;
        out.flags = change->flags;
    } else if (pressed) {
        out.type = TalkKeyEvent::Type::keyDown;
        out.flags = m_modifiers.flags();
    } else {
        return false;
    }
    m_onKey(out);
    return false;
}

void TalkKeyWatch::focusChanged(QWindow *now)
{
    QWindow *watched = m_window();
    const bool lost = m_focused && m_focused == watched && now != watched;
    m_focused = now;
    if (now != watched)
        m_modifiers.reset();
    if (lost)
        m_onResigned();
}
