#pragma once
#include "Shortcut.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>

class GlobalKeyGrabber;

// Sees the key presses that reach the application (its global grabs and its own windows) before
// anything else does: a key with a modifier goes to handle, a bare Escape to escape; either may
// swallow it. Where the display offers no key events yet, retries every 3 s.
class KeyTap : public QObject
{
    Q_OBJECT
public:
    static KeyTap &shared();
    explicit KeyTap(GlobalKeyGrabber &grabber, QObject *parent = nullptr);

    // Key code, modifiers, auto-repeat; true swallows the key.
    std::function<bool(qint64, Shortcut::Modifiers, bool)> handle;
    std::function<bool()> escape;

    // Installs the tap, or starts the retry timer. Once installed it stays.
    void start();
    bool isInstalled() const { return m_installed; }
    bool isWaiting() const { return m_watch != nullptr; }

    // The rule for one key press (key code, EventFlag modifiers, auto-repeat).
    bool keyRule(qint64 keyCode, quint64 flags, bool isRepeat);

    static constexpr int retryMilliseconds = 3000;

private:
    bool install();

    GlobalKeyGrabber &m_grabber;
    bool m_installed = false;
    QPointer<QTimer> m_watch;
};
