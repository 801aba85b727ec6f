#pragma once
#include <QImage>
#include <QRect>
#include <QString>

#include <xcb/xcb.h>

// One private connection to the X server that reads pixels out of drawables: through an MIT-SHM
// segment (kept and reused between grabs) when the server offers shared memory, with plain
// GetImage otherwise. Not for use by two threads at once.
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

    // The pixels of rect of a drawable of depth 24 or 32, in Format_RGB32 (depth 24) or
    // Format_ARGB32_Premultiplied (depth 32). A null image with *error set on failure.
    QImage grab(xcb_drawable_t drawable, const QRect &rect, QString *error);

private:
    QImage grabShared(xcb_drawable_t drawable, const QRect &rect, QString *error);
    QImage grabPlain(xcb_drawable_t drawable, const QRect &rect, QString *error);
    bool ensureSegment(size_t bytes);
    void dropSegment();
    QImage::Format formatFor(uint8_t depth, xcb_visualid_t visual, QString *error) const;

    xcb_connection_t *m_conn = nullptr;
    xcb_screen_t *m_screen = nullptr;
    xcb_window_t m_root = 0;
    QString m_connectError;
    bool m_shm = false;
    int m_shmId = -1;
    void *m_shmAddr = nullptr;
    size_t m_shmSize = 0;
    uint32_t m_seg = 0;
};
