#include "TestEnv.h"

#include "canvas/DisplayImages.h"

namespace {
using Job = DisplayImages::Job;

// A picture that has to be drawn for the display (not in its pixel format).
QImage foreign(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB888);
    img.fill(QColor(200, 30, 40));
    return img;
}

// A picture already in the display's format (and untagged, as frozen screens are).
QImage native(int w, int h)
{
    return QImage(w, h, QImage::Format_RGB32);
}

Job job(const QImage &image)
{
    return {QUuid::createUuid(), ShotImage{image, 1}};
}
} // namespace

class TestDisplayImages : public QObject
{
    Q_OBJECT

private slots:
    void smallSize_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("small");
        QTest::newRow("wide") << QSize(2048, 1000) << QSize(1024, 500);
        QTest::newRow("within") << QSize(1000, 600) << QSize(1000, 600);
        QTest::newRow("a line") << QSize(4000, 1) << QSize(1024, 1);
        QTest::newRow("tall") << QSize(10, 3000) << QSize(3, 1024);
    }
    void smallSize()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, small);
        QCOMPARE(DisplayImages::smallSize(picture), small);
        DisplayImages cache;
        cache.setSpace(QColorSpace(QColorSpace::SRgb));
        const Job j = job(foreign(picture.width(), picture.height()));
        cache.update({}, {j});
        cache.waitForWork();
        const auto found = cache.lookup(j.first);
        QVERIFY(found && !found->full);
        QCOMPARE(found->image.size(), small);
    }

    // Eight pages: full copies for the current page and the six nearest, a small copy for the last.
    void nearPagesGetFullCopies()
    {
        DisplayImages cache;
        cache.setSpace(QColorSpace(QColorSpace::SRgb));
        QList<Job> all;
        for (int i = 0; i < 8; ++i)
            all << job(foreign(300, 200));
        QSet<QUuid> ready;
        cache.onReady = [&](const QUuid &id) { ready.insert(id); };
        cache.update(all.mid(0, 7), all);
        cache.waitForWork();
        QCOMPARE(cache.pending(), 0);
        for (int i = 0; i < 7; ++i) {
            QVERIFY(cache.fullCopy(all[i].first));
            QVERIFY(ready.contains(all[i].first));
            QCOMPARE(cache.fullCopy(all[i].first)->format(), QImage::Format_ARGB32_Premultiplied);
        }
        QVERIFY(!cache.fullCopy(all[7].first));
        QVERIFY(cache.lookup(all[7].first));
        // A page that moves away keeps its full copy (within the trim).
        cache.update(all.mid(1, 7), all);
        cache.waitForWork();
        QVERIFY(cache.fullCopy(all[0].first));
        QVERIFY(cache.fullCopy(all[7].first));
    }

    // A picture tagged with another space is converted: the full copy holds the same pixels as
    // Qt's own conversion, whatever the picture's format and size (large ones get memory of their own).
    void convertsColours_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QImage::Format>("format");
        QTest::newRow("large, translucent") << QSize(1600, 1400) << QImage::Format_ARGB32_Premultiplied;
        QTest::newRow("large, opaque") << QSize(1600, 1400) << QImage::Format_RGB32;
        QTest::newRow("large, 24-bit") << QSize(1700, 1500) << QImage::Format_RGB888;
        QTest::newRow("small") << QSize(300, 200) << QImage::Format_ARGB32;
    }
    void convertsColours()
    {
        QFETCH(QSize, size);
        QFETCH(QImage::Format, format);
        QImage picture(size, QImage::Format_ARGB32);
        for (int y = 0; y < size.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(picture.scanLine(y));
            for (int x = 0; x < size.width(); ++x)
                line[x] = qRgba(x * 7, y * 3, (x + y) * 5, 255 - (x % 200));
        }
        picture = picture.convertToFormat(format);
        picture.setColorSpace(QColorSpace(QColorSpace::DisplayP3));
        const QImage before = picture.copy();
        DisplayImages cache;
        const QColorSpace srgb(QColorSpace::SRgb);
        cache.setSpace(srgb);
        const Job j = job(picture);
        cache.update({j}, {j});
        cache.waitForWork();
        const std::optional<QImage> full = cache.fullCopy(j.first);
        QVERIFY(full);
        const QImage expected = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied).convertedToColorSpace(srgb);
        QCOMPARE(full->format(), QImage::Format_ARGB32_Premultiplied);
        QCOMPARE(full->colorSpace(), srgb);
        QVERIFY(*full == expected);
        // The source is untouched.
        QCOMPARE(picture.colorSpace(), QColorSpace(QColorSpace::DisplayP3));
        QVERIFY(picture == before);
    }

    // A picture in the display's format is its own full copy at once; no small copy is made.
    void displayFormatIsReadyAtOnce()
    {
        DisplayImages cache;
        cache.setSpace(QColorSpace(QColorSpace::SRgb));
        const Job j = job(native(640, 480));
        bool ready = false;
        cache.onReady = [&](const QUuid &id) { ready = id == j.first; };
        cache.update({j}, {j});
        QVERIFY(ready);
        QCOMPARE(cache.pending(), 0);
        QCOMPARE(cache.fullCopy(j.first)->constBits(), j.second.image.constBits());
    }

    void colourSpaces()
    {
        DisplayImages cache;
        const Job j = job(native(64, 64));
        cache.update({j}, {j});
        QVERIFY(!cache.lookup(j.first)); // no space yet: nothing
        cache.setSpace(QColorSpace(QColorSpace::SRgb));
        cache.update({j}, {j});
        QVERIFY(cache.fullCopy(j.first));
        cache.setSpace(QColorSpace(QColorSpace::SRgb));
        QVERIFY(cache.fullCopy(j.first));
        cache.setSpace(QColorSpace(QColorSpace::DisplayP3));
        QVERIFY(!cache.fullCopy(j.first));
        QVERIFY(!cache.lookup(j.first));
    }

    // A result for a shot no longer wanted keeps the old full copy and calls nobody.
    void unwantedResult()
    {
        DisplayImages cache;
        cache.setSpace(QColorSpace(QColorSpace::SRgb));
        const Job a = job(foreign(400, 300)), b = job(foreign(400, 300));
        int calls = 0;
        cache.onReady = [&](const QUuid &) { ++calls; };
        cache.update({a}, {a, b});
        cache.update({b}, {a, b}); // a is no longer wanted before its copy is stored
        cache.waitForWork();
        QVERIFY(!cache.fullCopy(a.first));
        QVERIFY(cache.fullCopy(b.first));
        QCOMPARE(calls, 1);
        QVERIFY(cache.lookup(a.first)); // its small copy is there
    }

    // Unwanted full copies up to 384 MiB stay; beyond, the least recently looked up goes.
    void trim_data()
    {
        QTest::addColumn<bool>("oneMore");
        QTest::newRow("exactly 384 MiB") << false;
        QTest::newRow("one pixel more") << true;
    }
    void trim()
    {
        QFETCH(bool, oneMore);
        DisplayImages cache;
        cache.setSpace(QColorSpace(QColorSpace::SRgb));
        QList<Job> big;
        for (int i = 0; i < 3; ++i)
            big << job(native(8192, 4096)); // 128 MiB each
        QList<Job> all = big;
        if (oneMore)
            all << job(native(1, 1));
        const Job current = job(native(10, 10));
        all << current;
        cache.update(all.mid(0, all.size() - 1), all);
        for (const Job &j : all.mid(0, all.size() - 1))
            QVERIFY(cache.fullCopy(j.first));
        cache.lookup(big[0].first); // the first is the most recently looked up now
        cache.update({current}, all);
        QVERIFY(cache.fullCopy(big[0].first));
        QCOMPARE(bool(cache.fullCopy(big[1].first)), !oneMore);
        QVERIFY(cache.fullCopy(big[2].first));
    }

    // The cache goes while copies are being drawn: their results reach nobody.
    void teardownWhileDrawing()
    {
        for (int i = 0; i < 3; ++i) {
            auto cache = std::make_unique<DisplayImages>();
            cache->setSpace(QColorSpace(QColorSpace::SRgb));
            QList<Job> all;
            for (int k = 0; k < 6; ++k)
                all << job(foreign(1500, 1000));
            cache->onReady = [](const QUuid &) {};
            cache->update(all, all);
            cache.reset();
            QCoreApplication::processEvents();
        }
    }
};

QUILLET_TEST_MAIN(TestDisplayImages)
#include "tst_displayimages.moc"
