// The last two stages on the staged screen: the overlay panel's checks pass on a session of the
// self-check and fail on one made without it, Escape is told apart while an area is chosen and
// while a canvas is open, and the welcome guide is drawn unstaged and staged.
#include "selfcheck/Chain.h"
#include "selfcheck/PanelAndWelcome.h"

#include "app/SelfCheckFlag.h"
#include "capture/OverlayWindow.h"
#include "onboarding/OnboardingWindowController.h"
#include "platform/Preferences.h"

#include "SelfCheckOutput.h"
#include "StageFixture.h"

#include <QImage>
#include <QTemporaryDir>

using namespace Autopilot;
using Mode = OverlayViewHost::Mode;

namespace {
const QString panel = QStringLiteral("the selection overlay is a panel that takes keys without activating");
const QString underneath = QStringLiteral("a self-check's own windows stay under the desktop and refuse the keyboard");
const QString escape = QStringLiteral("Escape cancels an area being chosen");
const QString elsewhere = QStringLiteral("Escape elsewhere leaves an open canvas alone");
const QString unstaged = QStringLiteral("a guide not staged carries no preview label");
const QString staged = QStringLiteral("a guide staged with --welcome is labelled a preview");

QString ok(const QString &sentence)
{
    return QStringLiteral("ok   ") + sentence;
}
QString failed(const QString &sentence)
{
    return QStringLiteral("FAIL ") + sentence + QStringLiteral("  ");
}
} // namespace

class TestPanelWelcome : public QObject
{
    Q_OBJECT

    QTemporaryDir folder;
    std::unique_ptr<StageFixture::Services> services;

private slots:
    void initTestCase()
    {
        QVERIFY(folder.isValid());
        services = std::make_unique<StageFixture::Services>();
    }
    void init() { SelfCheckFlag::set(true); }

    // The two stages as the chain runs them: step 24 opens a canvas and hands it on 0.4 s later,
    // step 25 ends the run.
    void bothStagesPass()
    {
        SelfCheckOutput out;
        std::optional<double> delay;
        Handover handed;
        Chain::nextForTesting() = [&](int number, const Handover &h, std::optional<double> d) {
            QCOMPARE(number, 25);
            handed = h;
            delay = d;
        };
        Chain::go(24, StageFixture::start(folder.path()));
        Chain::nextForTesting() = nullptr;
        QCOMPARE(out.lines, (QStringList{ok(panel), ok(underneath), ok(escape)}));
        QCOMPARE(delay, std::optional<double>(0.4));
        QVERIFY(handed.session);
        QVERIFY(handed.session->active());
        QVERIFY(handed.session->active()->canvas());
        QCOMPARE(handed.session->mode(), Mode::Canvas);
        QCOMPARE(Preferences::shared().boolValue("history.paused"), std::optional<bool>(true));

        QTest::qWait(400);
        QPointer<CaptureSession> session = handed.session;
        Chain::go(25, handed);
        QCOMPARE(out.lines.mid(3), (QStringList{ok(elsewhere), ok(unstaged), ok(staged), "all checks passed"}));
        QCOMPARE(out.status, std::optional<int>(0));
        QTRY_VERIFY(!session);
        QCOMPARE(Preferences::shared().boolValue("history.paused"), std::optional<bool>(false));

        // The window with its header in a 40 pt margin, both pictures.
        for (const QString name : {"11-welcome.png", "11b-welcome-staged.png"}) {
            const QImage picture(folder.filePath(name));
            QVERIFY2(!picture.isNull(), qPrintable(name));
            QCOMPARE(picture.width(), OnboardingWindowController::windowWidth + 80);
            QVERIFY(picture.height() > OnboardingWindowController::headerRise + 80 + 400);
        }
    }

    // Checks 1–3 on a session the self-check did not make, on a session whose canvas is open,
    // and on none: each failing line ends in two blanks.
    void panelChecksFail_data()
    {
        QTest::addColumn<QString>("session");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("made with the flag off: on top, takes focus")
            << "flag off" << QStringList{ok(panel), failed(underneath), ok(escape)};
        // Its first window is the canvas window, which the window manager handles.
        QTest::newRow("a canvas open: Escape not handled")
            << "canvas" << QStringList{failed(panel), ok(underneath), failed(escape)};
        QTest::newRow("no session") << "none" << QStringList{failed(panel), failed(underneath), failed(escape)};
    }
    void panelChecksFail()
    {
        QFETCH(QString, session);
        QFETCH(QStringList, lines);
        SelfCheckFlag::set(session != "flag off");
        QPointer<CaptureSession> s;
        if (session == "canvas")
            s = openCanvas(StageFixture::screen(), StageFixture::picture(), QRectF(200, 150, 640, 400));
        else if (session == "flag off")
            s = showCapture(StageFixture::screen(), StageFixture::picture(), Mode::Clipboard);
        SelfCheckOutput out;
        panelChecks(s);
        QCOMPARE(out.lines, lines);
        QVERIFY(SelfCheckFlag::isSet());
        closeCanvas(s);
    }

    // A session whose canvas never opened: Escape ends it, so check 4 fails; the guide's checks
    // still run.
    void escapeClosingTheSessionFailsCheckFour()
    {
        QPointer<CaptureSession> s = showCapture(StageFixture::screen(), StageFixture::picture(), Mode::Canvas);
        SelfCheckOutput out;
        welcomeChecks(s, folder.path());
        QCOMPARE(out.lines, (QStringList{failed(elsewhere), ok(unstaged), ok(staged)}));
        QTRY_VERIFY(!s);
    }
};

QUILLET_STAGE_TEST_MAIN(TestPanelWelcome)
#include "tst_panelwelcome.moc"
