#pragma once
#include "Shortcut.h"

#include <QMetaObject>

#include <functional>

class GlobalKeyGrabber;

// One global key combination, taken from the desktop for as long as the object lives; its
// callback runs on the main thread when the combination is pressed (once per press, never for
// auto-repeats).
class HotKey
{
public:
    // A registration the desktop refused: the grabber's status (BadAccess when another
    // application holds the combination).
    struct Failed {
        int status = 0;
    };

    // Throws Failed when the combination cannot be taken.
    HotKey(GlobalKeyGrabber &grabber, int keyCode, Shortcut::Modifiers modifiers,
           std::function<void()> callback);
    ~HotKey();
    HotKey(const HotKey &) = delete;
    HotKey &operator=(const HotKey &) = delete;

    // Identifies the registration within the process; ids are never reused.
    quint32 id() const { return m_id; }

private:
    GlobalKeyGrabber &m_grabber;
    quint32 m_id;
    QMetaObject::Connection m_connection;
};
