// Scripted input and the lookups of the self-check: stepped drags, key events, mouse events
// that reach the widget a real press would, pixels, hit tests and list helpers.
#include "selfcheck/Lookups.h"
#include "selfcheck/Pasteboards.h"
#include "selfcheck/ScriptedInput.h"

#include "capture/OverlayView.h"
#include "capture/OverlayWindow.h"
#include "platform/KeyTable.h"

#include "TestEnv.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

using namespace Autopilot;

namespace {
// Records the mouse events it is sent.
class Recorder : public QWidget
{
public:
    using QWidget::QWidget;
    QList<std::pair<QEvent::Type, QPointF>> seen;
    Qt::KeyboardModifiers lastModifiers;
    Qt::MouseButtons lastButtons;

protected:
    void mousePressEvent(QMouseEvent *e) override { note(e); }
    void mouseMoveEvent(QMouseEvent *e) override { note(e); }
    void mouseReleaseEvent(QMouseEvent *e) override { note(e); }

private:
    void note(QMouseEvent *e)
    {
        seen.append({e->type(), e->position()});
        lastModifiers = e->modifiers();
        lastButtons = e->buttons();
    }
};
} // namespace

class TestScriptedInput : public QObject
{
    Q_OBJECT

private slots:
    void steppedDrag_data()
    {
        QTest::addColumn<QPointF>("from");
        QTest::addColumn<QPointF>("to");
        QTest::addColumn<QList<QPointF>>("drags");
        QList<QPointF> along;
        for (int k = 1; k <= 12; ++k)
            along.append(QPointF(10 * k, 5 * k));
        QTest::newRow("(0, 0) to (120, 60)") << QPointF(0, 0) << QPointF(120, 60) << along;
        QTest::newRow("equal ends") << QPointF(33.3, 7) << QPointF(33.3, 7) << QList<QPointF>(12, QPointF(33.3, 7));
        // Steps that do not divide evenly still end exactly on the end point.
        QTest::newRow("uneven") << QPointF(0, 0) << QPointF(0.7, 1) << QList<QPointF>();
    }
    void steppedDrag()
    {
        QFETCH(QPointF, from);
        QFETCH(QPointF, to);
        QFETCH(QList<QPointF>, drags);
        QStringList calls;
        QList<QPointF> dragged;
        Qt::KeyboardModifiers seenFlags;
        DragReceiver receiver{
            [&](Qt::KeyboardModifiers m, int clicks, QPointF p) {
                calls << QStringLiteral("down %1").arg(clicks);
                QCOMPARE(p, from);
                seenFlags = m;
            },
            [&](Qt::KeyboardModifiers, QPointF p) {
                calls << QStringLiteral("drag");
                dragged << p;
            },
            [&](Qt::KeyboardModifiers, QPointF p) {
                calls << QStringLiteral("up");
                QCOMPARE(p, to);
            },
        };
        drag(receiver, from, to, EventFlag::Shift);
        QCOMPARE(calls.size(), 14);
        QCOMPARE(calls.first(), QStringLiteral("down 1"));
        QCOMPARE(calls.last(), QStringLiteral("up"));
        QCOMPARE(seenFlags, Qt::KeyboardModifiers(Qt::ShiftModifier));
        QCOMPARE(dragged.last(), to);
        if (!drags.isEmpty())
            QCOMPARE(dragged, drags);
    }

    void keyEvents_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("characters");
        QTest::addColumn<quint64>("flags");
        QTest::addColumn<int>("qtKey");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("text");
        QTest::newRow("z") << int(KeyCode::Z) << "z" << quint64(0) << int(Qt::Key_Z) << 0 << "z";
        QTest::newRow("Ctrl+Shift+z") << int(KeyCode::Z) << "z" << quint64(0x120000) << int(Qt::Key_Z)
                                      << int(Qt::ControlModifier | Qt::ShiftModifier) << "z";
        QTest::newRow("Return") << int(KeyCode::Return) << "\r" << quint64(0) << int(Qt::Key_Return) << 0 << "\r";
        QTest::newRow("Escape") << int(KeyCode::Escape) << "\x1b" << quint64(0) << int(Qt::Key_Escape) << 0 << "\x1b";
        QTest::newRow("Space") << int(KeyCode::Space) << " " << quint64(0) << int(Qt::Key_Space) << 0 << " ";
        QTest::newRow("down arrow, plain") << int(KeyCode::Down) << "" << quint64(0) << int(Qt::Key_Down) << 0 << "";
        QTest::newRow("down arrow as the keyboard sends it")
            << int(KeyCode::Down) << QString(QChar(0xF701)) << quint64(0xa00000) << int(Qt::Key_Down) << 0 << "";
        QTest::newRow("Shift+up arrow") << int(KeyCode::Up) << QString(QChar(0xF700)) << quint64(0xa20000)
                                        << int(Qt::Key_Up) << int(Qt::ShiftModifier) << "";
        QTest::newRow("keypad Enter with Ctrl") << int(KeyCode::KeypadEnter) << "\x03" << quint64(0x300000)
                                                << int(Qt::Key_Enter)
                                                << int(Qt::ControlModifier | Qt::KeypadModifier) << "\x03";
    }
    void keyEvents()
    {
        QFETCH(int, code);
        QFETCH(QString, characters);
        QFETCH(quint64, flags);
        QFETCH(int, qtKey);
        QFETCH(int, modifiers);
        QFETCH(QString, text);
        const auto event = keyEvent(code, characters, flags);
        QCOMPARE(event->type(), QEvent::KeyPress);
        QCOMPARE(event->key(), qtKey);
        QCOMPARE(int(event->modifiers()), modifiers);
        QCOMPARE(event->text(), text);
        QVERIFY(!event->isAutoRepeat());
        // The application's key rules read the event back as the same key.
        QCOMPARE(KeyTable::fromQtKey(event->key(), event->modifiers()), std::optional<int>(code));
    }

    // A press goes to the deepest widget under the point, in its own coordinates; a widget that
    // lets the mouse through is passed over.
    void mouseReachesTheWidgetUnderIt()
    {
        QWidget host;
        host.resize(300, 200);
        auto *panel = new Recorder(&host);
        panel->setGeometry(100, 50, 150, 100);
        auto *inner = new Recorder(panel);
        inner->setGeometry(10, 10, 40, 40);
        auto *glass = new QWidget(panel);
        glass->setGeometry(0, 0, 150, 100);
        glass->setAttribute(Qt::WA_TransparentForMouseEvents);
        host.show();

        QCOMPARE(sendMouse(&host, QEvent::MouseButtonPress, QPointF(120, 70), EventFlag::Command), inner);
        QCOMPARE(inner->seen, (QList<std::pair<QEvent::Type, QPointF>>{{QEvent::MouseButtonPress, QPointF(10, 10)}}));
        QCOMPARE(inner->lastModifiers, Qt::KeyboardModifiers(Qt::ControlModifier));
        QCOMPARE(inner->lastButtons, Qt::MouseButtons(Qt::LeftButton));
        QCOMPARE(sendMouse(&host, QEvent::MouseButtonRelease, QPointF(200, 120)), panel);
        QCOMPARE(panel->seen.last(), (std::pair<QEvent::Type, QPointF>{QEvent::MouseButtonRelease, QPointF(100, 70)}));
        QCOMPARE(panel->lastButtons, Qt::MouseButtons());
        // A drag stays with the widget it is sent to, wherever the pointer is.
        sendMouse(inner, &host, QEvent::MouseMove, QPointF(250, 150));
        QCOMPARE(inner->seen.last(), (std::pair<QEvent::Type, QPointF>{QEvent::MouseMove, QPointF(140, 90)}));
        QCOMPARE(inner->lastButtons, Qt::MouseButtons(Qt::LeftButton));
        QCOMPARE(widgetAt(&host, QPointF(5, 5)), &host);
    }

    void pixels_data()
    {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<QList<int>>("rgb");
        QTest::newRow("top left of a red first row") << QPoint(0, 0) << QList<int>{255, 0, 0};
        QTest::newRow("end of the first row") << QPoint(9, 0) << QList<int>{255, 0, 0};
        QTest::newRow("second row") << QPoint(3, 1) << QList<int>{0, 0, 255};
        QTest::newRow("half transparent, premultiplied") << QPoint(0, 4) << QList<int>{0, 128, 0};
        QTest::newRow("right of it") << QPoint(10, 0) << QList<int>{};
        QTest::newRow("below it") << QPoint(0, 5) << QList<int>{};
        QTest::newRow("left of it") << QPoint(-1, 2) << QList<int>{};
    }
    void pixels()
    {
        QFETCH(QPoint, at);
        QFETCH(QList<int>, rgb);
        QImage image(10, 5, QImage::Format_ARGB32);
        image.fill(Qt::blue);
        for (int x = 0; x < 10; ++x) {
            image.setPixelColor(x, 0, Qt::red);
            image.setPixelColor(x, 4, QColor(0, 255, 0, 128));
        }
        QCOMPARE(pixel(image, at.x(), at.y()), rgb);
        QCOMPARE(pixel(QImage(), 0, 0), QList<int>());
    }

    void rowAtIncludesBothEdges_data()
    {
        QTest::addColumn<double>("y");
        QTest::addColumn<int>("row"); // -1: none
        QTest::newRow("top edge of the first") << 10.0 << 0;
        QTest::newRow("bottom edge of the first") << 40.0 << 0;
        QTest::newRow("inside the second") << 41.0 << 1;
        QTest::newRow("bottom edge of the second") << 70.0 << 1;
        QTest::newRow("below both") << 70.5 << -1;
    }
    void rowAtIncludesBothEdges()
    {
        QFETCH(double, y);
        QFETCH(int, row);
        QWidget top;
        top.resize(200, 200);
        auto *list = new QWidget(&top);
        list->setGeometry(0, 10, 200, 100);
        auto *a = new QWidget(list);
        a->setGeometry(0, 0, 100, 30);
        auto *b = new QWidget(list);
        b->setGeometry(0, 31, 100, 29);
        const QList<QWidget *> rows{a, b};
        QCOMPARE(rowAt(rows, y, &top), row < 0 ? nullptr : rows.at(row));
    }

    void hitTests()
    {
        QImage picture(200, 100, QImage::Format_RGB32);
        picture.fill(Qt::gray);
        OverlayWindow window(QRect(0, 0, 100, 50));
        auto *view = new OverlayView(QSize(100, 50), picture);
        window.setContentView(view);
        QVERIFY(allHit({}, 10, view, nullptr));
        QVERIFY(allHit({0, 50, 99}, 10, view, view));
        QVERIFY(!allHit({0, 100}, 10, view, view));
        QVERIFY(!allHit({10}, 10, view, &window));
    }

    void listHelpers()
    {
        const QDateTime may1(QDate(2026, 5, 1), QTime(12, 0)), may2 = may1.addDays(1), may3 = may1.addDays(2);
        QList<QDateTime> dates{may1, may3, may2};
        sortDates(dates);
        QCOMPARE(dates, (QList<QDateTime>{may3, may2, may1}));

        QVERIFY(allWidth({}));
        QVERIFY(allWidth({QRectF(5, 5, 96, 40), QRectF(0, 0, 96, 96)}));
        QVERIFY(!allWidth({QRectF(0, 0, 96, 1), QRectF(0, 0, 96.5, 1)}));

        QObject a, b, c;
        QVERIFY(sameObjects<QObject>({&a, &b}, {&a, &b, &c}));
        QVERIFY(sameObjects<QObject>({}, {&a}));
        QVERIFY(!sameObjects<QObject>({&a, &b}, {&a, &c}));
        QCOMPARE(lastOf(QList<int>{1, 2, 3}), std::optional<int>(3));
        QCOMPARE(lastOf(QList<int>{}), std::optional<int>());
    }

    void itemLookups()
    {
        Item arrow1(QUuid::createUuid(), ItemKind::arrow, 0, 2), arrow2(QUuid::createUuid(), ItemKind::arrow, 0, 2);
        Item comment1 = Item::noteAt(QPointF(10, 20), TextSide::right, 100, {}, 0, 2, arrow1.id);
        comment1.string = QStringLiteral("first");
        Item comment2 = Item::noteAt(QPointF(0, 0), TextSide::right, 100, {}, 0, 2, arrow2.id);
        Item free = Item::noteAt(QPointF(1.5, 2), TextSide::right, 100, {}, 0, 2);
        free.string = QStringLiteral("Here");
        const ItemList items{arrow1, comment1, arrow2, comment2, free};
        QCOMPARE(arrowComments(items).size(), 2);
        QCOMPARE(arrows(items).size(), 2);
        QVERIFY(hasHereText(items));
        QVERIFY(!plainClickText(items));
        QCOMPARE(lastItem(items)->id, free.id);
        QVERIFY(!lastItem(ItemList()));
        QCOMPARE(describeItem(free), QStringLiteral("Here at (1.5, 2)"));
        QCOMPARE(describeItem(std::nullopt), QStringLiteral("none at none"));
        QCOMPARE(recentIDs({RailRow::ofPage(0), RailRow::ofRecent("a"), RailRow::ofRecent("b")}),
                 QStringList({"a", "b"}));
    }

    void namedPasteboards()
    {
        auto copy = Pasteboards::named(Pasteboards::copy);
        QCOMPARE(copy->name(), QStringLiteral("app.vellum.autopilot.copy"));
        QCOMPARE(Pasteboards::named(Pasteboards::copy), copy);
        QVERIFY(Pasteboards::named(Pasteboards::paste) != copy);
    }
};

QUILLET_TEST_MAIN(TestScriptedInput)
#include "tst_scriptedinput.moc"
