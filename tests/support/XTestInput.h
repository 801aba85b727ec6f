#pragma once
#include <QList>
#include <QPoint>

#include <cstdint>

struct xcb_connection_t;
struct _XCBKeySymbols;

// Synthesized keyboard and pointer input on the test's X server, as a user would give it: keys by
// keysym (with modifier keys held around them), pointer moves, presses and drags.
class XTestInput
{
public:
    XTestInput();
    ~XTestInput();
    XTestInput(const XTestInput &) = delete;
    XTestInput &operator=(const XTestInput &) = delete;

    bool isValid() const { return m_conn != nullptr; }
    // How long each synthesized event waits for the applications to see it (30 ms unless set).
    void setPace(int milliseconds) { m_paceMs = milliseconds; }

    void keyDown(uint32_t keysym);
    void keyUp(uint32_t keysym);
    // Holds the modifier keysyms down, taps key, lets them go.
    void chord(const QList<uint32_t> &modifiers, uint32_t key);

    void moveTo(QPoint p);
    void buttonDown(int button = 1);
    void buttonUp(int button = 1);
    // Presses at from, moves in steps to to, releases.
    void drag(QPoint from, QPoint to, int steps = 10);

private:
    void fake(uint8_t type, uint8_t detail, QPoint p = {});
    uint8_t keycode(uint32_t keysym) const;

    xcb_connection_t *m_conn = nullptr;
    _XCBKeySymbols *m_symbols = nullptr;
    uint32_t m_root = 0;
    int m_paceMs = 30;
};
