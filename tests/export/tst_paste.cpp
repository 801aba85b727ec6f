#include "TestEnv.h"

#include "app/ActivityLog.h"
#include "app/Toast.h"
#include "export/Destinations.h"
#include "platform/fake/FakeAppRegistry.h"
#include "platform/fake/FakeFrontApplication.h"
#include "platform/fake/FakeKeySynth.h"
#include "platform/fake/FakeScheduler.h"
#include "platform/KeyTable.h"

#include <QLabel>

namespace {
RunningApp running(const QString &id, quint32 window, const QString &name = {})
{
    return RunningApp{window, 100 + window, name.isEmpty() ? id : name, id};
}

QString toastText()
{
    QWidget *t = Toast::current();
    const auto labels = t ? t->findChildren<QLabel *>() : QList<QLabel *>();
    return labels.isEmpty() ? QString() : labels.first()->text();
}

QString logText()
{
    QFile file(ActivityLog::logPath());
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

const QString gaveUp = QStringLiteral("paste: the app did not come to the front, nothing pressed");
} // namespace

class TestPaste : public QObject
{
    Q_OBJECT
    std::shared_ptr<FakeFrontApplication> front;
    std::shared_ptr<FakeKeySynth> keys;
    std::shared_ptr<FakeAppRegistry> apps;
    FakeScheduler *clock = nullptr;

private slots:
    void init()
    {
        front = std::make_shared<FakeFrontApplication>();
        keys = std::make_shared<FakeKeySynth>();
        apps = std::make_shared<FakeAppRegistry>();
        FrontApplication::setShared(front);
        KeySynth::setShared(keys);
        AppRegistry::setShared(apps);
        delete clock;
        clock = new FakeScheduler;
        apps->add("org.gnome.Terminal", "Terminal", {"System", "TerminalEmulator"});
        apps->add("com.slack.Slack", "Slack");
        apps->add("org.example.Shell", "Shell", {"TerminalEmulator"});
        if (QWidget *t = Toast::current())
            t->close();
        ActivityLog::closeForTesting();
        QFile::remove(ActivityLog::logPath());
    }
    void cleanupTestCase() { delete clock; }

    void pastesWithTheAppsChordAfterItIsInFront_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<bool>("shift");
        QTest::addColumn<QString>("name");
        QTest::newRow("terminal by id") << "org.gnome.Terminal" << true << "Terminal";
        QTest::newRow("terminal by category") << "org.example.Shell" << true << "Shell";
        QTest::newRow("other app") << "com.slack.Slack" << false << "Slack";
    }
    void pastesWithTheAppsChordAfterItIsInFront()
    {
        QFETCH(QString, id);
        QFETCH(bool, shift);
        QFETCH(QString, name);
        const RunningApp app = running(id, 7);
        front->running = {running("other", 3), app};
        Destinations::pasteInto(id, std::nullopt, clock);
        QCOMPARE(front->activations, QList<RunningApp>{app});
        QVERIFY(keys->presses.isEmpty());

        clock->advance(0.1); // two polls go by before it comes forward
        front->front = app;
        clock->advance(0.05);
        clock->advance(0.19);
        QVERIFY(keys->presses.isEmpty());
        clock->advance(0.02);
        QCOMPARE(keys->presses.size(), 1);
        QCOMPARE(keys->presses[0].keysym, 0x76u);
        QCOMPARE(keys->presses[0].modifiers,
                 shift ? Qt::ControlModifier | Qt::ShiftModifier : Qt::KeyboardModifiers(Qt::ControlModifier));
        QCOMPARE(toastText(), "Pasted into " + name);
        QCOMPARE(clock->pendingCount(), 0);
    }

    void waitsForHeldModifiersToBeReleased()
    {
        const RunningApp app = running("com.slack.Slack", 5);
        front->running = {app};
        front->front = app;
        keys->held = EventFlag::Shift | (1ull << 16); // other bits (Caps Lock) do not count
        Destinations::pasteInto(app.identifier, std::nullopt, clock);
        clock->advance(0.98);
        keys->held = 1ull << 16;
        clock->advance(0.21);
        QVERIFY(keys->presses.isEmpty());
        clock->advance(0.02); // the poll at 1.0 s finds it idle; pressed 0.2 s later
        QCOMPARE(keys->presses.size(), 1);
    }

    void givesUpAtTheEightiethAttempt()
    {
        const RunningApp app = running("org.gnome.Terminal", 5);
        front->running = {app};
        front->front = app;
        keys->held = EventFlag::Command;
        Destinations::pasteInto(app.identifier, std::nullopt, clock);
        clock->advance(3.95);
        QVERIFY(!logText().contains(gaveUp));
        clock->advance(0.051);
        QVERIFY(logText().contains(gaveUp));
        QCOMPARE(toastText(), QStringLiteral("Copied. Press Ctrl+Shift+V in Terminal."));
        QCOMPARE(clock->pendingCount(), 0);
        QVERIFY(keys->presses.isEmpty());
    }

    void givesUpWhenTheFrontIsLostWhileSettling()
    {
        const RunningApp app = running("com.slack.Slack", 5);
        front->running = {app};
        front->front = app;
        Destinations::pasteInto(app.identifier, std::nullopt, clock);
        clock->advance(0.1);
        front->front = running("other", 9);
        clock->advance(0.2);
        QVERIFY(keys->presses.isEmpty());
        QVERIFY(logText().contains(gaveUp));
        QCOMPARE(toastText(), QStringLiteral("Copied. Press Ctrl+V in Slack."));
    }

    void previousAppWithoutAnEntryIsPastedIntoByItsWindow()
    {
        const RunningApp previous = running("xterm", 11, "XTerm");
        front->running = {running("xterm", 12, "XTerm"), previous};
        front->front = previous;
        Destinations::pasteInto("xterm", previous, clock);
        QCOMPARE(front->activations, QList<RunningApp>{previous});
        clock->advance(0.25);
        QCOMPARE(keys->presses.size(), 1);
        QCOMPARE(toastText(), QStringLiteral("Pasted into XTerm"));
    }

    void launchesAnInstalledAppAndPastesOnce()
    {
        apps->onLaunch = [this](const QString &id) { front->running = {running(id, 21)}; };
        Destinations::pasteInto("com.slack.Slack", std::nullopt, clock);
        QCOMPARE(apps->launches, QStringList{"com.slack.Slack"});
        clock->advance(0.5); // still starting
        front->front = running("com.slack.Slack", 21);
        clock->advance(1.0);
        QCOMPARE(keys->presses.size(), 1);
        clock->advance(5);
        QCOMPARE(keys->presses.size(), 1);
    }

    // A launched program whose windows name themselves otherwise than its entry (a launcher script,
    // another WM_CLASS) is known by its process, now and on the next send.
    void launchedAppIsKnownByItsProcess()
    {
        apps->add("org.example.Chat", "Chat");
        apps->launchPid = 777;
        const RunningApp window{31, 777, "chat-bin", "chat-bin"};
        apps->onLaunch = [&](const QString &) { front->running = {window}; };
        Destinations::pasteInto("org.example.Chat", std::nullopt, clock);
        clock->advance(0.5);
        front->front = window;
        clock->advance(1.0);
        QCOMPARE(keys->presses.size(), 1);
        QCOMPARE(toastText(), QStringLiteral("Pasted into Chat"));

        front->front = running("other", 3);
        Destinations::pasteInto("org.example.Chat", std::nullopt, clock);
        QCOMPARE(apps->launches, QStringList{"org.example.Chat"}); // not launched again
        QCOMPARE(front->activations, QList<RunningApp>{window});
        front->front = window;
        clock->advance(1.0);
        QCOMPARE(keys->presses.size(), 2);
    }

    void launchThatFailsStillEndsTheChain()
    {
        apps->launchFails = true;
        Destinations::pasteInto("com.slack.Slack", std::nullopt, clock);
        clock->advance(5);
        QVERIFY(keys->presses.isEmpty());
        QVERIFY(logText().contains(gaveUp));
    }

    void neitherRunningNorInstalledOnlyCopies()
    {
        Destinations::pasteInto("com.example.Gone", std::nullopt, clock);
        QCOMPARE(toastText(), QStringLiteral("Copied"));
        QCOMPARE(clock->pendingCount(), 0);
        QVERIFY(apps->launches.isEmpty());
        QVERIFY(front->activations.isEmpty());
    }

    // A key press that cannot be made is never reported as a paste.
    void keysThatCannotBeSentAreNeverReportedAsPasted_data()
    {
        QTest::addColumn<bool>("trusted");
        QTest::addColumn<QString>("toast");
        QTest::addColumn<QString>("log");
        QTest::newRow("no XTEST") << false
                                  << "Copied. Press Ctrl+V in Slack. To paste for you, Quillet™ needs the XTEST extension."
                                  << "paste: the X server has no XTEST extension";
        QTest::newRow("press failed") << true << "Copied. Press Ctrl+V in Slack."
                                      << "paste: the keystroke could not be sent, nothing pressed";
    }
    void keysThatCannotBeSentAreNeverReportedAsPasted()
    {
        QFETCH(bool, trusted);
        QFETCH(QString, toast);
        QFETCH(QString, log);
        keys->isTrusted = trusted;
        keys->fails = true;
        const RunningApp app = running("com.slack.Slack", 5);
        front->running = {app};
        front->front = app;
        for (int send = 0; send < 2; ++send) {
            Destinations::pasteInto(app.identifier, std::nullopt, clock);
            clock->advance(0.3);
            QCOMPARE(toastText(), toast);
        }
        QVERIFY(logText().contains(log));
        QCOMPARE(logText().count(log), trusted ? 2 : 1); // the missing extension is logged once
    }
};

QUILLET_TEST_MAIN(TestPaste)
#include "tst_paste.moc"
