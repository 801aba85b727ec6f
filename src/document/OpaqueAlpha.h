#pragma once
#include <QtGlobal>

#include <cstddef>

// The fourth byte of 32-bit pixels in B, G, R, A order (QImage::Format_RGB32 and
// Format_ARGB32_Premultiplied on little-endian machines) set to 0xff, in place. Pictures that are
// opaque by their format (RGB32) may carry anything there when their bytes came from elsewhere
// (X leaves that byte of a depth-24 pixel undefined); blending or copying them into a picture
// with alpha would read it as transparency.
namespace OpaqueAlpha {

// pixels consecutive pixels from bits on.
void set(uchar *bits, size_t pixels);

// A rectangle of width × height pixels whose rows start bytesPerRow apart.
void set(uchar *bits, int width, int height, qsizetype bytesPerRow);

} // namespace OpaqueAlpha
