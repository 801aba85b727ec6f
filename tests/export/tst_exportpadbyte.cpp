// Opaque pictures whose fourth byte is 0 (as X hands out depth-24 pixels) export in their
// colours: exact copies, half size, page pictures, enlarged shots and mosaics come out the same
// as from the very pixels with the byte set, and fully opaque.
#include "export/ExportScene.h"

#include "ExportFixture.h"
#include "TestEnv.h"

using namespace ExportFixture;

namespace {

// The picture with its fourth byte as given, its format still Format_RGB32 (opaque by format).
QImage withFourthByte(const QImage &opaque, uchar byte)
{
    QImage out = opaque.copy();
    for (int y = 0; y < out.height(); ++y) {
        uchar *line = out.scanLine(y);
        for (int x = 0; x < out.width(); ++x)
            line[x * 4 + 3] = byte;
    }
    return out;
}

// The first pixel of a picture that is not opaque; (-1, -1) when all are.
QPoint firstSeeThrough(const QImage &picture)
{
    const QImage p = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < p.height(); ++y)
        for (int x = 0; x < p.width(); ++x)
            if (qAlpha(p.pixel(x, y)) != 255)
                return QPoint(x, y);
    return QPoint(-1, -1);
}

Page twoDensities(const QImage &onePerPoint, const QImage &twoPerPoint)
{
    Page p = page(onePerPoint, 1.0);
    const QSizeF size(twoPerPoint.width() / 2.0, twoPerPoint.height() / 2.0);
    const QRectF placed(QPointF(onePerPoint.width(), 0), size);
    const Shot second(QUuid::createUuid(), placed.topLeft(), size, placed);
    p.markup.shots << second;
    p.images.insert(second.id, ShotImage{twoPerPoint, 2.0});
    return p;
}

} // namespace

class TestExportPadByte : public QObject
{
    Q_OBJECT

private slots:
    void rendersAsTheOpaqueColours_data()
    {
        QTest::addColumn<int>("scale");
        QTest::addColumn<bool>("half");
        QTest::addColumn<QSizeF>("fit"); // empty: exact
        QTest::addColumn<bool>("mixed"); // a second shot at twice the density beside it
        QTest::addColumn<bool>("redaction");
        QTest::newRow("exact") << 1 << false << QSizeF() << false << false;
        QTest::newRow("exact 2x") << 2 << false << QSizeF() << false << false;
        QTest::newRow("half size") << 2 << true << QSizeF() << false << false;
        QTest::newRow("page picture") << 1 << false << QSizeF(720, 480) << false << false;
        QTest::newRow("page picture 2x") << 2 << false << QSizeF(720, 480) << false << false;
        QTest::newRow("enlarged beside a 2x shot") << 1 << false << QSizeF() << true << false;
        QTest::newRow("redaction") << 1 << false << QSizeF() << false << true;
        QTest::newRow("redaction 2x half size") << 2 << true << QSizeF() << false << true;
        QTest::newRow("redaction on a page picture") << 1 << false << QSizeF(720, 480) << false << true;
    }

    void rendersAsTheOpaqueColours()
    {
        QFETCH(int, scale);
        QFETCH(bool, half);
        QFETCH(QSizeF, fit);
        QFETCH(bool, mixed);
        QFETCH(bool, redaction);
        const QImage colours = pattern(1000 * scale / 2 + 1, 700 * scale / 2 + 3, 11);
        const QImage other = pattern(300, 200, 5);
        QImage rendered[2];
        for (uchar byte : {uchar(0xff), uchar(0x00)}) {
            Page p = mixed ? twoDensities(withFourthByte(colours, byte), withFourthByte(other, byte))
                           : page(withFourthByte(colours, byte), scale);
            if (redaction)
                p.markup.items.append(Item::withRect(ItemKind::redaction, QRectF(30, 40, 120, 90), 0, 2));
            const ExportScene scene = ExportScene::fromPage(p.markup, p.images);
            rendered[byte ? 0 : 1] = scene.render(half, fit.isEmpty() ? std::nullopt : std::optional(fit), 16);
        }
        QVERIFY(!rendered[0].isNull());
        QCOMPARE(firstSeeThrough(rendered[1]), QPoint(-1, -1));
        QCOMPARE(rendered[1].format(), rendered[0].format());
        QVERIFY(rendered[1] == rendered[0]);
        // An exact copy at the picture's own density is its colours, pixel for pixel.
        if (fit.isEmpty() && !half && !mixed && !redaction)
            QVERIFY(samePixels(colours, rendered[1], QPoint(0, 0)) && rendered[1].size() == colours.size());
    }

    // The cell means of a mosaic are those of the colours: the fourth byte is no alpha.
    void cellAveragesOfTheColours()
    {
        const QImage colours = pattern(97, 61, 3);
        const QImage zero = withFourthByte(colours, 0x00);
        for (const QSize cells : {QSize(1, 1), QSize(7, 5), QSize(97, 61)}) {
            const QImage fromZero = ShotImage::cellAverages(zero, QRect(2, 3, 90, 55), cells.width(), cells.height());
            const QImage fromColours = ShotImage::cellAverages(colours, QRect(2, 3, 90, 55), cells.width(), cells.height());
            QCOMPARE(firstSeeThrough(fromZero), QPoint(-1, -1));
            QVERIFY(fromZero == fromColours);
        }
    }

    // A picture with real transparency (an imported PNG with alpha) exports over white: the
    // export itself is opaque, a half-transparent pixel shows half its colour and half white.
    void realTransparencyExportsOverWhite()
    {
        QImage seeThrough(40, 30, QImage::Format_ARGB32);
        seeThrough.fill(qRgba(0, 0, 255, 128));
        for (int x = 0; x < 40; ++x)
            seeThrough.setPixel(x, 0, qRgba(255, 0, 0, 0));
        const Page p = page(seeThrough.convertToFormat(QImage::Format_ARGB32_Premultiplied), 1.0);
        const QImage out = ExportScene::fromPage(p.markup, p.images).render(false, std::nullopt, 16);
        QCOMPARE(out.size(), QSize(40, 30));
        QCOMPARE(firstSeeThrough(out), QPoint(-1, -1));
        QCOMPARE(out.pixel(5, 0), qRgb(255, 255, 255));
        const QRgb half = out.pixel(20, 15);
        QVERIFY2(qAbs(qRed(half) - 127) <= 1 && qAbs(qGreen(half) - 127) <= 1 && qBlue(half) == 255,
                 qPrintable(QString::number(half, 16)));
    }
};

QUILLET_TEST_MAIN(TestExportPadByte)
#include "tst_exportpadbyte.moc"
