#include "HotKey.h"

#include "platform/GlobalKeyGrabber.h"

namespace {
quint32 nextId = 1; // main thread only
}

HotKey::HotKey(GlobalKeyGrabber &grabber, int keyCode, Shortcut::Modifiers modifiers,
               std::function<void()> callback)
    : m_grabber(grabber), m_id(nextId++)
{
    if (const int status = grabber.grab(m_id, keyCode, Shortcut::eventFlags(modifiers)))
        throw Failed{status};
    const quint32 id = m_id;
    m_connection = QObject::connect(&grabber, &GlobalKeyGrabber::hotKeyPressed, &grabber,
                                    [id, callback = std::move(callback)](quint32 pressed) {
                                        if (pressed == id && callback)
                                            callback();
                                    });
}

HotKey::~HotKey()
{
    QObject::disconnect(m_connection);
    m_grabber.ungrab(m_id);
}
