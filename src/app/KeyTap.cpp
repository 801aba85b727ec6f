#include "KeyTap.h"

#include "platform/GlobalKeyGrabber.h"
#include "platform/KeyTable.h"

KeyTap &KeyTap::shared()
{
    static KeyTap *const tap = new KeyTap(GlobalKeyGrabber::shared());
    return *tap;
}

KeyTap::KeyTap(GlobalKeyGrabber &grabber, QObject *parent) : QObject(parent), m_grabber(grabber) {}

void KeyTap::start()
{
    if (install())
        return;
    delete m_watch;
    m_watch = new QTimer(this);
    m_watch->setInterval(retryMilliseconds);
    connect(m_watch, &QTimer::timeout, this, [this] {
        if (install())
            delete m_watch;
    });
    m_watch->start();
}

bool KeyTap::install()
{
    if (m_installed)
        return true;
    // The tap needs a display that gives us key events.
    if (!m_grabber.isAvailable())
        return false;
    QPointer<KeyTap> self(this);
    m_grabber.setKeyFilter([self](int keyCode, quint64 flags, bool repeat) {
        return self && self->keyRule(keyCode, flags, repeat);
    });
    m_installed = true;
    return true;
}

bool KeyTap::keyRule(qint64 keyCode, quint64 flags, bool isRepeat)
{
    const Shortcut::Modifiers modifiers = Shortcut::modifiersFromEventFlags(flags);
    if (!modifiers) {
        if (keyCode == KeyCode::Escape)
            return escape ? escape() : false;
        return false;
    }
    return handle ? handle(keyCode, modifiers, isRepeat) : false;
}
