#include "RailFixture.h"

#include "TestEnv.h"
#include "rail/RailDocument.h"
#include "rail/RailEdge.h"

#include <QMenu>
#include <QNativeGestureEvent>
#include <QWheelEvent>

namespace {

QAction *item(QMenu *menu, const QString &title)
{
    for (QAction *a : menu->actions())
        if (a->text() == title)
            return a;
    return nullptr;
}

void wheel(QWidget *w, int delta, Qt::KeyboardModifiers mods)
{
    const QPointF at(w->width() / 2.0, w->height() / 2.0);
    QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, mods, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(w, &e);
}

} // namespace

class TestRailMenus : public QObject
{
    Q_OBJECT
private slots:
    void columnItems_data()
    {
        QTest::addColumn<double>("widest");
        QTest::addColumn<int>("columns");
        QTest::addColumn<bool>("two");
        QTest::addColumn<bool>("three");
        QTest::newRow("too narrow for two") << 250.0 << 1 << false << false;
        QTest::newRow("room for two") << 334.0 << 1 << true << false;
        QTest::newRow("room for three") << 484.0 << 1 << true << true;
        QTest::newRow("has three already") << 200.0 << 3 << false << true;
    }
    void columnItems()
    {
        QFETCH(double, widest);
        QFETCH(int, columns);
        QFETCH(bool, two);
        QFETCH(bool, three);
        RailFixture f;
        f.rail->shape = {184, 132, columns};
        f.rail->widest = widest;
        QMenu menu;
        menu.addAction(QStringLiteral("Something"));
        f.rail->addColumnItems(&menu);
        QVERIFY(menu.actions().at(1)->isSeparator());
        QVERIFY(item(&menu, "One Column")->isEnabled());
        QCOMPARE(item(&menu, "Two Columns")->isEnabled(), two);
        QCOMPARE(item(&menu, "Three Columns")->isEnabled(), three);
        QCOMPARE(item(&menu, "Three Columns")->isChecked(), columns == 3);
        QCOMPARE(item(&menu, "One Column")->isChecked(), columns == 1);
        int asked = 0;
        f.rail->onColumns = [&](int n) { asked = n; };
        item(&menu, "One Column")->trigger();
        QCOMPARE(asked, 1);
    }

    void moreColumnsThanTheMenuOffers()
    {
        RailFixture f(QSize(700, 600));
        f.pages(6);
        f.rail->shape = RailGrid::columns(700, 100, 2000);
        f.rail->layoutThumbs(false, false);
        QCOMPARE(f.rail->shape.columns, 5);
        QCOMPARE(f.rail->thumbFrames().at(4).y(), f.rail->thumbFrames().at(0).y()); // five in a row
        QMenu menu;
        f.rail->addColumnItems(&menu);
        for (QAction *a : menu.actions())
            QVERIFY(!a->isChecked());
    }

    void deleteItem()
    {
        RailFixture f;
        f.pages(4, 0);
        QList<RailRow> deleted;
        f.rail->onDelete = [&](const QList<RailRow> &rows) { deleted = rows; };
        // pick pages 1..3 (shift from the current page 0, then ctrl 0 away)
        f.rail->pressThumb(f.rail->order().at(3), {}, Qt::ShiftModifier);
        f.rail->pressThumb(f.rail->order().at(0), {}, Qt::ControlModifier);
        std::unique_ptr<QMenu> menu(f.rail->menuFor(f.rail->order().at(2)));
        QAction *del = menu->actions().first();
        QCOMPARE(del->text(), QStringLiteral("Delete 3 Shots"));
        QVERIFY(del->isEnabled());
        del->trigger();
        QCOMPARE(deleted, (QList<RailRow>{RailRow::ofPage(1), RailRow::ofPage(2), RailRow::ofPage(3)}));
        QVERIFY(item(menu.get(), "One Column"));

        // an unpicked thumbnail's menu is about it alone
        std::unique_ptr<QMenu> single(f.rail->menuFor(f.rail->order().at(0)));
        QCOMPARE(single->actions().first()->text(), QStringLiteral("Delete"));
        single->actions().first()->trigger();
        QCOMPARE(deleted, (QList<RailRow>{RailRow::ofPage(0)}));
    }

    void deleteOfTheLastPage()
    {
        RailFixture f;
        f.rail->reload({RailFixture::picture(10, 10)}, {"a"}, 0, {}, {});
        std::unique_ptr<QMenu> alone(f.rail->menuFor(f.rail->order().first()));
        QVERIFY(!alone->actions().first()->isEnabled());

        f.rail->reload({RailFixture::picture(10, 10)}, {"a"}, 0,
                       {{"r", "rk", {}, QDateTime::currentDateTime()}}, {});
        std::unique_ptr<QMenu> withRecent(f.rail->menuFor(f.rail->order().first()));
        QVERIFY(withRecent->actions().first()->isEnabled());
    }

    void pinchFactor_data()
    {
        QTest::addColumn<double>("factor");
        QTest::addColumn<double>("reported");
        QTest::newRow("never below 0.2") << 0.05 << 0.2;
        QTest::newRow("grows") << 1.1 << 1.1;
    }
    void pinchFactor()
    {
        QFETCH(double, factor);
        QFETCH(double, reported);
        RailFixture f;
        double got = 0;
        f.rail->onPinch = [&](bool, double x) { got = x; };
        f.rail->pinch(false, factor, QPointF(50, 50));
        QCOMPARE(got, reported);
    }

    void trackpadPinch()
    {
        RailFixture f;
        QList<std::pair<bool, double>> calls;
        f.rail->onPinch = [&](bool ended, double factor) { calls.append({ended, factor}); };
        const QPointF at(60, 60);
        for (auto [type, value] : {std::pair{Qt::ZoomNativeGesture, -0.95}, std::pair{Qt::ZoomNativeGesture, 0.1},
                                   std::pair{Qt::EndNativeGesture, 0.0}}) {
            QNativeGestureEvent e(type, QPointingDevice::primaryPointingDevice(), 2, at, at, f.rail->mapToGlobal(at),
                                  value, QPointF());
            QCoreApplication::sendEvent(f.rail, &e);
        }
        QCOMPARE(calls, (QList<std::pair<bool, double>>{{false, 0.2}, {false, 1.1}, {true, 1.0}}));
    }

    // The canvas window sends its events on, so a wheel reaches the part under the pointer and
    // goes no further: each part scrolls the rail itself (the first visible row changes), and
    // with Ctrl each is a pinch.
    void wheelOverEveryPartOfTheRail_data()
    {
        QTest::addColumn<QString>("part");
        for (const char *part : {"thumbnail", "background", "viewport", "margin"})
            QTest::newRow(part) << part;
    }
    void wheelOverEveryPartOfTheRail()
    {
        QFETCH(QString, part);
        RailFixture f;
        f.pages(20);
        f.settle();
        QWidget *over = part == "thumbnail"    ? static_cast<QWidget *>(f.rail->order().at(1))
                        : part == "background" ? static_cast<QWidget *>(f.rail->document())
                        : part == "viewport"   ? f.rail->document()->parentWidget()
                                               : static_cast<QWidget *>(f.rail);
        QList<std::pair<bool, double>> pinches;
        f.rail->onPinch = [&](bool ended, double factor) { pinches.append({ended, factor}); };
        QCOMPARE(f.rail->visibleTop(), 0.0);
        wheel(over, -240, Qt::NoModifier);
        QVERIFY(f.rail->visibleTop() > 0);
        QVERIFY(pinches.isEmpty());
        const double top = f.rail->visibleTop();
        wheel(over, 120, Qt::ControlModifier);
        QCOMPARE(pinches, (QList<std::pair<bool, double>>{{false, 1.1}}));
        QCOMPARE(f.rail->visibleTop(), top);
    }

    // At the end of the rail the wheel still stops there: the canvas behind does not scroll.
    void wheelAtTheEndStaysWithTheRail()
    {
        RailFixture f;
        f.pages(3);
        f.settle();
        const QPointF at(10, 10);
        QWheelEvent e(at, f.rail->order().first()->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(f.rail->order().first(), &e);
        QVERIFY(e.isAccepted());
        QCOMPARE(f.rail->visibleTop(), 0.0);
    }

    void ctrlWheelIsAPinch()
    {
        RailFixture f;
        f.pages(2);
        auto *grip = new RailEdge(&f.host);
        grip->setGeometry(170, 0, 22, 600);
        f.rail->hide();
        f.rail->show(); // takes the grip beside it
        QList<std::pair<bool, double>> calls;
        f.rail->onPinch = [&](bool ended, double factor) { calls.append({ended, factor}); };

        QWidget *viewport = f.rail->document()->parentWidget();
        wheel(viewport, 120, Qt::ControlModifier);
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls.at(0), std::make_pair(false, 1.1));
        f.clock.advance(0.2);
        wheel(grip, -120, Qt::ControlModifier); // another notch restarts the wait
        QCOMPARE(calls.at(1), std::make_pair(false, 0.9));
        f.clock.advance(0.2);
        QCOMPARE(calls.size(), 2);
        f.clock.advance(0.11);
        QCOMPARE(calls.size(), 3);
        QCOMPARE(calls.at(2), std::make_pair(true, 1.0));

        // without Ctrl the wheel scrolls and is no pinch
        wheel(viewport, 120, Qt::NoModifier);
        f.clock.advance(1);
        QCOMPARE(calls.size(), 3);
    }
};

QUILLET_TEST_MAIN(TestRailMenus)
#include "tst_railmenus.moc"
