#include "platform/linux/XTestKeySynth.h"

#include "platform/linux/X11KeyGrabber.h"
#include "platform/linux/X11Props.h"

#include <QList>

#include <xcb/xcb_keysyms.h>
#include <xcb/xtest.h>

#include <cstdlib>
#include <memory>

namespace {
// Keysyms of the modifier keys, left key first.
constexpr quint32 controlKeys[] = {0xffe3, 0xffe4};
constexpr quint32 shiftKeys[] = {0xffe1, 0xffe2};
constexpr quint32 altKeys[] = {0xffe9, 0xffea};
constexpr quint32 superKeys[] = {0xffeb, 0xffec};

struct SymbolsDeleter
{
    void operator()(xcb_key_symbols_t *s) const { xcb_key_symbols_free(s); }
};

xcb_keycode_t keycodeOf(xcb_key_symbols_t *symbols, quint32 keysym)
{
    xcb_keycode_t *codes = xcb_key_symbols_get_keycode(symbols, keysym);
    if (!codes)
        return 0;
    const xcb_keycode_t code = codes[0] == XCB_NO_SYMBOL ? 0 : codes[0];
    std::free(codes);
    return code;
}

template<size_t N>
xcb_keycode_t firstKeycode(xcb_key_symbols_t *symbols, const quint32 (&keysyms)[N])
{
    for (const quint32 keysym : keysyms) {
        if (const xcb_keycode_t code = keycodeOf(symbols, keysym))
            return code;
    }
    return 0;
}

bool fake(xcb_connection_t *c, uint8_t type, xcb_keycode_t code)
{
    const xcb_void_cookie_t cookie = xcb_test_fake_input_checked(c, type, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_generic_error_t *error = xcb_request_check(c, cookie);
    if (!error)
        return true;
    std::free(error);
    return false;
}
} // namespace

bool XTestKeySynth::trusted()
{
    xcb_connection_t *c = X11Props::connection();
    if (!c)
        return false;
    const xcb_query_extension_reply_t *ext = xcb_get_extension_data(c, &xcb_test_id);
    return ext && ext->present;
}

quint64 XTestKeySynth::heldModifiers()
{
    xcb_connection_t *c = X11Props::connection();
    if (!c)
        return 0;
    xcb_query_pointer_reply_t *reply = xcb_query_pointer_reply(c, xcb_query_pointer(c, X11Props::root()), nullptr);
    if (!reply)
        return 0;
    const uint16_t mask = reply->mask;
    std::free(reply);
    return X11KeyGrabber::flagsOf(mask);
}

bool XTestKeySynth::press(quint32 keysym, Qt::KeyboardModifiers modifiers)
{
    xcb_connection_t *c = X11Props::connection();
    if (!trusted())
        return false;
    const std::unique_ptr<xcb_key_symbols_t, SymbolsDeleter> symbols(xcb_key_symbols_alloc(c));
    if (!symbols)
        return false;
    const xcb_keycode_t key = keycodeOf(symbols.get(), keysym);
    if (!key)
        return false;
    QList<xcb_keycode_t> chord;
    const auto addModifier = [&](Qt::KeyboardModifier modifier, xcb_keycode_t code) {
        if (!(modifiers & modifier))
            return true;
        if (!code)
            return false;
        chord << code;
        return true;
    };
    if (!addModifier(Qt::ControlModifier, firstKeycode(symbols.get(), controlKeys))
        || !addModifier(Qt::ShiftModifier, firstKeycode(symbols.get(), shiftKeys))
        || !addModifier(Qt::AltModifier, firstKeycode(symbols.get(), altKeys))
        || !addModifier(Qt::MetaModifier, firstKeycode(symbols.get(), superKeys)))
        return false;
    chord << key;

    QList<xcb_keycode_t> down;
    bool ok = true;
    for (const xcb_keycode_t code : std::as_const(chord)) {
        if (!fake(c, XCB_KEY_PRESS, code)) {
            ok = false;
            break;
        }
        down << code;
    }
    // Release in reverse: the key first, then the modifiers. After a failure every key that went
    // down is let go, whatever else fails on the way.
    while (!down.isEmpty())
        ok = fake(c, XCB_KEY_RELEASE, down.takeLast()) && ok;
    xcb_flush(c);
    return ok;
}
