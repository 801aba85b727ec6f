#include "GlobalKeyGrabber.h"

#include "linux/X11KeyGrabber.h"

#include <QGuiApplication>

namespace {
// The grabber where there is no X display: every grab is refused.
class UnavailableKeyGrabber : public GlobalKeyGrabber
{
public:
    bool isAvailable() const override { return false; }

protected:
    int grabKey(int, quint64) override { return Unavailable; }
    void ungrabKey(int, quint64) override {}
};

GlobalKeyGrabber *overridden = nullptr;
} // namespace

GlobalKeyGrabber::~GlobalKeyGrabber() = default;

GlobalKeyGrabber &GlobalKeyGrabber::shared()
{
    if (overridden)
        return *overridden;
    static GlobalKeyGrabber *const grabber = []() -> GlobalKeyGrabber * {
        if (QGuiApplication::platformName() == QLatin1String("xcb"))
            if (auto *x11 = X11KeyGrabber::create())
                return x11;
        return new UnavailableKeyGrabber;
    }();
    return *grabber;
}

void GlobalKeyGrabber::setShared(GlobalKeyGrabber *grabber)
{
    overridden = grabber;
}

int GlobalKeyGrabber::grab(quint32 id, int keyCode, quint64 flags)
{
    ungrab(id);
    if (!m_suspended) {
        if (const int status = grabKey(keyCode, flags))
            return status;
    }
    m_grabs.insert(id, Combination{keyCode, flags});
    return 0;
}

void GlobalKeyGrabber::ungrab(quint32 id)
{
    const auto it = m_grabs.constFind(id);
    if (it == m_grabs.cend())
        return;
    const Combination c = *it;
    m_grabs.erase(it);
    // Another id may hold the same combination (a registration replaced before the old one
    // went away); the combination stays taken for it.
    if (!m_suspended && !isGrabbed(c.keyCode, c.flags))
        ungrabKey(c.keyCode, c.flags);
}

void GlobalKeyGrabber::suspend()
{
    if (m_suspended)
        return;
    for (const Combination &c : std::as_const(m_grabs))
        ungrabKey(c.keyCode, c.flags);
    m_suspended = true;
}

void GlobalKeyGrabber::resume()
{
    if (!m_suspended)
        return;
    m_suspended = false;
    // Registrations check each grab again and record what the desktop now refuses.
    for (auto it = m_grabs.begin(); it != m_grabs.end();) {
        if (grabKey(it->keyCode, it->flags) != 0)
            it = m_grabs.erase(it);
        else
            ++it;
    }
    emit registrationNeeded();
}

bool GlobalKeyGrabber::isGrabbed(int keyCode, quint64 flags) const
{
    for (const Combination &c : m_grabs)
        if (c.keyCode == keyCode && c.flags == flags)
            return true;
    return false;
}

bool GlobalKeyGrabber::keyPressed(int keyCode, quint64 flags, bool repeat)
{
    if (m_filter && m_filter(keyCode, flags, repeat))
        return true;
    if (m_suspended)
        return false;
    QList<quint32> ids; // collected first: a receiver may change the grabs
    for (auto it = m_grabs.cbegin(); it != m_grabs.cend(); ++it)
        if (it->keyCode == keyCode && it->flags == flags)
            ids.append(it.key());
    if (!repeat)
        for (quint32 id : ids)
            emit hotKeyPressed(id);
    return !ids.isEmpty();
}
