#include "XTestInput.h"

#include <QTest>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#include <xcb/xtest.h>

#include <cstdlib>

XTestInput::XTestInput()
{
    m_conn = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(m_conn)) {
        xcb_disconnect(m_conn);
        m_conn = nullptr;
        return;
    }
    m_root = xcb_setup_roots_iterator(xcb_get_setup(m_conn)).data->root;
    m_symbols = xcb_key_symbols_alloc(m_conn);
}

XTestInput::~XTestInput()
{
    if (m_symbols)
        xcb_key_symbols_free(m_symbols);
    if (m_conn)
        xcb_disconnect(m_conn);
}

uint8_t XTestInput::keycode(uint32_t keysym) const
{
    xcb_keycode_t *codes = xcb_key_symbols_get_keycode(m_symbols, keysym);
    const uint8_t code = codes ? codes[0] : 0;
    std::free(codes);
    return code;
}

void XTestInput::fake(uint8_t type, uint8_t detail, QPoint p)
{
    if (!m_conn)
        return;
    xcb_test_fake_input(m_conn, type, detail, XCB_CURRENT_TIME,
                        type == XCB_MOTION_NOTIFY ? m_root : XCB_NONE, int16_t(p.x()), int16_t(p.y()), 0);
    xcb_flush(m_conn);
    if (m_paceMs > 0)
        QTest::qWait(m_paceMs);
}

void XTestInput::keyDown(uint32_t keysym) { fake(XCB_KEY_PRESS, keycode(keysym)); }
void XTestInput::keyUp(uint32_t keysym) { fake(XCB_KEY_RELEASE, keycode(keysym)); }

void XTestInput::chord(const QList<uint32_t> &modifiers, uint32_t key)
{
    for (uint32_t m : modifiers)
        keyDown(m);
    keyDown(key);
    keyUp(key);
    for (auto it = modifiers.crbegin(); it != modifiers.crend(); ++it)
        keyUp(*it);
}

void XTestInput::moveTo(QPoint p) { fake(XCB_MOTION_NOTIFY, 0, p); }
void XTestInput::buttonDown(int button) { fake(XCB_BUTTON_PRESS, uint8_t(button)); }
void XTestInput::buttonUp(int button) { fake(XCB_BUTTON_RELEASE, uint8_t(button)); }

void XTestInput::drag(QPoint from, QPoint to, int steps)
{
    moveTo(from);
    buttonDown();
    for (int i = 1; i <= steps; ++i)
        moveTo(from + (to - from) * i / steps);
    buttonUp();
}
