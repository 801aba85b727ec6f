// The talk stage alone on a canvas opened as the run opens it: every check passes on a sound
// canvas, the checks catch a hold that ignores other held modifiers and words written before the
// mouse is let go, and whichever way the stage ends it puts the talk settings and the listener
// factory back as they were.
#include "selfcheck/TalkStage.h"

#include "app/PreferenceReaders.h"
#include "app/SelfCheckFlag.h"
#include "canvas/CanvasController.h"
#include "capture/CaptureSession.h"
#include "capture/OverlayView.h"
#include "launch/CanvasTalk.h"
#include "launch/TalkWiring.h"
#include "platform/Preferences.h"
#include "talk/SpeechListener.h"
#include "talk/TalkController.h"

#include "../talk/FakeSpeechEngine.h"
#include "SelfCheckOutput.h"
#include "StageFixture.h"

#include <QTemporaryDir>

namespace {
using Mode = OverlayViewHost::Mode;

// A hold that sees only the talk key: the other held modifiers are dropped before it looks.
class IgnoresOtherModifiers final : public TalkController
{
public:
    using TalkController::TalkController;
    void handle(const TalkKeyEvent &event) override
    {
        TalkKeyEvent bare = event;
        bare.flags &= ~TalkKeys::otherModifiers(Prefs::talkKey());
        TalkController::handle(bare);
    }
};

// A canvas that writes the words it hears at once, even in the middle of a drag.
class WritesMidDrag final : public CanvasTalk
{
public:
    using CanvasTalk::CanvasTalk;
    void talkHeard(const QString &words) override
    {
        if (!m_canvas)
            return;
        const CanvasController::Drag drag = m_canvas->drag;
        m_canvas->drag = {};
        CanvasTalk::talkHeard(words);
        m_canvas->drag = drag;
    }
};

QJsonValue stored(const QString &key)
{
    return Preferences::shared().value(key);
}
} // namespace

class TestTalkStage : public QObject
{
    Q_OBJECT

    QPointer<CaptureSession> session;
    CanvasController *canvas = nullptr;
    OverlayView *view = nullptr;
    QTemporaryDir folder;
    std::unique_ptr<StageFixture::Services> services;

    // The staged screen's picture as a capture session over it, its 760 × 400 area chosen at
    // (270, 60): the canvas the run's talk stage gets.
    void openCanvas()
    {
        session = Autopilot::openCanvas(StageFixture::screen(), StageFixture::picture(), QRectF(270, 60, 760, 400));
        CaptureSession::setCurrentSession(session);
        view = session->views().first();
        canvas = dynamic_cast<CanvasController *>(view->canvas());
        QVERIFY(canvas);
        QVERIFY(QTest::qWaitForWindowExposed(view->window()));
        // The canvas stage hands over with its typing ended.
        canvas->endEditing();
    }

    void closeCanvas()
    {
        Autopilot::closeCanvas(session);
        canvas = nullptr;
        view = nullptr;
    }

    QStringList runStage()
    {
        SelfCheckOutput out;
        Autopilot::talkStage(canvas, view, folder.path());
        return out.lines;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(folder.isValid());
        // No speech model is loaded: every listener the stage gets is scripted.
        SpeechEngine::shared() = std::make_shared<FakeSpeechEngine>();
        services = std::make_unique<StageFixture::Services>();
    }
    void init() { openCanvas(); }
    void cleanup()
    {
        closeCanvas();
        installTalk();
    }

    // Every line passes; the picture is written; afterwards the settings are as they were stored
    // (absent ones absent) and the next hold gets a real listener.
    void everyCheckPasses_data()
    {
        QTest::addColumn<QJsonValue>("key");
        QTest::addColumn<QJsonValue>("enabled");
        QTest::newRow("nothing stored") << QJsonValue(QJsonValue::Undefined) << QJsonValue(QJsonValue::Undefined);
        QTest::newRow("right Alt, switched off") << QJsonValue("rightOption") << QJsonValue(false);
    }
    void everyCheckPasses()
    {
        QFETCH(QJsonValue, key);
        QFETCH(QJsonValue, enabled);
        Preferences &prefs = Preferences::shared();
        key.isUndefined() ? prefs.remove("talk.key") : prefs.setValue("talk.key", key);
        enabled.isUndefined() ? prefs.remove("talk.enabled") : prefs.setValue("talk.enabled", enabled);
        QFile::remove(folder.filePath("2t-talking.png"));

        const QStringList lines = runStage();
        QCOMPARE(lines.size(), 28);
        for (const QString &line : lines)
            QVERIFY2(line.startsWith("ok   "), qPrintable(lines.join('\n')));
        QVERIFY(lines.first().endsWith("the key line names the talk key"));
        QVERIFY(lines.last().endsWith("the listening badge is gone when nobody talks"));
        QImage picture(folder.filePath("2t-talking.png"));
        QCOMPARE(picture.size(), view->size() * view->devicePixelRatio());

        QCOMPARE(stored("talk.key"), key);
        QCOMPARE(stored("talk.enabled"), enabled);
        QCOMPARE(prefs.contains("talk.key"), !key.isUndefined());
        QVERIFY(std::dynamic_pointer_cast<SpeechListener>(makeSpeechListener()));
    }

    // The checks fail on a faulty hold or canvas, and the stage still runs to its end.
    void catchesFaults_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("check");
        QTest::addColumn<QString>("line");
        QTest::newRow("a hold ignoring other held modifiers")
            << "modifiers" << 22 << "FAIL Control pressed with Shift down does not listen  ";
        QTest::newRow("words written before mouse-up") << "midDrag" << 14 << "FAIL words said mid-drag wait  ";
        // No arrow is drawn while Space pans: the arrows' comments read "none".
        QTest::newRow("no arrow") << "space" << 12 << "FAIL after an arrow, the words are its comment  none";
    }
    void catchesFaults()
    {
        QFETCH(QString, fault);
        QFETCH(int, check);
        QFETCH(QString, line);
        closeCanvas();
        if (fault == "modifiers") {
            Talk::make = [](CanvasController &c) -> std::unique_ptr<Talk> {
                return std::make_unique<CanvasTalk>(c, [](TalkCanvas &t) -> std::unique_ptr<TalkController> {
                    return std::make_unique<IgnoresOtherModifiers>(t);
                });
            };
        } else if (fault == "midDrag") {
            Talk::make = [](CanvasController &c) -> std::unique_ptr<Talk> { return std::make_unique<WritesMidDrag>(c); };
        }
        openCanvas();
        if (fault == "space")
            canvas->spaceHeld = true;
        const QStringList lines = runStage();
        QCOMPARE(lines.size(), 28);
        QCOMPARE(lines.at(check - 1), line);
        if (fault == "space")
            QCOMPARE(lines.at(14), QStringLiteral("FAIL letting go of the mouse writes them beside the arrow  none"));
    }

    // Without a window for the talk keys the stage says so and changes nothing.
    void noWindow()
    {
        Preferences::shared().setValue("talk.key", "rightCommand");
        Preferences::shared().remove("talk.enabled");
        SelfCheckOutput out;
        Autopilot::talkStage(canvas, nullptr, folder.path());
        QCOMPARE(out.lines, QStringList{"FAIL the talk stage can run  no window"});
        QCOMPARE(Autopilot::failures(), 1);
        QCOMPARE(stored("talk.key"), QJsonValue("rightCommand"));
        QVERIFY(!Preferences::shared().contains("talk.enabled"));
        QVERIFY(std::dynamic_pointer_cast<SpeechListener>(makeSpeechListener()));
    }
};

QUILLET_STAGE_TEST_MAIN(TestTalkStage)
#include "tst_talkstage.moc"
