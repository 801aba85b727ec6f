#pragma once
#include "platform/GlobalKeyGrabber.h"

#include <QAbstractNativeEventFilter>
#include <QHash>
#include <QList>

#include <optional>

#include <xcb/xcb.h>

struct _XCBKeySymbols;

// Global key grabs on the root windows of Qt's own X connection, each combination grabbed with
// and without Caps Lock and Num Lock. Key events arrive through Qt's native event filter on the
// main thread; an auto-repeat (a release and a press with one time stamp, or a second press with
// XKB's detectable auto-repeat) is reported as a repeat. A changed keyboard mapping asks for a
// new registration.
class X11KeyGrabber : public GlobalKeyGrabber, public QAbstractNativeEventFilter
{
public:
    // Nothing when the application is not connected to an X server.
    static X11KeyGrabber *create();
    ~X11KeyGrabber() override;

    bool isAvailable() const override { return true; }
    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

    // The Shift, Command, Option and Control event-flag bits of an X modifier state (Shift,
    // Control, Mod1 and Mod4).
    static quint64 flagsOf(uint16_t state);

protected:
    int grabKey(int keyCode, quint64 flags) override;
    void ungrabKey(int keyCode, quint64 flags) override;

private:
    explicit X11KeyGrabber(xcb_connection_t *connection);

    QList<xcb_keycode_t> keycodesFor(int keyCode) const;
    std::optional<int> keyCodeOf(xcb_keycode_t keycode) const;
    QList<uint16_t> masksFor(quint64 flags) const;
    void loadKeymap();
    void keymapChanged();

    struct KeyState {
        bool down = false;
        xcb_timestamp_t releasedAt = 0;
    };

    xcb_connection_t *m_connection;
    QList<xcb_window_t> m_roots;
    _XCBKeySymbols *m_symbols = nullptr;
    uint16_t m_numLock = XCB_MOD_MASK_2;
    uint8_t m_xkbFirstEvent = 0;
    bool m_detectableAutoRepeat = false;
    bool m_registrationQueued = false;
    QHash<xcb_keycode_t, KeyState> m_keys;
};
