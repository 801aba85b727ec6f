#pragma once
#include <QtGlobal>

// A read-only view of someone else's 32-bit pixels, rows from the top. Nothing is copied: the
// pixels must stay alive and unchanged while the view is used.
//
// Colour values are premultiplied by alpha (or opaque). The byte order in memory is one of:
// - bgra: B, G, R, A — QImage::Format_ARGB32_Premultiplied and Format_RGB32 on little-endian
//   machines (the app's picture format; pass image.constBits(), image.bytesPerLine());
// - rgba: R, G, B, A — QImage::Format_RGBA8888_Premultiplied and Format_RGBX8888.
struct PixelView {
    enum Order : quint8 { bgra, rgba };

    int width = 0;
    int height = 0;
    qsizetype bytesPerRow = 0;
    const uchar *bits = nullptr;
    Order order = bgra;

    // Whether the view describes readable pixels at all.
    bool isValid() const
    {
        return bits && width > 0 && height > 0 && bytesPerRow >= qsizetype(width) * 4;
    }
};
