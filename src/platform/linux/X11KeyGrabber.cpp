#include "X11KeyGrabber.h"

#include "platform/KeyTable.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTimer>

#include <xcb/xcb_keysyms.h>
// xkb.h names a member "explicit", which C++ reserves.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <cstdlib>
#include <memory>

namespace {
constexpr xcb_keysym_t numLockKeysym = 0xff7f;

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;
} // namespace

X11KeyGrabber *X11KeyGrabber::create()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return nullptr;
    return new X11KeyGrabber(x11->connection());
}

X11KeyGrabber::X11KeyGrabber(xcb_connection_t *connection) : m_connection(connection)
{
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(connection)); it.rem; xcb_screen_next(&it))
        m_roots.append(it.data->root);
    if (const auto *xkb = xcb_get_extension_data(connection, &xcb_xkb_id); xkb && xkb->present) {
        m_xkbFirstEvent = xkb->first_event;
        // Ask for the flags without changing them: with detectable auto-repeat a held key sends
        // presses only.
        Reply<xcb_xkb_per_client_flags_reply_t> flags(
            xcb_xkb_per_client_flags_reply(
                connection,
                xcb_xkb_per_client_flags(connection, XCB_XKB_ID_USE_CORE_KBD, 0, 0, 0, 0, 0),
                nullptr),
            &std::free);
        m_detectableAutoRepeat =
            flags && (flags->value & XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT);
    }
    loadKeymap();
    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11KeyGrabber::~X11KeyGrabber()
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
    if (m_symbols)
        xcb_key_symbols_free(m_symbols);
}

void X11KeyGrabber::loadKeymap()
{
    if (m_symbols)
        xcb_key_symbols_free(m_symbols);
    m_symbols = xcb_key_symbols_alloc(m_connection);
    m_keys.clear();

    // The modifier that Num Lock sets (Mod2 on nearly every keyboard).
    m_numLock = XCB_MOD_MASK_2;
    Reply<xcb_get_modifier_mapping_reply_t> map(
        xcb_get_modifier_mapping_reply(m_connection, xcb_get_modifier_mapping(m_connection), nullptr),
        &std::free);
    std::unique_ptr<xcb_keycode_t, decltype(&std::free)> numLockKeys(
        m_symbols ? xcb_key_symbols_get_keycode(m_symbols, numLockKeysym) : nullptr, &std::free);
    if (map && numLockKeys) {
        const xcb_keycode_t *codes = xcb_get_modifier_mapping_keycodes(map.get());
        const int perModifier = map->keycodes_per_modifier;
        for (int mod = 0; mod < 8; ++mod)
            for (int i = 0; i < perModifier; ++i)
                for (const xcb_keycode_t *k = numLockKeys.get(); *k != XCB_NO_SYMBOL; ++k)
                    if (codes[mod * perModifier + i] == *k && *k != 0)
                        m_numLock = uint16_t(1u << mod);
    }
}

QList<xcb_keycode_t> X11KeyGrabber::keycodesFor(int keyCode) const
{
    QList<xcb_keycode_t> out;
    const auto keysym = KeyTable::toKeysym(keyCode);
    if (!keysym || !m_symbols)
        return out;
    std::unique_ptr<xcb_keycode_t, decltype(&std::free)> codes(
        xcb_key_symbols_get_keycode(m_symbols, *keysym), &std::free);
    for (const xcb_keycode_t *k = codes.get(); k && *k != XCB_NO_SYMBOL; ++k)
        if (!out.contains(*k))
            out.append(*k);
    return out;
}

std::optional<int> X11KeyGrabber::keyCodeOf(xcb_keycode_t keycode) const
{
    if (!m_symbols)
        return std::nullopt;
    return KeyTable::fromKeysym(xcb_key_symbols_get_keysym(m_symbols, keycode, 0));
}

QList<uint16_t> X11KeyGrabber::masksFor(quint64 flags) const
{
    uint16_t mask = 0;
    if (flags & EventFlag::Shift)
        mask |= XCB_MOD_MASK_SHIFT;
    if (flags & EventFlag::Command)
        mask |= XCB_MOD_MASK_CONTROL;
    if (flags & EventFlag::Option)
        mask |= XCB_MOD_MASK_1;
    if (flags & EventFlag::Control)
        mask |= XCB_MOD_MASK_4;
    return {mask, uint16_t(mask | XCB_MOD_MASK_LOCK), uint16_t(mask | m_numLock),
            uint16_t(mask | XCB_MOD_MASK_LOCK | m_numLock)};
}

quint64 X11KeyGrabber::flagsOf(uint16_t state)
{
    quint64 flags = 0;
    if (state & XCB_MOD_MASK_SHIFT)
        flags |= EventFlag::Shift;
    if (state & XCB_MOD_MASK_CONTROL)
        flags |= EventFlag::Command;
    if (state & XCB_MOD_MASK_1)
        flags |= EventFlag::Option;
    if (state & XCB_MOD_MASK_4)
        flags |= EventFlag::Control;
    return flags;
}

int X11KeyGrabber::grabKey(int keyCode, quint64 flags)
{
    const QList<xcb_keycode_t> keycodes = keycodesFor(keyCode);
    if (keycodes.isEmpty())
        return NoSuchKey;
    QList<xcb_void_cookie_t> cookies;
    for (xcb_window_t root : std::as_const(m_roots))
        for (xcb_keycode_t keycode : keycodes)
            for (uint16_t mask : masksFor(flags))
                cookies.append(xcb_grab_key_checked(m_connection, 1, root, mask, keycode,
                                                    XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    int status = 0;
    for (const xcb_void_cookie_t &cookie : std::as_const(cookies)) {
        if (xcb_generic_error_t *error = xcb_request_check(m_connection, cookie)) {
            if (status == 0)
                status = error->error_code;
            std::free(error);
        }
    }
    if (status != 0)
        ungrabKey(keyCode, flags);
    return status;
}

void X11KeyGrabber::ungrabKey(int keyCode, quint64 flags)
{
    for (xcb_window_t root : std::as_const(m_roots))
        for (xcb_keycode_t keycode : keycodesFor(keyCode))
            for (uint16_t mask : masksFor(flags))
                xcb_ungrab_key(m_connection, keycode, root, mask);
    xcb_flush(m_connection);
}

void X11KeyGrabber::keymapChanged()
{
    loadKeymap();
    if (m_registrationQueued)
        return;
    // Mapping changes come in bursts; register once, after the event has been handled.
    m_registrationQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_registrationQueued = false;
        emit registrationNeeded();
    });
}

bool X11KeyGrabber::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    auto *event = static_cast<xcb_generic_event_t *>(message);
    const uint8_t type = event->response_type & 0x7f;
    switch (type) {
    case XCB_KEY_PRESS: {
        auto *key = reinterpret_cast<xcb_key_press_event_t *>(event);
        KeyState &state = m_keys[key->detail];
        const bool repeat = (state.releasedAt != 0 && state.releasedAt == key->time)
                            || (state.down && m_detectableAutoRepeat);
        state.down = true;
        const auto code = keyCodeOf(key->detail);
        return code && keyPressed(*code, flagsOf(key->state), repeat);
    }
    case XCB_KEY_RELEASE: {
        auto *key = reinterpret_cast<xcb_key_release_event_t *>(event);
        KeyState &state = m_keys[key->detail];
        state.down = false;
        state.releasedAt = key->time;
        return false;
    }
    case XCB_MAPPING_NOTIFY: {
        auto *mapping = reinterpret_cast<xcb_mapping_notify_event_t *>(event);
        if (mapping->request != XCB_MAPPING_POINTER)
            keymapChanged();
        return false;
    }
    default:
        if (m_xkbFirstEvent && type == m_xkbFirstEvent) {
            const uint8_t xkbType = event->pad0;
            if (xkbType == XCB_XKB_NEW_KEYBOARD_NOTIFY || xkbType == XCB_XKB_MAP_NOTIFY)
                keymapChanged();
        }
        return false;
    }
}
