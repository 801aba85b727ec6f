#include "FakeTalk.h"
#include "TestEnv.h"
#include "app/ActivityLog.h"
#include "app/PreferenceReaders.h"
#include "platform/Preferences.h"
#include "platform/fake/FakeScheduler.h"
#include "talk/TalkBadge.h"
#include "talk/TalkController.h"
#include "talk/TalkModifiers.h"

#include <QFile>
#include <QFileInfo>

namespace {
constexpr quint32 ctrlR = 0xffe4, shiftL = 0xffe1, superL = 0xffeb, letterA = 0x61;

qint64 logStart = 0;

// The talk lines the log got since the test began.
QStringList talkLogLines()
{
    QFile f(ActivityLog::logPath());
    QStringList out;
    if (!f.open(QIODevice::ReadOnly))
        return out;
    f.seek(logStart);
    for (const QString &line : QString::fromUtf8(f.readAll()).split(u'\n')) {
        const qsizetype at = line.indexOf(QLatin1String("talk: "));
        if (at >= 0)
            out << line.mid(at);
    }
    return out;
}
} // namespace
Q_DECLARE_METATYPE(TalkAnchor)

// The talk controller over a fake canvas and fake listeners, on a hand-driven clock.
class TalkControllerTest : public QObject {
    Q_OBJECT

    FakeScheduler *scheduler = nullptr;
    FakeCanvas *canvas = nullptr;
    TalkController *talk = nullptr;
    TalkModifiers modifiers;
    QList<std::shared_ptr<FakeListener>> listeners;
    std::optional<TalkProblem> nextProblemInStart;
    QList<QPair<QString, double>> toasts;

    // A key of the canvas window through the X11 modifier tracker, as the key watch hands it on.
    void key(quint32 keysym, bool pressed)
    {
        TalkKeyEvent e;
        e.time = scheduler->now();
        if (auto change = modifiers.key(keysym, pressed)) {
            e.type = TalkKeyEvent::Type::flagsChanged;
            e.keyCode = change->keyCode;
            e.flags = change->flags;
        } else if (pressed) {
            e.flags = modifiers.flags();
        } else {
            return;
        }
        talk->handle(e);
    }
    FakeListener &last() { return *listeners.last(); }
    bool badgeShown() const { return talk->badge() && talk->badge()->isVisible(); }

private slots:
    void initTestCase()
    {
        makeSpeechListener = [this] {
            auto l = std::make_shared<FakeListener>();
            l->problemInStart = nextProblemInStart;
            listeners << l;
            return l;
        };
        TalkController::toastHook = [this](const QString &text, double seconds) { toasts.append({text, seconds}); };
    }

    void init()
    {
        logStart = QFileInfo(ActivityLog::logPath()).size();
        Prefs::store().remove("talk.enabled");
        Prefs::store().remove("talk.key");
        scheduler = new FakeScheduler;
        canvas = new FakeCanvas;
        canvas->hostView.show();
        talk = new TalkController(*canvas, *scheduler);
        modifiers.reset();
        listeners.clear();
        nextProblemInStart.reset();
        toasts.clear();
    }

    void cleanup()
    {
        delete talk;
        delete canvas;
        delete scheduler;
    }

    void shortTapMakesNothing()
    {
        key(ctrlR, true);
        QVERIFY(talk->isHolding());
        QVERIFY(last().started);
        scheduler->advance(0.1);
        key(ctrlR, false);
        scheduler->advance(1);
        QVERIFY(!talk->isHolding());
        QVERIFY(last().cancelled);
        QVERIFY(!talk->listener());
        QVERIFY(!badgeShown());
        QCOMPARE(canvas->calls, (QStringList{"started", "dropped"}));
        QCOMPARE(talkLogLines(), QStringList{"talk: listening"});
    }

    void holdWithWords()
    {
        key(ctrlR, true);
        scheduler->advance(0.17);
        QVERIFY(!badgeShown());
        scheduler->advance(0.02);
        QVERIFY(badgeShown());
        QCOMPARE(talk->badge()->parentWidget(), &canvas->hostView);
        QCOMPARE(talk->badge()->pos(), QPoint(114, 116));

        last().onHeard("Hel");
        last().onLevel(0.5f);
        last().onHeard("Hello wor");
        QCOMPARE(talk->badge()->levels().last(), 0.5);
        scheduler->advance(1);
        key(ctrlR, false);
        QVERIFY(last().stopped);
        QVERIFY(!badgeShown());
        QVERIFY(talk->listener()); // awaiting the words
        last().completion("Hello world");
        QVERIFY(!talk->listener());
        QCOMPARE(canvas->calls,
                 (QStringList{"started", "heard:Hel", "heard:Hello wor", "ended:Hello world"}));
        QCOMPARE(talkLogLines(), (QStringList{"talk: listening", "talk: heard 2 words"}));

        // Nothing of that listener counts any more.
        last().onHeard("late");
        last().completion("late words");
        QCOMPARE(canvas->calls.size(), 4);
    }

    // A listener that answers inside the calls that cause its callbacks, held by the controller
    // alone: it may go while its own stop runs, and what the completion did stays done.
    void listenerAnsweringAtOnce()
    {
        struct AtOnce final : SpeechListening {
            std::function<void(const QString &)> onHeard;
            QString words;
            void setOnHeard(std::function<void(const QString &)> f) override { onHeard = std::move(f); }
            void setOnLevel(std::function<void(float)>) override {}
            void setOnProblem(std::function<void(const TalkProblem &)>) override {}
            void start() override {}
            void stop(std::function<void(const QString &)> done) override { done(words); }
            void cancel() override {}
            void say(const QString &text)
            {
                words = text;
                onHeard(text);
            }
        };
        const auto kept = makeSpeechListener;
        std::weak_ptr<AtOnce> made;
        makeSpeechListener = [&made] {
            auto l = std::make_shared<AtOnce>();
            made = l;
            return l;
        };
        key(ctrlR, true);
        made.lock()->say("Hello there");
        scheduler->advance(1);
        key(ctrlR, false);
        makeSpeechListener = kept;
        QVERIFY(made.expired());
        QVERIFY(!talk->listener());
        QVERIFY(!talk->isHolding());
        QVERIFY(!badgeShown());
        QCOMPARE(canvas->calls, (QStringList{"started", "heard:Hello there", "ended:Hello there"}));
    }

    void emptyWordsAreCountedAsNone()
    {
        key(ctrlR, true);
        scheduler->advance(0.5);
        key(ctrlR, false);
        last().completion("");
        QCOMPARE(talkLogLines(), (QStringList{"talk: listening", "talk: heard 0 words"}));
    }

    void keyWhileHolding_data()
    {
        QTest::addColumn<bool>("words");
        QTest::newRow("words heard: kept") << true;
        QTest::newRow("nothing heard: cancelled, however long") << false;
    }
    void keyWhileHolding()
    {
        QFETCH(bool, words);
        key(ctrlR, true);
        scheduler->advance(5);
        if (words)
            last().onHeard("Hello");
        key(letterA, true);
        QVERIFY(!talk->isHolding());
        QCOMPARE(last().stopped, words);
        QCOMPARE(last().cancelled, !words);
        QVERIFY(!badgeShown());
        // Letting go of the key afterwards changes nothing.
        key(ctrlR, false);
        QCOMPARE(listeners.size(), 1);
        QCOMPARE(last().cancelled, !words);
    }

    void focusLossReleases()
    {
        key(ctrlR, true);
        scheduler->advance(0.3);
        talk->resigned();
        QVERIFY(!talk->isHolding());
        QVERIFY(last().stopped);
        key(ctrlR, false);
        QCOMPARE(listeners.size(), 1);
    }

    void noHold_data()
    {
        QTest::addColumn<bool>("space");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("talkKey");
        QTest::addColumn<quint32>("before"); // a key already held, 0 for none
        QTest::newRow("space held for panning") << true << true << "" << 0u;
        QTest::newRow("talking off") << false << false << "" << 0u;
        QTest::newRow("shift already down") << false << true << "" << shiftL;
        QTest::newRow("another talk key chosen") << false << true << "control" << 0u;
    }
    void noHold()
    {
        QFETCH(bool, space);
        QFETCH(bool, enabled);
        QFETCH(QString, talkKey);
        QFETCH(quint32, before);
        canvas->space = space;
        Prefs::store().setValue("talk.enabled", enabled);
        if (!talkKey.isEmpty())
            Prefs::store().setValue("talk.key", talkKey);
        if (before)
            key(before, true);
        key(ctrlR, true);
        QVERIFY(!talk->isHolding());
        QVERIFY(listeners.isEmpty());
    }

    void talkKeyIsReadBeforeEachHold()
    {
        key(ctrlR, true);
        Prefs::store().setValue("talk.key", "control");
        Prefs::store().setValue("talk.enabled", false);
        key(superL, true); // the new key does nothing during the hold
        key(superL, false);
        QVERIFY(talk->isHolding());
        scheduler->advance(0.5);
        key(ctrlR, false);
        QVERIFY(!talk->isHolding());
        QVERIFY(last().stopped);

        Prefs::store().setValue("talk.enabled", true);
        key(superL, true);
        QVERIFY(talk->isHolding());
        QCOMPARE(talk->hold().key, TalkKey::control);
        QCOMPARE(listeners.size(), 2);
    }

    void problemEndsTheHold()
    {
        key(ctrlR, true);
        last().onHeard("Hello");
        scheduler->advance(0.5);
        QVERIFY(badgeShown());
        last().onProblem(TalkProblem::failed("the speech model is not ready"));
        QCOMPARE(toasts, (QList<QPair<QString, double>>{
                             {"Could not listen: the speech model is not ready", 3.2}}));
        QVERIFY(!talk->isHolding());
        QVERIFY(!talk->listener());
        QVERIFY(last().cancelled);
        QVERIFY(!badgeShown());
        QCOMPARE(canvas->calls.last(), QStringLiteral("dropped"));
        QCOMPARE(talkLogLines(),
                 (QStringList{"talk: listening", R"(talk: failed("the speech model is not ready"))"}));
        const QStringList calls = canvas->calls;
        key(ctrlR, false);
        QVERIFY(!last().stopped);
        QCOMPARE(canvas->calls, calls);
    }

    void problemInsideStart()
    {
        nextProblemInStart = TalkProblem::noMicrophone();
        key(ctrlR, true);
        QVERIFY(last().cancelled);
        QVERIFY(!talk->isHolding());
        scheduler->advance(1);
        QVERIFY(!badgeShown());
        QCOMPARE(toasts.size(), 1);
        QCOMPARE(toasts.first().first, QStringLiteral("No microphone found."));
    }

    void gettingModelChangesNothing()
    {
        key(ctrlR, true);
        scheduler->advance(0.5);
        last().onProblem(TalkProblem::gettingModel("English (United States)"));
        QCOMPARE(toasts.size(), 1);
        QVERIFY(talk->isHolding());
        QCOMPARE(talk->listener().get(), listeners.last().get());
        QVERIFY(!last().cancelled);
        QVERIFY(badgeShown());
    }

    void permissionAnswerAfterTheHold()
    {
        key(ctrlR, true);
        const std::shared_ptr<FakeListener> first = listeners.last();
        scheduler->advance(0.1);
        key(ctrlR, false); // a short hold: the listener is dropped
        key(ctrlR, true);  // the next hold is running when the answer comes
        first->onProblem(TalkProblem::microphoneAsked(true));
        QCOMPARE(toasts.size(), 1);
        QCOMPARE(toasts.first().first, QStringLiteral("Microphone is on. Hold right Ctrl and speak."));
        QVERIFY(talk->isHolding());
        QVERIFY(!last().cancelled);
        // Other problems of a dropped listener are not shown.
        first->onProblem(TalkProblem::noMicrophone());
        QCOMPARE(toasts.size(), 1);
    }

    void newHoldKeepsTheLastWordsOfTheOneAwaited()
    {
        key(ctrlR, true);
        const std::shared_ptr<FakeListener> first = listeners.last();
        first->onHeard("Hello there");
        scheduler->advance(0.5);
        key(ctrlR, false);
        QVERIFY(first->stopped);
        canvas->calls.clear();
        key(ctrlR, true);
        QVERIFY(first->cancelled);
        QCOMPARE(canvas->calls, (QStringList{"ended:Hello there", "started"}));
        first->completion("Hello there again");
        QCOMPARE(canvas->calls.size(), 2);
        QVERIFY(talk->listener());
    }

    void canvasGoneDetaches()
    {
        key(ctrlR, true);
        canvas->alive = false;
        key(letterA, true);
        QVERIFY(!talk->isHolding());
        QVERIFY(last().cancelled);
    }

    void badgePlacement_data()
    {
        QTest::addColumn<TalkAnchor>("anchor");
        QTest::addColumn<QSize>("host");
        QTest::addColumn<QPoint>("origin");
        QTest::newRow("box: above its left edge") << TalkAnchor(QRectF(100, 200, 50, 20)) << QSize(800, 600)
                                                  << QPoint(100, 168);
        QTest::newRow("point: below right") << TalkAnchor(QPointF(100.4, 200.5)) << QSize(800, 600)
                                            << QPoint(114, 217);
        QTest::newRow("near the top left") << TalkAnchor(QRectF(2, 10, 50, 20)) << QSize(800, 600)
                                           << QPoint(8, 8);
        QTest::newRow("near the bottom right") << TalkAnchor(QPointF(790, 590)) << QSize(800, 600)
                                               << QPoint(734, 566);
        QTest::newRow("tiny host") << TalkAnchor(QPointF(30, 30)) << QSize(60, 30) << QPoint(8, 8);
    }
    void badgePlacement()
    {
        QFETCH(TalkAnchor, anchor);
        QFETCH(QSize, host);
        QFETCH(QPoint, origin);
        QCOMPARE(TalkBadge::origin(anchor, host), std::optional<QPoint>(origin));
    }

    void badgeLevels()
    {
        QVERIFY(!TalkBadge::origin(TalkAnchor(), QSize(800, 600)));
        TalkBadge badge;
        QCOMPARE(badge.size(), QSize(58, 26));
        QCOMPARE(badge.accessibleName(), QStringLiteral("Listening"));
        QVERIFY(badge.testAttribute(Qt::WA_TransparentForMouseEvents));
        badge.push(2);
        badge.push(-1);
        badge.push(0.5);
        QCOMPARE(badge.levels(), (QList<double>{0, 1, 0, 0.5}));
        QCOMPARE(TalkBadge::barRect(0, 0), QRectF(29, 12, 3, 3));
        QCOMPARE(TalkBadge::barRect(3, 1), QRectF(45.5, 6, 3, 14));
    }
};

QUILLET_TEST_MAIN(TalkControllerTest)
#include "tst_talkcontroller.moc"
