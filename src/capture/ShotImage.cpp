#include "capture/ShotImage.h"

#include <algorithm>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
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
inline void addWeighted(quint64 *sum, QRgb p, quint64 weight)
{
    sum[0] += (p & 0xff) * weight;
    sum[1] += ((p >> 8) & 0xff) * weight;
    sum[2] += ((p >> 16) & 0xff) * weight;
    sum[3] += (p >> 24) * weight;
}

// The picture's pixels as rows of QRgb from a corner.
struct Rows {
    const uchar *bits;
    qsizetype stride;
    int left;
    int top;
    const QRgb *row(int y) const
    {
        return reinterpret_cast<const QRgb *>(bits + (top + y) * stride) + left;
    }
};

// Adds weight × the channel sums of pixels [x0, x1) of row y.
void addRun(quint64 *sum, const Rows &rows, int x0, int x1, int y, quint64 weight)
{
    quint64 plain[4] = {0, 0, 0, 0};
    const QRgb *line = rows.row(y);
    for (int x = x0; x < x1; ++x)
        addWeighted(plain, line[x], 1);
    for (int k = 0; k < 4; ++k)
        sum[k] += plain[k] * weight;
}

// Adds weight × one row of a cell: its whole pixels and its shared edge pixels, by their shares.
void addCellRow(quint64 *sum, const Rows &rows, const Span &across, int y, quint64 weight)
{
    addRun(sum, rows, across.begin, across.end, y, weight * whole);
    const QRgb *line = rows.row(y);
    if (across.before)
        addWeighted(sum, line[across.begin - 1], weight * across.before);
    if (across.after)
        addWeighted(sum, line[across.end], weight * across.after);
}

// The whole pixels of one row of cells, summed row after row (the way the picture lies in
// memory) into per-cell accumulators. With SSE2 four pixels at a time are widened to 16-bit
// lanes, emptied into the sums before they can overflow (256 additions of 255).
class CellRowSums
{
public:
    CellRowSums(const std::vector<Span> &across, quint64 *sums) : m_across(across), m_sums(sums)
    {
#ifdef __SSE2__
        m_lanes.assign(across.size(), Lanes{_mm_setzero_si128(), _mm_setzero_si128()});
        for (const Span &span : across)
            m_widest = std::max(m_widest, (span.end - span.begin) / 4);
#endif
    }
    ~CellRowSums() { empty(); }

    // Adds row y of every cell at full weight (whole × whole), its shared columns by their share.
    void addRow(const Rows &rows, int y)
    {
        const QRgb *line = rows.row(y);
        constexpr quint64 full = quint64(whole) * whole;
#ifdef __SSE2__
        if (m_widest > 256 || m_count + m_widest > 256)
            empty();
        m_count += m_widest;
        const __m128i zero = _mm_setzero_si128();
#endif
        for (size_t c = 0; c < m_across.size(); ++c) {
            const Span &span = m_across[c];
            quint64 *sum = m_sums + c * 4;
            int x = span.begin;
#ifdef __SSE2__
            __m128i low = m_lanes[c].low, high = m_lanes[c].high;
            // A cell wider than a lane can take in one row is emptied as it goes.
            for (int stop; (stop = x + std::min((span.end - x) / 4, 256) * 4) > x;) {
                for (; x < stop; x += 4) {
                    const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i *>(line + x));
                    low = _mm_add_epi16(low, _mm_unpacklo_epi8(p, zero));
                    high = _mm_add_epi16(high, _mm_unpackhi_epi8(p, zero));
                }
                if (m_widest > 256) {
                    add(sum, low, high);
                    low = high = zero;
                }
            }
            m_lanes[c] = Lanes{low, high};
#endif
            for (; x < span.end; ++x)
                addWeighted(sum, line[x], full);
            if (span.before)
                addWeighted(sum, line[span.begin - 1], quint64(whole) * span.before);
            if (span.after)
                addWeighted(sum, line[span.end], quint64(whole) * span.after);
        }
    }

private:
#ifdef __SSE2__
    static void add(quint64 *sum, __m128i low, __m128i high)
    {
        constexpr quint64 full = quint64(whole) * whole;
        alignas(16) quint16 lanes[16];
        _mm_store_si128(reinterpret_cast<__m128i *>(lanes), low);
        _mm_store_si128(reinterpret_cast<__m128i *>(lanes + 8), high);
        for (int k = 0; k < 4; ++k)
            sum[k] += quint64(quint32(lanes[k]) + lanes[4 + k] + lanes[8 + k] + lanes[12 + k]) * full;
    }
#endif
    void empty()
    {
#ifdef __SSE2__
        for (size_t c = 0; c < m_across.size(); ++c) {
            add(m_sums + c * 4, m_lanes[c].low, m_lanes[c].high);
            m_lanes[c] = Lanes{_mm_setzero_si128(), _mm_setzero_si128()};
        }
        m_count = 0;
#endif
    }

    const std::vector<Span> &m_across;
    quint64 *m_sums;
#ifdef __SSE2__
    struct Lanes {
        __m128i low;  // B, G, R, A of the cell's pixels 0 and 1 (mod 4)
        __m128i high; // of its pixels 2 and 3
    };
    std::vector<Lanes> m_lanes;
    int m_widest = 0; // the most additions a lane takes per row
    int m_count = 0;  // additions since the lanes were emptied
#endif
};
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
    const std::vector<Span> down = spans(cut.height(), rows);
    const Rows pixels{source.constBits(), source.bytesPerLine(), cut.left(), cut.top()};

    QImage out(columns, rows, QImage::Format_ARGB32_Premultiplied);
    if (out.isNull())
        return QImage();
    // Each cell: its whole pixels at full weight, its shared edge rows and columns by their
    // shares (weights in 1/256 of a pixel each way).
    std::vector<quint64> sums(size_t(columns) * 4);
    for (int r = 0; r < rows; ++r) {
        const Span &dy = down[size_t(r)];
        std::fill(sums.begin(), sums.end(), 0);
        {
            CellRowSums cells(across, sums.data());
            for (int y = dy.begin; y < dy.end; ++y)
                cells.addRow(pixels, y);
        }
        for (int c = 0; c < columns; ++c) {
            quint64 *v = &sums[size_t(c) * 4];
            if (dy.before)
                addCellRow(v, pixels, across[size_t(c)], dy.begin - 1, dy.before);
            if (dy.after)
                addCellRow(v, pixels, across[size_t(c)], dy.end, dy.after);
        }
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(r));
        for (int c = 0; c < columns; ++c) {
            const quint64 *v = &sums[size_t(c) * 4];
            const quint64 weight = across[size_t(c)].weight * dy.weight;
            auto mean = [&](int k) { return weight ? int((v[k] + weight / 2) / weight) : 0; };
            const int a = opaque ? 255 : mean(3);
            line[c] = qRgba(std::min(mean(2), a), std::min(mean(1), a), std::min(mean(0), a), a);
        }
    }
    return out;
}
