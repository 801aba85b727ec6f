// The scripted listener and its factory, and the talk-key input of the self-check: what each call
// does at once, the flags-changed events and the hold steps on the talk clock.
#include "selfcheck/ScriptedListener.h"
#include "selfcheck/TalkInput.h"

#include "TestEnv.h"

#include <QWidget>

using namespace Autopilot;

class TestScriptedListener : public QObject
{
    Q_OBJECT

private slots:
    // Steps: "listen" sets the callbacks (which record), "say:TEXT", "final:TEXT", "start",
    // "stop", "cancel". Recorded: "level:V", "heard:TEXT", "done:TEXT".
    void calls_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QString>("heard");
        QTest::addColumn<QString>("flags"); // started, cancelled, finished as s, c, f
        QTest::newRow("stop with nothing said") << QStringList{"listen", "stop"} << QStringList{"done:"} << "" << "f";
        QTest::newRow("say reports the level before the words, then each text replaces the last")
            << QStringList{"listen", "say:Make", "say:Make this", "stop"}
            << QStringList{"level:0.6", "heard:Make", "level:0.6", "heard:Make this", "done:Make this"} << "Make this"
            << "f";
        QTest::newRow("final wins over heard")
            << QStringList{"listen", "say:This label", "final:This label is cut off.", "stop"}
            << QStringList{"level:0.6", "heard:This label", "done:This label is cut off."} << "This label" << "f";
        QTest::newRow("say without callbacks changes only heard")
            << QStringList{"say:Here"} << QStringList{} << "Here" << "";
        QTest::newRow("start and cancel only set flags")
            << QStringList{"listen", "start", "cancel"} << QStringList{} << "" << "sc";
        QTest::newRow("stopped after cancel it is finished and still delivers")
            << QStringList{"listen", "say:Too", "cancel", "stop"} << QStringList{"level:0.6", "heard:Too", "done:Too"}
            << "Too" << "cf";
    }
    void calls()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, calls);
        QFETCH(QString, heard);
        QFETCH(QString, flags);
        ScriptedListener listener;
        QStringList seen;
        for (const QString &step : steps) {
            if (step == "listen") {
                listener.setOnHeard([&](const QString &t) { seen << "heard:" + t; });
                listener.setOnLevel([&](float v) { seen << "level:" + QString::number(v); });
                listener.setOnProblem([&](const TalkProblem &) { seen << "problem"; });
            } else if (step.startsWith("say:")) {
                listener.say(step.mid(4));
            } else if (step.startsWith("final:")) {
                listener.final = step.mid(6);
            } else if (step == "start") {
                listener.start();
            } else if (step == "cancel") {
                listener.cancel();
            } else if (step == "stop") {
                // The completion comes inside the call.
                bool inside = true;
                listener.stop([&](const QString &t) {
                    QVERIFY(inside);
                    seen << "done:" + t;
                });
                inside = false;
            }
        }
        QCOMPARE(seen, calls);
        QCOMPARE(listener.heard, heard);
        QCOMPARE(listener.started, flags.contains('s'));
        QCOMPARE(listener.cancelled, flags.contains('c'));
        QCOMPARE(listener.finished, flags.contains('f'));
    }

    // Each call makes a fresh listener, kept in the list in order; the last is the newest.
    void factoryKeepsWhatItMade()
    {
        auto made = std::make_shared<ScriptedListeners>();
        const auto factory = scriptedFactory(made);
        std::weak_ptr<SpeechListening> first = factory();
        const std::shared_ptr<SpeechListening> second = factory();
        QCOMPARE(made->size(), 2);
        QVERIFY(!first.expired());
        QCOMPARE(first.lock().get(), static_cast<SpeechListening *>(made->at(0).get()));
        QCOMPARE(second.get(), static_cast<SpeechListening *>(made->last().get()));
        QVERIFY(!made->last()->started && made->last()->heard.isEmpty() && !made->last()->final);
    }

    // A flags-changed event takes the clock raised by 1 s as its time, only for a view that is in a
    // window.
    void flagsEvents()
    {
        TalkClock clock;
        QWidget shown;
        shown.show();
        QVERIFY(QTest::qWaitForWindowExposed(&shown));
        QWidget inside(&shown);
        const std::optional<TalkKeyEvent> event = flagsEvent(59, 0x40001, clock, &inside);
        QVERIFY(event);
        QCOMPARE(event->type, TalkKeyEvent::Type::flagsChanged);
        QCOMPARE(event->keyCode, quint16(59));
        QCOMPARE(event->flags, quint64(0x40001));
        QCOMPARE(event->time, 1001.0);
        QCOMPARE(flagsEvent(56, 0, clock, &inside)->time, 1002.0);

        QWidget never;
        QVERIFY(!flagsEvent(59, 0x40001, clock, &never));
        QVERIFY(!flagsEvent(59, 0x40001, clock, nullptr));
        QCOMPARE(clock.seconds, 1002.0);
    }
};

QUILLET_TEST_MAIN(TestScriptedListener)
#include "tst_scriptedlistener.moc"
