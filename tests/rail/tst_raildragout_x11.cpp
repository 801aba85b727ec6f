#include "RailFixture.h"

#include "TestEnv.h"
#include "XTestInput.h"

#include <QDropEvent>
#include <QMimeData>
#include <QProcess>

namespace {

// A window of our own that would take any file drop.
class OwnTarget : public QWidget
{
public:
    OwnTarget() { setAcceptDrops(true); }
    int entered = 0;
    int dropped = 0;

protected:
    void dragEnterEvent(QDragEnterEvent *e) override
    {
        ++entered;
        e->acceptProposedAction();
    }
    void dropEvent(QDropEvent *e) override
    {
        ++dropped;
        e->acceptProposedAction();
    }
};

QPoint globalCenter(RailThumb *t)
{
    return t->mapToGlobal(QPoint(RailThumb::margin + int(t->cardFrame().width() / 2),
                                 RailThumb::margin + int(t->cardFrame().height() / 2)));
}

} // namespace

class TestRailDragOutX11 : public QObject
{
    Q_OBJECT

    struct Setup {
        RailFixture f{QSize(184, 500)};
        QList<RailRow> asked;
        int droppedFiles = -1;
        bool started = false;
        std::function<void()> whenAsked; // runs inside the drag's own event loop
        Setup()
        {
            f.host.move(40, 40);
            f.pages(3, 0);
            f.rail->onDropped = [this](int n) { droppedFiles = n; };
            f.rail->fileFor = [this](const RailRow &row) -> std::optional<RailDragOut::File> {
                asked.append(row);
                if (whenAsked)
                    QTimer::singleShot(0, qApp, std::exchange(whenAsked, nullptr));
                const QColor c = QColor::fromHsv(row.page * 100, 200, 200);
                return RailDragOut::File{QStringLiteral("Shot.png"), [c] {
                                             return std::optional<RailDragOut::Data>(RailFixture::picture(64, 40, c));
                                         }};
            };
            // pick pages 1 and 2; page 0 is the current one
            f.rail->pressThumb(f.rail->order().at(1), {}, Qt::ControlModifier);
            f.rail->pressThumb(f.rail->order().at(0), {}, Qt::ControlModifier);
            f.rail->pressThumb(f.rail->order().at(2), {}, Qt::ControlModifier);
            f.rail->releaseThumb(f.rail->order().at(2));
        }
    };

    // Presses on `from`, moves past the drag threshold, and once the drag runs moves to `to`,
    // where `accepted` tells when the target has answered, then releases.
    static void dragTo(XTestInput &xt, Setup &s, RailThumb *thumb, QPoint to, const std::function<bool()> &accepted)
    {
        // the window manager may still be placing the window: wait until the thumbnail has the pointer
        QPoint from = globalCenter(thumb);
        for (int i = 0; i < 100 && !thumb->hovered(); ++i) {
            from = globalCenter(thumb);
            xt.moveTo(from + QPoint(i % 2, 0));
        }
        QVERIFY2(thumb->hovered(), qPrintable(QStringLiteral("pointer at %1,%2 over %3, window at %4,%5")
                                                  .arg(from.x()).arg(from.y())
                                                  .arg(QApplication::widgetAt(from) ? QApplication::widgetAt(from)->metaObject()->className() : "nothing")
                                                  .arg(thumb->window()->geometry().x()).arg(thumb->window()->geometry().y())));
        xt.buttonDown();
        bool *started = &s.started;
        s.whenAsked = [&xt, from, to, accepted, started] {
            *started = true;
            for (int i = 1; i <= 8; ++i)
                xt.moveTo(from + (to - from) * i / 8);
            for (int i = 0; i < 100 && !accepted(); ++i)
                xt.moveTo(to + QPoint(i % 2 ? 2 : -2, 0));
            xt.buttonUp();
        };
        xt.moveTo(from + QPoint(8, 0)); // past 4 pt: the drag starts and runs until released
    }

private slots:
    void dropsTwoFilesIntoAnotherProgram()
    {
        XTestInput xt;
        if (!xt.isValid())
            QSKIP("no X server");
        Setup s;
        QVERIFY(QTest::qWaitForWindowExposed(&s.f.host));

        QProcess target;
        target.start(TestEnv::helperPath("rail_helper_droptarget"), {"700", "200", "300", "300"});
        QVERIFY(target.waitForReadyRead(10000));
        QCOMPARE(target.readLine().trimmed(), QByteArray("ready"));
        QByteArray said;
        const auto moves = [&] {
            said += target.readAll();
            return said.count("move ") >= 2;
        };
        dragTo(xt, s, s.f.rail->order().at(1), QPoint(850, 350), moves);
        QVERIFY(s.started);
        QTRY_VERIFY2_WITH_TIMEOUT(s.droppedFiles == 2, (said + target.readAll()).constData(), 10000);
        QVERIFY(target.waitForFinished(10000));
        said += target.readAll();

        QStringList files;
        for (const QByteArray &line : said.split('\n'))
            if (line.startsWith("file "))
                files.append(QString::fromUtf8(line.mid(5)));
        QCOMPARE(files.size(), 2);
        QCOMPARE(QFileInfo(files.at(0)).fileName(), QStringLiteral("Shot.png"));
        QCOMPARE(QFileInfo(files.at(1)).fileName(), QStringLiteral("Shot 2.png"));
        // in rail order: page 1, then page 2
        QCOMPARE(QImage(files.at(0)).pixel(3, 3), QColor::fromHsv(100, 200, 200).rgb());
        QCOMPARE(QImage(files.at(1)).pixel(3, 3), QColor::fromHsv(200, 200, 200).rgb());
        QCOMPARE(s.asked, (QList<RailRow>{RailRow::ofPage(1), RailRow::ofPage(2)}));
    }

    void ourOwnWindowsRefuseTheDrop()
    {
        XTestInput xt;
        if (!xt.isValid())
            QSKIP("no X server");
        Setup s;
        OwnTarget own;
        own.setGeometry(700, 200, 300, 300);
        own.show();
        QVERIFY(QTest::qWaitForWindowExposed(&s.f.host));
        QVERIFY(QTest::qWaitForWindowExposed(&own));
        int steps = 0;
        dragTo(xt, s, s.f.rail->order().at(1), own.mapToGlobal(QPoint(150, 150)),
               [&] { return ++steps > 6; });
        QVERIFY(s.started);
        QTRY_VERIFY_WITH_TIMEOUT(!s.asked.isEmpty(), 5000);
        QCOMPARE(own.entered, 0);
        QCOMPARE(own.dropped, 0);
        QCOMPARE(s.droppedFiles, -1);
    }
};

QUILLET_TEST_MAIN(TestRailDragOutX11)
#include "tst_raildragout_x11.moc"
