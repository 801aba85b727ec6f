#pragma once
#include "PixelView.h"
#include "RGB.h"

#include <memory>
#include <vector>

// A small copy of a picture, made once, from which the colours under marks are read. The long
// side is at most maxSide pixels (a picture is shrunk, never enlarged). Immutable; shared by
// reference between the canvas's geometry copies.
class PixelSampler
{
public:
    // Fails (null) when the view holds no readable pixels or maxSide is below 1.
    static std::shared_ptr<const PixelSampler> make(const PixelView &picture, int maxSide = 1280);

    int width() const { return m_width; }
    int height() const { return m_height; }
    // The pixels: width × height × 4 bytes, rows from the top, R, G, B, A, premultiplied.
    const std::vector<uchar> &data() const { return m_data; }

    // The average colour of the 3 × 3 pixels (fewer at the borders) around a point given in
    // normalised picture coordinates (0...1 from the left and the top). Points outside the
    // picture, and coordinates that are not numbers, are clamped into it. Alpha is ignored.
    RGB color(double nx, double ny) const;

private:
    PixelSampler(int width, int height) : m_width(width), m_height(height) { }

    int m_width;
    int m_height;
    std::vector<uchar> m_data;
};
