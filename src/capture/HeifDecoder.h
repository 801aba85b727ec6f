#pragma once
#include <QByteArray>
#include <QImage>
#include <QSize>

struct heif_context;
struct heif_image_handle;

// Reads HEIF/HEIC picture data through libheif: the primary image's size from the container's
// header boxes without decoding, and the decoded picture on request. The data must outlive it.
class HeifDecoder
{
public:
    explicit HeifDecoder(const QByteArray &data);
    ~HeifDecoder();
    HeifDecoder(const HeifDecoder &) = delete;
    HeifDecoder &operator=(const HeifDecoder &) = delete;

    // Whether the data starts like a HEIF file.
    static bool looksLikeHeif(const QByteArray &data);

    bool isValid() const { return m_handle != nullptr; }
    QSize size() const;
    // In Format_ARGB32_Premultiplied; null when decoding fails.
    QImage decode() const;

private:
    heif_context *m_context = nullptr;
    heif_image_handle *m_handle = nullptr;
};
