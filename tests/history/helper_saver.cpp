// Saves history pages without pause until it is killed: new pages and pages it saved before,
// re-cropped and with new marks, with and without waiting. Arguments: the history folder and a
// seed. Prints "ready" once it has read the entries already there.
#include "history/Recents.h"

#include <QCoreApplication>
#include <QRandomGenerator>

#include <cstdio>

namespace {
struct Page {
    std::optional<QString> id;
    Markup markup;
    ShotImages images;
};

QImage noise(QRandomGenerator &rng, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, rng.generate() | 0xff000000u);
    return image;
}

Page newPage(QRandomGenerator &rng)
{
    Page p;
    p.markup.unit = 1;
    double x = 0;
    for (int i = 0, n = 1 + int(rng.bounded(2)); i < n; ++i) {
        const QSize px(200 + int(rng.bounded(200)), 150 + int(rng.bounded(100)));
        const QSizeF pt(px.width() / 2.0, px.height() / 2.0);
        const Shot shot(QUuid::createUuid(), QPointF(x, 0), pt, QRectF(QPointF(x, 0), pt));
        p.markup.shots.append(shot);
        p.images.insert(shot.id, ShotImage{noise(rng, px.width(), px.height()), 2});
        x += pt.width() + 8;
    }
    return p;
}

// A new crop inside the shot's picture and one more mark.
void change(Page &p, QRandomGenerator &rng)
{
    Shot &shot = p.markup.shots[int(rng.bounded(int(p.markup.shots.size())))];
    const QRectF frame = shot.frame();
    const double left = frame.left() + rng.bounded(frame.width() / 3);
    const double top = frame.top() + rng.bounded(frame.height() / 3);
    shot.rect = QRectF(left, top, std::max(1.0, rng.bounded(frame.right() - left)),
                       std::max(1.0, rng.bounded(frame.bottom() - top)));
    p.markup.items.append(Item::arrowFrom(QPointF(rng.bounded(100.0), 5), QPointF(40, 60), 1, 2));
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    Recents::setFolderOverride(QString::fromLocal8Bit(argv[1]));
    QRandomGenerator rng(QByteArray(argv[2]).toUInt());

    QList<Page> pages;
    for (const Recents::Entry &entry : Recents::list().mid(0, 3))
        if (const auto loaded = Recents::load(entry.id))
            pages.append(Page{entry.id, loaded->markup, loaded->images});
    std::printf("ready\n");
    std::fflush(stdout);

    QImage picture(400, 260, QImage::Format_ARGB32_Premultiplied);
    for (int round = 0;; ++round) {
        if (pages.isEmpty() || rng.bounded(3) == 0) {
            pages.append(newPage(rng));
            if (pages.size() > 6)
                pages.removeFirst();
        }
        Page &page = pages[int(rng.bounded(int(pages.size())))];
        change(page, rng);
        picture.fill(QColor::fromRgb(rng.generate()));
        const auto id = Recents::save(page.markup, page.images, picture, page.id, {}, {}, {},
                                      round % 3 != 0);
        if (id)
            page.id = id;
    }
}
