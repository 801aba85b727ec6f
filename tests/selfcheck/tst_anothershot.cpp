// Another shot for an open canvas, Return and Enter on a canvas of several pages, and deleting
// a window's last shot, each stage alone on a canvas of the staged screen.
#include "StageFixture.h"

#include "selfcheck/AnotherShot.h"
#include "selfcheck/DeleteLastShot.h"
#include "selfcheck/Pasteboards.h"

#include "canvas/CanvasController.h"
#include "capture/CaptureSession.h"
#include "capture/ClipboardPicture.h"
#include "platform/KeyTable.h"
#include "platform/KeypadEnter.h"

#include <QClipboard>
#include <QGuiApplication>

using namespace Autopilot;

Q_DECLARE_METATYPE(KeyStroke)

namespace {
const QString copied = QStringLiteral("Return with several shots copies and stays on the same one, ticked");
const QString cannotDelete = QStringLiteral("a window's last shot can be deleted");

// A canvas of the whole staged picture, as the stage before hands it over.
CaptureSession *firstCanvas()
{
    return openCanvas(StageFixture::screen(), StageFixture::picture(), QRectF(0, 0, 1440, 900));
}

// A canvas of two pages: a further shot added to the first.
CaptureSession *twoPages()
{
    CaptureSession *first = firstCanvas();
    first->hideForCapture();
    openCanvas(StageFixture::screen(), StageFixture::picture(2), QRectF(300, 100, 500, 300),
               OverlayViewHost::Mode::AddShot, first);
    return first;
}

QStringList failures(const QStringList &lines)
{
    return lines.filter(QRegularExpression(QStringLiteral("^FAIL")));
}
} // namespace

class TestAnotherShot : public QObject
{
    Q_OBJECT

    std::unique_ptr<StageFixture::Services> services;

private slots:
    void initTestCase() { services = std::make_unique<StageFixture::Services>(); }
    void init() { services->fresh(); }
    void cleanup() { ClipboardPicture::setEncoderForTesting({}); }

    // The whole stage over a history of three earlier captures: every check passes, the
    // picture is written, the desktop's clipboard is left alone, the canvas closes and the
    // history keeps captures again before the autosave stage follows at once.
    void theStage()
    {
        for (int i = 0; i < 3; ++i)
            StageFixture::saveEntry(i);
        QGuiApplication::clipboard()->setText(QStringLiteral("the user's own"));
        Preferences::shared().setValue(QStringLiteral("history.paused"), true);
        StageFixture::Output out(services->pictures.path());
        StageFixture::Next next;
        Handover h = StageFixture::start(services->pictures.path());
        QPointer<CaptureSession> first = firstCanvas();
        h.session = first;
        h.secondPicture = StageFixture::picture(2);

        anotherShot(h);
        QCOMPARE(next.number, std::optional<int>(12));
        QCOMPARE(next.delay, std::optional<double>(0.6));
        CanvasController *c = canvasOf(first);
        QVERIFY(c);
        QCOMPARE(c->pages.size(), 2);
        QCOMPARE(c->currentPage, 0);
        QVERIFY(!first->child());

        anotherShotChecks(next.handover);
        QVERIFY2(failures(out.lines).isEmpty(), qPrintable(out.lines.join('\n')));
        QCOMPARE(out.lines.size(), 7);
        QVERIFY(out.lines.contains(QStringLiteral("ok   ") + copied));
        QVERIFY(out.lines.contains(QStringLiteral("ok   Command-Z brings that last shot back")));
        QVERIFY(services->pictureWritten(QStringLiteral("10-session-two-shots")));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("the user's own"));
        QVERIFY(!ClipboardPicture::testPasteboard());
        QVERIFY(!StageFixture::historyPaused());
        QCOMPARE(next.number, std::optional<int>(13));
        QCOMPARE(next.delay, std::optional<double>());
        QTRY_VERIFY(!first);
    }

    // A copy that cannot be made ticks no page, and the check says what it saw.
    void aFailedCopyTicksNothing()
    {
        ClipboardPicture::setEncoderForTesting([](const QImage &, const char *) { return QByteArray(); });
        StageFixture::Output out(services->pictures.path());
        StageFixture::Next next;
        Handover h = StageFixture::start(services->pictures.path());
        h.session = twoPages();
        anotherShotChecks(h);
        QVERIFY2(out.lines.contains(QStringLiteral("FAIL ") + copied + QStringLiteral("  true 1 [false, false]")),
                 qPrintable(out.lines.join('\n')));
    }

    void keypadEnter_data()
    {
        QTest::addColumn<KeyStroke>("key");
        QTest::addColumn<KeyStroke>("taken");
        const QString etx = QStringLiteral("\x03"), cr = QStringLiteral("\r");
        QTest::newRow("keypad Enter") << KeyStroke{76, etx, 0xA00000} << KeyStroke{36, cr, 0};
        QTest::newRow("Command-Enter") << KeyStroke{76, etx, 0x300000} << KeyStroke{36, cr, EventFlag::Command};
        QTest::newRow("Shift-Enter") << KeyStroke{76, etx, EventFlag::Shift | EventFlag::NumericPad}
                                     << KeyStroke{36, cr, EventFlag::Shift};
        QTest::newRow("Return") << KeyStroke{36, cr, 0} << KeyStroke{36, cr, 0};
        QTest::newRow("keypad 1") << KeyStroke{83, QStringLiteral("1"), EventFlag::NumericPad}
                                  << KeyStroke{83, QStringLiteral("1"), EventFlag::NumericPad};
    }
    void keypadEnter()
    {
        QFETCH(KeyStroke, key);
        QFETCH(KeyStroke, taken);
        QCOMPARE(keypadEnterAsReturn(key), taken);
    }

    // Deleting both pages of a window opens the earlier capture first in its rail in their
    // place; Ctrl+Z brings the deleted shot back.
    void deletingTheLastShot()
    {
        for (int i = 0; i < 3; ++i)
            StageFixture::saveEntry(i);
        Preferences::shared().setValue(QStringLiteral("history.paused"), true);
        CaptureSession *first = twoPages();
        CanvasController *c = canvasOf(first);
        const QStringList earlier = c->recentShownIDs();
        QCOMPARE(earlier.size(), 3);
        StageFixture::Output out(services->pictures.path());
        deleteLastShot(c);
        QCOMPARE(out.lines,
                 QStringList({"ok   Delete takes the window's last shot off and opens the earlier capture next to it",
                              "ok   Command-Z brings that last shot back"}));
        QCOMPARE(c->pages.size(), 2);
        closeCanvas(first);
    }

    void whenTheShotCannotBeDeleted_data()
    {
        QTest::addColumn<bool>("secondPage");
        QTest::addColumn<int>("earlier");
        QTest::addColumn<QString>("detail");
        QTest::newRow("one page") << false << 3 << QString();
        QTest::newRow("no history") << true << 0 << QStringLiteral("1 pages, 0 earlier");
    }
    void whenTheShotCannotBeDeleted()
    {
        QFETCH(bool, secondPage);
        QFETCH(int, earlier);
        QFETCH(QString, detail);
        for (int i = 0; i < earlier; ++i)
            StageFixture::saveEntry(i);
        Preferences::shared().setValue(QStringLiteral("history.paused"), true);
        CaptureSession *session = secondPage ? twoPages() : firstCanvas();
        StageFixture::Output out(services->pictures.path());
        deleteLastShot(canvasOf(session));
        QCOMPARE(out.lines, QStringList({QStringLiteral("FAIL ") + cannotDelete + QStringLiteral("  ") + detail}));
        deleteLastShot(nullptr);
        QCOMPARE(out.lines.size(), 2);
        closeCanvas(session);
    }
};

QUILLET_STAGE_TEST_MAIN(TestAnotherShot)
#include "tst_anothershot.moc"
