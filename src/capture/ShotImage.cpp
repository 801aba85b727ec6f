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

namespace {
// One cell's share of a row (or of the rows): the pixels [begin, end) lie wholly in it; the pixel
// before begin gives it `before`/256 of itself, the pixel at end `after`/256.
struct Span {
    int begin = 0;
    int end = 0;
    quint32 before = 0;
    quint32 after = 0;
    quint64 weight = 0; // the cell's total weight in 1/256 pixels
};

std::vector<Span> spans(int pixels, int cells)
{
    const std::vector<Split> split = splits(pixels, cells);
    std::vector<Span> out(static_cast<size_t>(cells));
    for (Span &span : out)
        span.begin = -1;
    for (int i = 0; i < pixels; ++i) {
        const Split sp = split[size_t(i)];
        Span &cell = out[size_t(sp.cell)];
        if (sp.first == whole) {
            if (cell.begin < 0)
                cell.begin = i;
            cell.end = i + 1;
        } else {
            cell.after = sp.first;
            out[size_t(sp.cell) + 1].before = whole - sp.first;
        }
        cell.weight += sp.first;
        if (sp.first < whole)
            out[size_t(sp.cell) + 1].weight += whole - sp.first;
    }
    // A cell with no whole pixel lies between its two shared ones.
    for (int c = 0; c < cells; ++c) {
        Span &cell = out[size_t(c)];
        if (cell.begin < 0) {
            int at = 0;
            for (int i = 0; i < pixels; ++i) {
                if (split[size_t(i)].cell == c - 1 && split[size_t(i)].first < whole) {
                    at = i + 1;
                    break;
                }
                if (split[size_t(i)].cell == c) {
                    at = i;
                    break;
                }
            }
            cell.begin = cell.end = at;
        }
    }
    return out;
}

// Adds weight × the pixel's four channels (B, G, R, A order) to sum.
inline void addWeighted(quint64 *sum, QRgb p, quint32 weight)
{
    sum[0] += quint64(p & 0xff) * weight;
    sum[1] += quint64((p >> 8) & 0xff) * weight;
    sum[2] += quint64((p >> 16) & 0xff) * weight;
    sum[3] += quint64(p >> 24) * weight;
}

// The channel sums of pixels [begin, end) of a row: two channels per 32-bit word, 16 bits each,
// flushed before a lane can overflow (256 pixels of 255).
inline void addRun(quint64 *sum, const QRgb *line, int begin, int end)
{
    constexpr int chunk = 256;
    for (int from = begin; from < end; from += chunk) {
        const int to = std::min(end, from + chunk);
        quint32 rb = 0, ag = 0;
        for (int x = from; x < to; ++x) {
            const quint32 p = line[x];
            rb += p & 0x00ff00ffu;
            ag += (p >> 8) & 0x00ff00ffu;
        }
        sum[0] += quint64(rb & 0xffff) * whole;
        sum[2] += quint64(rb >> 16) * whole;
        sum[1] += quint64(ag & 0xffff) * whole;
        sum[3] += quint64(ag >> 16) * whole;
    }
}
} // namespace

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
    const std::vector<Span> across = spans(cut.width(), columns);
    const std::vector<Split> down = splits(cut.height(), rows);

    // Each source row is summed into its cells (weights in 1/256), then rows into cell rows.
    const size_t rowLength = size_t(columns) * 4;
    std::vector<quint64> rowSums(rowLength);
    std::vector<quint64> sums(rowLength * size_t(rows), 0);
    std::vector<quint64> rowWeight(size_t(rows), 0);
    for (int y = 0; y < cut.height(); ++y) {
        std::fill(rowSums.begin(), rowSums.end(), 0);
        const auto *line = reinterpret_cast<const QRgb *>(source.constScanLine(cut.top() + y)) + cut.left();
        for (int c = 0; c < columns; ++c) {
            const Span &span = across[size_t(c)];
            quint64 *to = &rowSums[size_t(c) * 4];
            addRun(to, line, span.begin, span.end);
            if (span.before)
                addWeighted(to, line[span.begin - 1], span.before);
            if (span.after)
                addWeighted(to, line[span.end], span.after);
        }
        const Split sp = down[size_t(y)];
        rowWeight[size_t(sp.cell)] += sp.first;
        quint64 *to = &sums[size_t(sp.cell) * rowLength];
        for (size_t i = 0; i < rowLength; ++i)
            to[i] += rowSums[i] * sp.first;
        if (sp.first < whole) {
            rowWeight[size_t(sp.cell) + 1] += whole - sp.first;
            quint64 *next = to + rowLength;
            for (size_t i = 0; i < rowLength; ++i)
                next[i] += rowSums[i] * (whole - sp.first);
        }
    }

    QImage out(columns, rows, QImage::Format_ARGB32_Premultiplied);
    if (out.isNull())
        return QImage();
    for (int r = 0; r < rows; ++r) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(r));
        for (int c = 0; c < columns; ++c) {
            const quint64 weight = across[size_t(c)].weight * rowWeight[size_t(r)];
            const quint64 *v = &sums[(size_t(r) * columns + c) * 4];
            auto mean = [&](int k) { return weight ? int((v[k] + weight / 2) / weight) : 0; };
            const int a = opaque ? 255 : mean(3);
            line[c] = qRgba(std::min(mean(2), a), std::min(mean(1), a), std::min(mean(0), a), a);
        }
    }
    return out;
}
