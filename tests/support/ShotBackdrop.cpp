#include "ShotBackdrop.h"

#include "XTestInput.h"

#include <QElapsedTimer>
#include <QThread>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace {
constexpr uint32_t backdropBlue = 0x203050;
constexpr uint32_t blockGreen = 0x12ab34;
constexpr int rows = 9;       // sampled rows across the middle half of the screen
constexpr int minRun = 32;    // green pixels in a row that make a shot

bool near(uint32_t a, uint32_t b, int tolerance)
{
    for (int shift : {0, 8, 16}) {
        if (std::abs(int((a >> shift) & 0xff) - int((b >> shift) & 0xff)) > tolerance)
            return false;
    }
    return true;
}

bool light(uint32_t p)
{
    return ((p >> 16) & 0xff) >= 0xd0 && ((p >> 8) & 0xff) >= 0xd0 && (p & 0xff) >= 0xd0;
}
} // namespace

ShotBackdrop::ShotBackdrop()
{
    m_conn = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(m_conn)) {
        xcb_disconnect(m_conn);
        m_conn = nullptr;
        return;
    }
    m_screen = xcb_setup_roots_iterator(xcb_get_setup(m_conn)).data;
    const int w = m_screen->width_in_pixels, h = m_screen->height_in_pixels;
    m_block = QRect(w / 4, h / 4, w / 2, h / 2);
    m_probe = QPoint(w / 8, h / 8);
    m_window = xcb_generate_id(m_conn);
    const uint32_t values[] = {backdropBlue, 1, XCB_EVENT_MASK_EXPOSURE};
    xcb_create_window(m_conn, XCB_COPY_FROM_PARENT, m_window, m_screen->root, 0, 0, uint16_t(w), uint16_t(h), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                      XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
    xcb_map_window(m_conn, m_window);
    repaint();
}

ShotBackdrop::~ShotBackdrop()
{
    if (m_conn)
        xcb_disconnect(m_conn);
}

QSize ShotBackdrop::screenSize() const
{
    return m_screen ? QSize(m_screen->width_in_pixels, m_screen->height_in_pixels) : QSize();
}

void ShotBackdrop::repaint()
{
    if (!m_conn)
        return;
    const uint32_t below = XCB_STACK_MODE_BELOW;
    xcb_configure_window(m_conn, m_window, XCB_CONFIG_WINDOW_STACK_MODE, &below);
    xcb_clear_area(m_conn, 0, m_window, 0, 0, 0, 0);
    const xcb_gcontext_t gc = xcb_generate_id(m_conn);
    const uint32_t fg = blockGreen;
    xcb_create_gc(m_conn, gc, m_window, XCB_GC_FOREGROUND, &fg);
    const xcb_rectangle_t r{int16_t(m_block.x()), int16_t(m_block.y()), uint16_t(m_block.width()),
                            uint16_t(m_block.height())};
    xcb_poly_fill_rectangle(m_conn, m_window, gc, 1, &r);
    xcb_free_gc(m_conn, gc);
    std::free(xcb_get_input_focus_reply(m_conn, xcb_get_input_focus(m_conn), nullptr));
}

bool ShotBackdrop::dimmed()
{
    xcb_get_image_reply_t *img = xcb_get_image_reply(
        m_conn, xcb_get_image(m_conn, XCB_IMAGE_FORMAT_Z_PIXMAP, m_screen->root, int16_t(m_probe.x()),
                              int16_t(m_probe.y()), 1, 1, ~0u),
        nullptr);
    uint32_t p = backdropBlue;
    if (img && xcb_get_image_data_length(img) >= 4)
        std::memcpy(&p, xcb_get_image_data(img), 4);
    std::free(img);
    return (p & 0xffffff) != backdropBlue;
}

bool ShotBackdrop::canvasShowsShot()
{
    const int w = m_screen->width_in_pixels, h = m_screen->height_in_pixels;
    xcb_get_image_cookie_t cookies[rows];
    int ys[rows];
    for (int i = 0; i < rows; ++i) {
        ys[i] = h / 4 + i * (h / 2) / (rows - 1);
        cookies[i] = xcb_get_image(m_conn, XCB_IMAGE_FORMAT_Z_PIXMAP, m_screen->root, 0, int16_t(ys[i]),
                                   uint16_t(w), 1, ~0u);
    }
    QList<QPoint> found;
    for (int i = 0; i < rows; ++i) {
        xcb_get_image_reply_t *img = xcb_get_image_reply(m_conn, cookies[i], nullptr);
        if (!img)
            continue;
        const auto *px = reinterpret_cast<const uint32_t *>(xcb_get_image_data(img));
        const int n = std::min(w, int(xcb_get_image_data_length(img) / 4));
        for (int x = 0; x < n && found.size() <= i;) {
            if (!near(px[x] & 0xffffff, blockGreen, 3)) {
                ++x;
                continue;
            }
            int end = x;
            while (end < n && near(px[end] & 0xffffff, blockGreen, 3))
                ++end;
            // Light canvas beyond either end of the run, clear of a border line.
            const auto lightAt = [&](int from, int step) {
                for (int d = 12; d <= 28; d += 8) {
                    const int at = from + step * d;
                    if (at < 0 || at >= n || !light(px[at] & 0xffffff))
                        return false;
                }
                return true;
            };
            if (end - x >= minRun && (lightAt(x - 1, -1) || lightAt(end, 1)))
                found << QPoint((x + end) / 2, ys[i]);
            x = end;
        }
        std::free(img);
    }
    for (const QPoint &p : std::as_const(found)) {
        if (managedAt(p))
            return true;
    }
    return false;
}

// Whether the topmost window at p (a child of the root) is one the window manager manages.
bool ShotBackdrop::managedAt(QPoint p)
{
    xcb_translate_coordinates_reply_t *t = xcb_translate_coordinates_reply(
        m_conn, xcb_translate_coordinates(m_conn, m_screen->root, m_screen->root, int16_t(p.x()), int16_t(p.y())),
        nullptr);
    const xcb_window_t child = t ? t->child : XCB_NONE;
    std::free(t);
    if (child == XCB_NONE)
        return false;
    xcb_get_window_attributes_reply_t *a =
        xcb_get_window_attributes_reply(m_conn, xcb_get_window_attributes(m_conn, child), nullptr);
    const bool managed = a && !a->override_redirect;
    std::free(a);
    return managed;
}

bool ShotBackdrop::escapeCanvas(XTestInput &input)
{
    constexpr uint32_t XK_Escape = 0xff1b;
    input.setPace(30);
    for (int i = 0; i < 3; ++i) {
        QThread::msleep(200);
        input.chord({}, XK_Escape);
        if (waitFor([&] { return !canvasShowsShot() && !dimmed(); }, 1500) >= 0)
            return true;
    }
    return false;
}

double ShotBackdrop::waitFor(const std::function<bool()> &test, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
        if (test())
            return double(t.nsecsElapsed()) / 1e6;
        QThread::usleep(300);
    }
    return -1;
}
