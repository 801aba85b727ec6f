#include "platform/linux/X11Grabber.h"

#include "document/OpaqueAlpha.h"
#include "platform/linux/ShmPool.h"

#include <xcb/shm.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

X11Grabber::X11Grabber(bool sharedMemory)
{
    int screenNumber = 0;
    xcb_connection_t *conn = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(conn)) {
        xcb_disconnect(conn);
        m_connectError = QStringLiteral("Cannot connect to the X display %1.")
                             .arg(QString::fromLocal8Bit(qgetenv("DISPLAY")));
        return;
    }
    m_conn = conn;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(conn));
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    m_screen = it.data;
    m_root = m_screen->root;

    if (sharedMemory) {
        xcb_shm_query_version_reply_t *v =
            xcb_shm_query_version_reply(m_conn, xcb_shm_query_version(m_conn), nullptr);
        m_shm = v != nullptr;
        free(v);
        if (m_shm)
            m_pool = std::make_shared<ShmPool>(m_conn);
    }
}

X11Grabber::~X11Grabber()
{
    if (m_pool)
        m_pool->close();
    if (m_conn)
        xcb_disconnect(m_conn);
}

QImage::Format X11Grabber::formatFor(uint8_t depth, xcb_visualid_t visual, QString *error) const
{
    const xcb_setup_t *setup = xcb_get_setup(m_conn);
    int bitsPerPixel = 0;
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f))
        if (f.data->depth == depth)
            bitsPerPixel = f.data->bits_per_pixel;
    const xcb_visualtype_t *type = nullptr;
    for (auto d = xcb_screen_allowed_depths_iterator(m_screen); d.rem && !type; xcb_depth_next(&d))
        for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v))
            if (v.data->visual_id == visual)
                type = v.data;
    // A pixmap has no visual: its pixels are read like those of the root window of that depth.
    const bool masksFit = !type
        || (type->red_mask == 0xff0000 && type->green_mask == 0xff00 && type->blue_mask == 0xff);
    if (bitsPerPixel == 32 && masksFit && setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST) {
        if (depth == 24)
            return QImage::Format_RGB32;
        if (depth == 32)
            return QImage::Format_ARGB32_Premultiplied;
    }
    *error = QStringLiteral("The display's pixel format (depth %1, %2 bits per pixel) is not supported.")
                 .arg(depth)
                 .arg(bitsPerPixel);
    return QImage::Format_Invalid;
}

QImage X11Grabber::grab(xcb_drawable_t drawable, const QRect &rect, QString *error)
{
    if (!m_conn) {
        *error = m_connectError;
        return {};
    }
    if (rect.isEmpty() || rect.width() > 32767 || rect.height() > 32767) {
        *error = QStringLiteral("Cannot grab an area of %1 x %2 pixels.").arg(rect.width()).arg(rect.height());
        return {};
    }
    if (m_shm) {
        QString shmError;
        QImage image = grabShared(drawable, rect, &shmError);
        if (!image.isNull() || !shmError.isEmpty()) {
            *error = shmError;
            return image;
        }
        // The segment could not be had: plain GetImage from now on.
        m_shm = false;
    }
    return grabPlain(drawable, rect, error);
}

namespace {

// What a picture in a shared segment needs to hand the segment back when it is released.
struct SegmentLease
{
    std::shared_ptr<ShmPool> pool;
    ShmSegment segment;
};

void returnSegment(void *info)
{
    auto *lease = static_cast<SegmentLease *>(info);
    lease->pool->giveBack(lease->segment);
    delete lease;
}

void freeReply(void *reply)
{
    free(reply);
}

} // namespace

QImage X11Grabber::grabShared(xcb_drawable_t drawable, const QRect &rect, QString *error)
{
    const size_t rowBytes = size_t(rect.width()) * 4;
    const size_t bytes = rowBytes * size_t(rect.height());
    const ShmSegment segment = m_pool->take(bytes);
    if (!segment)
        return {};
    // Read in bands of about 4 MB, all asked for at once: while the server fills the next band,
    // this thread makes the one it has just written opaque, still in the cache.
    const int bandRows = int(std::clamp<size_t>((size_t(4) << 20) / rowBytes, 1, size_t(rect.height())));
    std::vector<xcb_shm_get_image_cookie_t> cookies;
    for (int y = 0; y < rect.height(); y += bandRows)
        cookies.push_back(xcb_shm_get_image(m_conn, drawable, int16_t(rect.x()), int16_t(rect.y() + y),
                                            uint16_t(rect.width()), uint16_t(std::min(bandRows, rect.height() - y)),
                                            ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP, segment.seg, uint32_t(rowBytes * size_t(y))));
    QImage::Format format = QImage::Format_Invalid;
    bool failed = false;
    for (size_t band = 0; band < cookies.size(); ++band) {
        xcb_generic_error_t *err = nullptr;
        xcb_shm_get_image_reply_t *reply = xcb_shm_get_image_reply(m_conn, cookies[band], &err);
        if (failed) { // the rest only collected
            free(reply);
            free(err);
            continue;
        }
        if (!reply) {
            *error = QStringLiteral("The X server refused to read the screen (error %1).").arg(err ? err->error_code : 0);
            free(err);
            failed = true;
            continue;
        }
        const uint8_t depth = reply->depth;
        const int top = int(band) * bandRows;
        const size_t bandBytes = rowBytes * size_t(std::min(bandRows, rect.height() - top));
        if (band == 0)
            format = formatFor(depth, reply->visual, error);
        if (format == QImage::Format_Invalid || reply->size < bandBytes) {
            failed = true;
        } else if (depth == 24) {
            // X leaves the fourth byte of a depth-24 pixel undefined (clients write 0 there,
            // servers keep it or give garbage); RGB32 means 0xffRRGGBB.
            OpaqueAlpha::set(static_cast<uchar *>(segment.addr) + rowBytes * size_t(top), bandBytes / 4);
        }
        free(reply);
    }
    if (failed) {
        m_pool->giveBack(segment);
        if (error->isEmpty())
            *error = QStringLiteral("The X server sent a short picture.");
        return {};
    }
    return QImage(static_cast<uchar *>(segment.addr), rect.width(), rect.height(), rect.width() * 4, format,
                  returnSegment, new SegmentLease{m_pool, segment});
}

QImage X11Grabber::grabPlain(xcb_drawable_t drawable, const QRect &rect, QString *error)
{
    xcb_generic_error_t *err = nullptr;
    xcb_get_image_reply_t *reply = xcb_get_image_reply(
        m_conn,
        xcb_get_image(m_conn, XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, int16_t(rect.x()), int16_t(rect.y()),
                      uint16_t(rect.width()), uint16_t(rect.height()), ~0u),
        &err);
    if (!reply) {
        *error = QStringLiteral("The X server refused to read the screen (error %1).").arg(err ? err->error_code : 0);
        free(err);
        return {};
    }
    const QImage::Format format = formatFor(reply->depth, reply->visual, error);
    const size_t bytes = size_t(rect.width()) * size_t(rect.height()) * 4;
    if (format == QImage::Format_Invalid || size_t(xcb_get_image_data_length(reply)) < bytes) {
        if (error->isEmpty())
            *error = QStringLiteral("The X server sent a short picture.");
        free(reply);
        return {};
    }
    if (reply->depth == 24)
        OpaqueAlpha::set(xcb_get_image_data(reply), size_t(rect.width()) * size_t(rect.height()));
    // The picture lives in the reply until it is released.
    return QImage(xcb_get_image_data(reply), rect.width(), rect.height(), rect.width() * 4, format, freeReply, reply);
}
