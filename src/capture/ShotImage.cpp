#include "capture/ShotImage.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {
constexpr double minCell = 6;
constexpr double maxCell = 14;
constexpr quint32 whole = 256; // a pixel's full weight in a cell

// How the pixels of one axis fall into cells: pixel i gives `first` of its weight to cell
// `cell` and the rest to cell + 1.
struct Split {
    int cell;
    quint32 first;
};

std::vector<Split> splits(int pixels, int cells)
{
    std::vector<Split> out(static_cast<size_t>(pixels));
    const double step = double(pixels) / cells;
    for (int i = 0; i < pixels; ++i) {
        const int cell = std::min(int(i / step), cells - 1);
        const double boundary = (cell + 1) * step;
        quint32 first = whole;
        if (cell + 1 < cells && boundary < i + 1)
            first = quint32(std::lround((boundary - i) * whole));
        out[size_t(i)] = Split{cell, first};
    }
    return out;
}

// Round half away from zero, at least 1, at most limit.
int count(double value, int limit)
{
    const double r = std::round(value);
    return std::clamp(r >= 1 ? int(r) : 1, 1, std::max(limit, 1));
}
} // namespace

double ShotImage::cellPoints(const QSizeF &piece)
{
    return std::clamp(std::min(piece.width(), piece.height()) * 0.25, minCell, maxCell);
}

QImage ShotImage::pixelated(const QRectF &rect) const
{
    if (image.isNull() || !(rect.width() >= 1) || !(rect.height() >= 1) || !std::isfinite(pixelScale)
        || !(pixelScale > 0))
        return QImage();
    const double s = pixelScale;
    const QRectF scaled(rect.x() * s, rect.y() * s, rect.width() * s, rect.height() * s);
    const QPoint topLeft(int(std::floor(scaled.left())), int(std::floor(scaled.top())));
    const QPoint past(int(std::ceil(scaled.right())), int(std::ceil(scaled.bottom())));
    const QRect area = QRect(topLeft, QSize(past.x() - topLeft.x(), past.y() - topLeft.y())) & image.rect();
    if (area.isEmpty())
        return QImage();
    const double cell = cellPoints(rect.size()) * s;
    return cellAverages(image, area, count(area.width() / cell, area.width()),
                        count(area.height() / cell, area.height()));
}

QImage ShotImage::cellAverages(const QImage &image, const QRect &area, int columns, int rows)
{
    const QRect cut = area & image.rect();
    if (cut.isEmpty() || columns < 1 || rows < 1)
        return QImage();
    columns = std::min(columns, cut.width());
    rows = std::min(rows, cut.height());
    QImage source = image;
    if (source.format() != QImage::Format_ARGB32_Premultiplied && source.format() != QImage::Format_RGB32)
        source = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const bool opaque = source.format() == QImage::Format_RGB32;
    const std::vector<Split> across = splits(cut.width(), columns);
    const std::vector<Split> down = splits(cut.height(), rows);

    // Each source row is summed into its cells (weights in 1/256), then rows into cell rows.
    std::vector<quint64> rowSums(size_t(columns) * 4);
    std::vector<quint64> sums(size_t(columns) * rows * 4, 0);
    std::vector<quint64> colWeight(size_t(columns), 0), rowWeight(size_t(rows), 0);
    for (int x = 0; x < cut.width(); ++x) {
        colWeight[size_t(across[size_t(x)].cell)] += across[size_t(x)].first;
        if (across[size_t(x)].first < whole)
            colWeight[size_t(across[size_t(x)].cell) + 1] += whole - across[size_t(x)].first;
    }
    for (int y = 0; y < cut.height(); ++y) {
        std::fill(rowSums.begin(), rowSums.end(), 0);
        const auto *line = reinterpret_cast<const QRgb *>(source.constScanLine(cut.top() + y)) + cut.left();
        for (int x = 0; x < cut.width(); ++x) {
            const QRgb p = line[x];
            const quint32 c[4] = {quint32(qBlue(p)), quint32(qGreen(p)), quint32(qRed(p)),
                                  opaque ? 255u : quint32(qAlpha(p))};
            const Split sp = across[size_t(x)];
            quint64 *to = &rowSums[size_t(sp.cell) * 4];
            for (int k = 0; k < 4; ++k)
                to[k] += c[k] * sp.first;
            if (sp.first < whole) {
                for (int k = 0; k < 4; ++k)
                    to[4 + k] += c[k] * (whole - sp.first);
            }
        }
        const Split sp = down[size_t(y)];
        rowWeight[size_t(sp.cell)] += sp.first;
        quint64 *to = &sums[size_t(sp.cell) * columns * 4];
        for (size_t i = 0; i < rowSums.size(); ++i)
            to[i] += rowSums[i] * sp.first;
        if (sp.first < whole) {
            rowWeight[size_t(sp.cell) + 1] += whole - sp.first;
            quint64 *next = to + size_t(columns) * 4;
            for (size_t i = 0; i < rowSums.size(); ++i)
                next[i] += rowSums[i] * (whole - sp.first);
        }
    }

    QImage out(columns, rows, QImage::Format_ARGB32_Premultiplied);
    if (out.isNull())
        return QImage();
    for (int r = 0; r < rows; ++r) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(r));
        for (int c = 0; c < columns; ++c) {
            const quint64 weight = colWeight[size_t(c)] * rowWeight[size_t(r)];
            const quint64 *v = &sums[(size_t(r) * columns + c) * 4];
            auto mean = [&](int k) { return weight ? int((v[k] + weight / 2) / weight) : 0; };
            const int a = mean(3);
            line[c] = qRgba(std::min(mean(2), a), std::min(mean(1), a), std::min(mean(0), a), a);
        }
    }
    return out;
}
