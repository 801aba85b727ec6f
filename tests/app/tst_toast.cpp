#include "app/ChromeViews.h"
#include "app/Toast.h"

#include "TestEnv.h"

#include <QPointer>

class TestToast : public QObject
{
    Q_OBJECT
private slots:
    void placement_data()
    {
        QTest::addColumn<QPoint>("pointer");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QRect>("visible");
        QTest::addColumn<QPoint>("expected");
        const QRect v(0, 30, 1000, 770); // a panel of 30 pt at the top
        QTest::newRow("centred above") << QPoint(500, 400) << QSize(100, 28) << v << QPoint(450, 354);
        QTest::newRow("right edge") << QPoint(995, 400) << QSize(100, 28) << v << QPoint(892, 354);
        QTest::newRow("left edge") << QPoint(3, 400) << QSize(100, 28) << v << QPoint(8, 354);
        QTest::newRow("top edge goes below") << QPoint(500, 40) << QSize(100, 28) << v << QPoint(450, 38);
        QTest::newRow("wider than room") << QPoint(500, 400) << QSize(1200, 28) << v << QPoint(8, 354);
        QTest::newRow("no screen") << QPoint(-50, -50) << QSize(100, 28) << QRect() << QPoint(-100, -96);
    }
    void placement()
    {
        QFETCH(QPoint, pointer);
        QFETCH(QSize, size);
        QFETCH(QRect, visible);
        QFETCH(QPoint, expected);
        QCOMPARE(Toast::placement(pointer, size, visible), expected);
    }

    void capsuleSize()
    {
        GlassLabel chip(QRect(0, 0, 10, 10));
        chip.setText(QStringLiteral("201 × 100"));
        QCOMPARE(chip.height(), 28);
        QCOMPARE(chip.width(), chip.label()->width() + 26);
        QCOMPARE(chip.glass()->geometry(), chip.rect());
        QVERIFY(chip.testAttribute(Qt::WA_TransparentForMouseEvents));

        PointerLabel coords(QRect(0, 0, 10, 10));
        coords.setText(QStringLiteral("120  340"));
        QCOMPARE(coords.width(), coords.label()->width() + 12);
        QCOMPARE(coords.height(), coords.label()->height() + 4);
        QCOMPARE(coords.label()->pos(), QPoint(6, 2));
    }

    void secondToastReplacesFirst()
    {
        toast(QStringLiteral("first"), 0.05);
        QPointer<QWidget> first = Toast::current();
        QVERIFY(first);
        toast(QStringLiteral("second"), 0.4);
        QPointer<QWidget> second = Toast::current();
        QVERIFY(second && second != first);
        QVERIFY(!first || !first->isVisible());
        QVERIFY(second->isVisible());
        QVERIFY(second->testAttribute(Qt::WA_TransparentForMouseEvents));
        // The first one's time passes: the second stays, in the slot.
        QTest::qWait(150);
        QCOMPARE(Toast::current(), second.data());
        QVERIFY(second->isVisible());
        // After its own time and the fade, the slot empties.
        QTRY_VERIFY_WITH_TIMEOUT(Toast::current() == nullptr, 3000);
    }

    // A capture takes the toast off the screen before it freezes the displays.
    void dismissTakesTheToastAway()
    {
        QVERIFY(!Toast::dismiss());
        toast(QStringLiteral("Copied"), 5);
        QPointer<QWidget> shown = Toast::current();
        QVERIFY(shown && shown->isVisible());
        QVERIFY(Toast::dismiss());
        QVERIFY(!shown || !shown->isVisible());
        QCOMPARE(Toast::current(), nullptr);
        QVERIFY(!Toast::dismiss());
        // A toast after it shows as usual.
        toast(QStringLiteral("Saved"), 0.05);
        QVERIFY(Toast::current() && Toast::current()->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(Toast::current() == nullptr, 3000);
    }

    void snapshotIsPng()
    {
        GlassLabel chip(QRect(0, 0, 10, 10));
        chip.setText(QStringLiteral("x"));
        const QByteArray png = pngSnapshot(&chip);
        QVERIFY(png.startsWith("\x89PNG"));
    }
};

QUILLET_TEST_MAIN(TestToast)
#include "tst_toast.moc"
