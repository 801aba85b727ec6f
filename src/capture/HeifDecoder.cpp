#include "capture/HeifDecoder.h"

#include <libheif/heif.h>

#include <cstring>

bool HeifDecoder::looksLikeHeif(const QByteArray &data)
{
    const heif_filetype_result r =
        heif_check_filetype(reinterpret_cast<const uint8_t *>(data.constData()), int(std::min<qsizetype>(data.size(), 64)));
    return r == heif_filetype_yes_supported || r == heif_filetype_maybe;
}

HeifDecoder::HeifDecoder(const QByteArray &data)
{
    m_context = heif_context_alloc();
    if (!m_context)
        return;
    heif_error err = heif_context_read_from_memory_without_copy(m_context, data.constData(), size_t(data.size()), nullptr);
    if (err.code != heif_error_Ok)
        return;
    heif_image_handle *handle = nullptr;
    err = heif_context_get_primary_image_handle(m_context, &handle);
    if (err.code == heif_error_Ok)
        m_handle = handle;
}

HeifDecoder::~HeifDecoder()
{
    if (m_handle)
        heif_image_handle_release(m_handle);
    if (m_context)
        heif_context_free(m_context);
}

QSize HeifDecoder::size() const
{
    if (!m_handle)
        return {};
    return QSize(heif_image_handle_get_width(m_handle), heif_image_handle_get_height(m_handle));
}

QImage HeifDecoder::decode() const
{
    if (!m_handle)
        return {};
    heif_image *img = nullptr;
    const heif_error err = heif_decode_image(m_handle, &img, heif_colorspace_RGB, heif_chroma_interleaved_RGBA, nullptr);
    if (err.code != heif_error_Ok || !img)
        return {};
    int stride = 0;
    const uint8_t *plane = heif_image_get_plane_readonly(img, heif_channel_interleaved, &stride);
    const int w = heif_image_get_width(img, heif_channel_interleaved);
    const int h = heif_image_get_height(img, heif_channel_interleaved);
    QImage out;
    if (plane && w > 0 && h > 0) {
        QImage rgba(w, h, QImage::Format_RGBA8888);
        if (!rgba.isNull()) {
            for (int y = 0; y < h; ++y)
                std::memcpy(rgba.scanLine(y), plane + size_t(y) * size_t(stride), size_t(w) * 4);
            out = rgba.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        }
    }
    heif_image_release(img);
    return out;
}
