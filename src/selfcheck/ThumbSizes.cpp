#include "ThumbSizes.h"

#include "Autopilot.h"
#include "Detail.h"

#include "export/SamplePicture.h"
#include "rail/PageRail.h"

namespace Autopilot {
namespace {
// The rail's thumbnail heights after it was given pictures of these pixel sizes under keys, the
// page current one of them.
QList<double> heightsFor(PageRail &rail, const QList<QSize> &sizes, const QStringList &keys, int current)
{
    QList<QImage> pictures;
    for (const QSize size : sizes)
        pictures.append(samplePicture(size.width(), size.height(), 1));
    rail.reload(pictures, keys, current, {}, {});
    return rail.thumbHeights();
}
} // namespace

void thumbSizeChecks()
{
    PageRail rail;
    rail.setGeometry(0, 0, 184, 900);
    const QStringList abc{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
    const QStringList ba{QStringLiteral("b"), QStringLiteral("a")};

    // The small pictures first, then the full ones of the same pages.
    const QList<double> h = heightsFor(rail, {{216, 108}, {139, 108}, {216, 108}}, abc, 2);
    const QList<double> full = heightsFor(rail, {{2400, 600}, {1287, 1001}, {216, 108}}, abc, 2);
    check(QStringLiteral("a thumbnail keeps its size when its small picture gives way to the full one"),
          h.size() == 3 && full == h, [&] { return Detail::change(h, full); });

    // "c" removed, "a" and "b" swapped.
    const QList<double> swapped = heightsFor(rail, {{1287, 1001}, {2400, 600}}, ba, 0);
    check(QStringLiteral("and keeps it when a page above it is removed or the pages change places"),
          h.size() == 3 && swapped == QList<double>{h.at(1), h.at(0)}, [&] { return Detail::text(swapped); });

    // "a" turns square.
    const QList<double> square = heightsFor(rail, {{1287, 1001}, {900, 900}}, ba, 0);
    check(QStringLiteral("a page whose shape really changed gets a thumbnail of the new shape"),
          h.size() == 3 && square.size() == 2 && square.at(0) == h.at(1) && square.at(1) > h.at(0) + 40,
          [&] { return Detail::text(square); });
}

} // namespace Autopilot
