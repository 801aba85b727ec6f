#pragma once
#include <QImage>
#include <QRect>
#include <QString>

#include <xcb/xcb.h>

#include <memory>

class ShmPool;

// One private connection to the X server that reads pixels out of drawables: through MIT-SHM when
// the server offers shared memory, with plain GetImage otherwise. The pictures it returns are not
// copied: they live in the shared segment (or the GetImage reply) they were read into; a segment
// goes back to the grabber for the next grab once its picture is released. Not for use by two
// threads at once; its pictures may be kept and released on any thread, also after it is gone.
class X11Grabber
{
public:
    explicit X11Grabber(bool sharedMemory);
    ~X11Grabber();
    X11Grabber(const X11Grabber &) = delete;
    X11Grabber &operator=(const X11Grabber &) = delete;

    bool isConnected() const { return m_conn != nullptr; }
    QString connectError() const { return m_connectError; }
    bool usesSharedMemory() const { return m_shm; }
    xcb_connection_t *connection() const { return m_conn; }
    xcb_window_t root() const { return m_root; }
    xcb_screen_t *screen() const { return m_screen; }

    // The pixels of rect of a drawable of depth 24 or 32, in Format_RGB32 (depth 24, its fourth
    // byte set to 0xff whatever the server gave) or Format_ARGB32_Premultiplied (depth 32, alpha
    // as the drawable holds it). A null image with *error set on failure.
    QImage grab(xcb_drawable_t drawable, const QRect &rect, QString *error);

private:
    QImage grabShared(xcb_drawable_t drawable, const QRect &rect, QString *error);
    QImage grabPlain(xcb_drawable_t drawable, const QRect &rect, QString *error);
    QImage::Format formatFor(uint8_t depth, xcb_visualid_t visual, QString *error) const;

    xcb_connection_t *m_conn = nullptr;
    xcb_screen_t *m_screen = nullptr;
    xcb_window_t m_root = 0;
    QString m_connectError;
    bool m_shm = false;
    std::shared_ptr<ShmPool> m_pool;
};
