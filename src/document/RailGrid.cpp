#include "document/RailGrid.h"

#include <algorithm>
#include <cmath>

namespace RailGrid {

Shape columns(double width, double thumb, double window)
{
    const double t = thumb <= minThumb ? minThumb : std::round(std::min(thumb, maxThumb));
    double w = std::max(width, t + margin);
    w = std::round(std::clamp(w, narrowest, std::max(window - canvasRoom, narrowest)));
    const double fitted = std::min(t, w - margin);
    const int n = int(std::floor((w - margin + gap) / (fitted + gap) + 0.000001));
    return {w, fitted, std::max(n, 1)};
}

double thumbHeight(double thumb, double ratio)
{
    const double r = ratio > maxRatio ? maxRatio : (ratio <= minRatio ? minRatio : ratio);
    return std::round(thumb * r);
}

Frames frames(const QList<double> &heights, int columns, std::optional<double> width, double thumb)
{
    const int f = std::max(columns, 1);
    const double block = f * thumb + (f - 1) * gap;
    const double left = inset + (width ? std::floor(std::max(0.0, (*width - margin - block) / 2)) : 0.0);
    Frames out;
    out.frames.reserve(heights.size());
    double top = inset;
    for (qsizetype start = 0; start < heights.size(); start += f) {
        const qsizetype end = std::min(heights.size(), start + f);
        const double rowHeight = *std::max_element(heights.begin() + start, heights.begin() + end);
        for (qsizetype i = start; i < end; ++i) {
            const double h = heights[i];
            out.frames.append(QRectF(left + (thumb + gap) * double(i - start),
                                     top + std::floor((rowHeight - h) / 2), thumb, h));
        }
        top += rowHeight + gap;
    }
    out.height = top;
    return out;
}

std::optional<int> step(int index, Move move, int count)
{
    if (index < 0 || index >= count)
        return std::nullopt;
    if (move == Move::left || move == Move::up)
        return index > 0 ? std::optional<int>(index - 1) : std::nullopt;
    return index + 1 < count ? std::optional<int>(index + 1) : std::nullopt;
}

} // namespace RailGrid
