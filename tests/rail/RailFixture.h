#pragma once
#include "platform/ReduceMotion.h"
#include "platform/fake/FakeScheduler.h"
#include "rail/PageRail.h"

#include <QImage>
#include <QWidget>

#include <memory>

// A shown rail in a host window, on a fake clock, with motion allowed.
struct RailFixture {
    FakeScheduler clock;
    QWidget host;
    PageRail *rail = nullptr;

    explicit RailFixture(QSize size = QSize(184, 600))
    {
        ReduceMotion::setOverride(false);
        host.resize(size.width() + 200, size.height());
        rail = new PageRail(clock, &host);
        rail->setGeometry(0, 0, size.width(), size.height());
        host.show();
    }
    ~RailFixture() { ReduceMotion::setOverride(std::nullopt); }

    // A picture of w × h pixels in one colour.
    static QImage picture(int w, int h, QColor c = Qt::gray)
    {
        QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
        img.fill(c);
        return img;
    }
    // `n` pages of 16:10 pictures keyed "p0", "p1", …
    void pages(int n, int current = 0, QSet<int> done = {}, QList<PageRail::Recent> recents = {})
    {
        QList<QImage> pics;
        QStringList keys;
        for (int i = 0; i < n; ++i) {
            pics.append(picture(160, 100));
            keys.append(QStringLiteral("p%1").arg(i));
        }
        rail->reload(pics, keys, current, recents, done);
    }
    // Lets every animation finish.
    void settle() { clock.advance(1.0); }
};
