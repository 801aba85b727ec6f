#pragma once
#include "talk/TalkModifiers.h"

#include <QObject>
#include <QPointer>

#include <functional>

class QWindow;
class Scheduler;

// A key event of the canvas window as the talk hold takes it: a change of the held modifier keys
// (the changed key's code and the flags after it), or the press of any other key, repeats too.
// Time is seconds on the scheduler's monotonic clock, taken when the event arrives.
struct TalkKeyEvent {
    enum class Type { keyDown, flagsChanged };
    Type type = Type::keyDown;
    quint16 keyCode = 0;
    quint64 flags = 0;
    double time = 0;
};

// Watches the key events of one window from X11 and hands them on as talk key events, without
// ever swallowing one: the window's own key handling sees every key. The window is asked for at
// each event, so it may be made after the watch. Losing the focus lets go of every held key.
// One key event counts once: the same event handed to the window again (a window that passes
// its events on to itself does) is not a second press, and the release and press that the X
// server makes of a held key's repeat leave the key held.
class TalkKeyWatch final : public QObject {
    Q_OBJECT
public:
    TalkKeyWatch(std::function<QWindow *()> window, Scheduler &scheduler,
                 std::function<void(const TalkKeyEvent &)> onKey, std::function<void()> onResigned);
    ~TalkKeyWatch() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void focusChanged(QWindow *now);

    std::function<QWindow *()> m_window;
    Scheduler &m_scheduler;
    std::function<void(const TalkKeyEvent &)> m_onKey;
    std::function<void()> m_onResigned;
    TalkModifiers m_modifiers;
    QPointer<QWindow> m_focused; // the watched window while it has the focus
    // The last key event taken: its type, key and time stamp.
    struct Taken {
        int type = 0;
        quint32 key = 0;
        quint64 time = 0;
        bool operator==(const Taken &) const = default;
    };
    Taken m_last;
};
