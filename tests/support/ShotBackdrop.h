#pragma once
#include <QList>
#include <QPoint>
#include <QRect>

#include <cstdint>
#include <functional>

class XTestInput;
struct xcb_connection_t;
struct xcb_screen_t;

// A window of the benchmark's own that fills the screen under the application (a dark blue
// backdrop with a block of one green in its middle), and what a second X client reads off the
// screen over it: whether an overlay has dimmed the backdrop, and whether a window managed by the
// window manager shows the green block as a shot on a light canvas. The backdrop has no light
// pixel, so neither the frozen screen nor stale window contents pass for a canvas.
class ShotBackdrop
{
public:
    ShotBackdrop();
    ~ShotBackdrop();
    ShotBackdrop(const ShotBackdrop &) = delete;
    ShotBackdrop &operator=(const ShotBackdrop &) = delete;

    bool isValid() const { return m_conn != nullptr; }
    QSize screenSize() const;
    // The green block (root coordinates); a drag inside it chooses a shot of green alone.
    QRect block() const { return m_block; }
    // Puts the backdrop below every other window, paints it and waits until that is done.
    void repaint();

    // The probe pixel beside the block no longer shows the backdrop's blue (an overlay is up).
    bool dimmed();
    // Some sampled row shows a run of the block's green with canvas-light pixels beside it, in a
    // window that is not override-redirect (a managed window).
    bool canvasShowsShot();
    // Presses Escape until no canvas shows the shot and no overlay dims the backdrop (the first
    // press may only end the comment being typed); false when that did not happen.
    bool escapeCanvas(XTestInput &input);
    // Polls the test until it holds; the milliseconds it took, or -1 after timeoutMs.
    static double waitFor(const std::function<bool()> &test, int timeoutMs);

private:
    bool managedAt(QPoint p);

    xcb_connection_t *m_conn = nullptr;
    const xcb_screen_t *m_screen = nullptr;
    uint32_t m_window = 0;
    QRect m_block;
    QPoint m_probe;
};
