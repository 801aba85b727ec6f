#include "rail/RailThumb.h"

#include "TestEnv.h"

class TestRailThumb : public QObject
{
    Q_OBJECT
private slots:
    void threePercentRule_data()
    {
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<bool>("fills");
        QTest::addColumn<QRectF>("drawn");
        const QRectF cell(0, 0, 200, 100);
        QTest::newRow("wide fills") << QSize(1000, 500) << true << cell;
        QTest::newRow("within 3 % fills") << QSize(200, 103) << true << QRectF(0, -1.5, 200, 103);
        QTest::newRow("tall is shown whole") << QSize(500, 1000) << false << QRectF(75, 0, 50, 100);
        QTest::newRow("wider than the cell is cut at the sides") << QSize(400, 100) << true << QRectF(-100, 0, 400, 100);
    }
    void threePercentRule()
    {
        QFETCH(QSize, pixels);
        QFETCH(bool, fills);
        QFETCH(QRectF, drawn);
        QCOMPARE(RailThumb::fills(pixels, QSizeF(200, 100)), fills);
        QCOMPARE(RailThumb::pictureRect(pixels, QRectF(0, 0, 200, 100)), drawn);
    }

    void applyOnlyWhatChanged()
    {
        RailThumb thumb(QStringLiteral("k"));
        QImage picture(10, 10, QImage::Format_ARGB32_Premultiplied);
        picture.fill(Qt::red);
        RailThumb::Look look{QStringLiteral("1"), picture, true, QStringLiteral("tip")};
        thumb.apply(look, false);
        thumb.apply(look, false);
        QCOMPARE(thumb.restyledForTest, 1);
        QCOMPARE(thumb.pictureChangesForTest, 1);

        look.tip = QStringLiteral("other tip"); // a new tip: one restyle, the picture stays
        thumb.apply(look, false);
        QCOMPARE(thumb.restyledForTest, 2);
        QCOMPARE(thumb.pictureChangesForTest, 1);
        QCOMPARE(thumb.toolTip(), QStringLiteral("other tip"));

        look.picture = picture.copy(); // same pixels, another picture
        thumb.apply(look, false);
        QCOMPARE(thumb.pictureChangesForTest, 2);

        thumb.apply(look, true);
        QCOMPARE(thumb.restyledForTest, 4);
        QVERIFY(thumb.isSelected);
    }

    void hoverRing()
    {
        QWidget host;
        auto *thumb = new RailThumb(QStringLiteral("k"), &host);
        thumb->setCardFrame(QRectF(20, 20, 100, 60));
        host.resize(300, 300);
        host.show();
        const QPoint inside(RailThumb::margin + 50, RailThumb::margin + 30);
        QTest::mouseMove(thumb, inside);
        QVERIFY(thumb->hovered());
        QVERIFY(thumb->hasHoverRing());
        thumb->apply({}, true); // picking removes the hover ring
        QVERIFY(!thumb->hasHoverRing());
        QTest::mouseMove(thumb, QPoint(1, 1)); // the margin is not the card
        QVERIFY(!thumb->hovered());
        QTest::mouseMove(thumb, inside); // a picked thumb gets no hover ring
        QVERIFY(thumb->hovered());
        QVERIFY(!thumb->hasHoverRing());
    }

    void paintsWithoutChildren()
    {
        RailThumb thumb(QStringLiteral("k"));
        thumb.setCardFrame(QRectF(0, 0, 132, 83));
        thumb.apply({QStringLiteral("a very long badge that does not fit"), QImage(), true, {}}, true);
        const QImage shot = thumb.grab().toImage();
        QCOMPARE(shot.size(), QSize(132 + 18, 83 + 18));
        QVERIFY(thumb.findChildren<QWidget *>().isEmpty());
        // the card is white in the middle, the margin is clear
        QCOMPARE(shot.pixelColor(75, 20), QColor(Qt::white));
        QCOMPARE(shot.pixelColor(0, 0).alpha(), 0);
    }
};

QUILLET_TEST_MAIN(TestRailThumb)
#include "tst_railthumb.moc"
