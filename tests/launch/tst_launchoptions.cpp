#include "launch/LaunchOptions.h"

#include "TestEnv.h"

using SelfCheck = LaunchOptions::SelfCheck;
Q_DECLARE_METATYPE(SelfCheck)

class TestLaunchOptions : public QObject
{
    Q_OBJECT
private slots:
    void selfChecks_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("release");
        QTest::addColumn<SelfCheck>("check");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("pages");
        QTest::newRow("nothing") << QStringList{"q"} << false << SelfCheck::none << "" << 12;
        QTest::newRow("autopilot") << QStringList{"q", "--autopilot", "/tmp/a"} << false
                                   << SelfCheck::autopilot << "/tmp/a" << 12;
        QTest::newRow("autopilot last, bench before")
            << QStringList{"q", "--bench-pages", "--autopilot"} << false << SelfCheck::benchPages << "" << 12;
        QTest::newRow("bench alone") << QStringList{"q", "--bench-pages"} << false << SelfCheck::benchPages << "" << 12;
        QTest::newRow("bench word") << QStringList{"q", "--bench-pages", "many"} << false
                                    << SelfCheck::benchPages << "" << 12;
        QTest::newRow("bench 5") << QStringList{"q", "--bench-pages", "5"} << false << SelfCheck::benchPages << "" << 5;
        QTest::newRow("talk check") << QStringList{"q", "--talk-check", "a.wav"} << false << SelfCheck::talkCheck
                                    << "a.wav" << 12;
        QTest::newRow("talk check last") << QStringList{"q", "--talk-check"} << false << SelfCheck::none << "" << 12;
        QTest::newRow("send test before talk check")
            << QStringList{"q", "--talk-check", "a.wav", "--report-send-test"} << false
            << SelfCheck::reportSendTest << "" << 12;
        QTest::newRow("stats without url") << QStringList{"q", "--stats-send-test"} << false
                                           << SelfCheck::statsSendTest << "" << 12;
        QTest::newRow("release drops the word, keeps the value")
            << QStringList{"q", "--autopilot", "/tmp/a", "--demo"} << true << SelfCheck::none << "" << 12;
    }
    void selfChecks()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, release);
        QFETCH(SelfCheck, check);
        QFETCH(QString, value);
        QFETCH(int, pages);
        const LaunchOptions o = LaunchOptions::parse(args, release);
        QCOMPARE(o.selfCheck, check);
        QCOMPARE(o.selfCheckValue, value);
        QCOMPARE(o.benchPages, pages);
    }

    void releaseFilterKeepsOtherOptions()
    {
        const LaunchOptions o = LaunchOptions::parse(
            {"q", "--autopilot", "/tmp/a", "--demo", "--reopen", "--welcome", "done", "--settings",
             "shortcuts+about", "--unseen", "--crash-test"},
            true);
        QCOMPARE(o.arguments, (QStringList{"q", "/tmp/a", "--demo", "--reopen", "--welcome", "done",
                                           "--settings", "shortcuts+about", "--unseen"}));
        QVERIFY(o.demo && o.reopen && o.unseen);
        QVERIFY(!o.crashTest);
        QCOMPARE(o.welcome, std::optional<QString>("done"));
        QCOMPARE(o.settingsSections(), (QStringList{"shortcuts", "about"}));
    }

    void settingsWithoutValue()
    {
        const LaunchOptions o = LaunchOptions::parse({"q", "--settings"}, false);
        QVERIFY(!o.settings);
        QVERIFY(o.settingsSections().isEmpty());
        QCOMPARE(LaunchOptions::parse({"q", "--settings", "+a++b+"}, false).settingsSections(),
                 (QStringList{"a", "b"}));
    }

    // After "--" every argument names a picture, even one that looks like an option; option
    // values are no pictures.
    void picturesAfterDoubleDash()
    {
        const QStringList args{"q", "--columns", "3", "a.png", "--welcome", "done", "--", "-b.png", "--demo", "--"};
        QCOMPARE(LaunchOptions::files(args), (QStringList{"a.png", "-b.png", "--demo", "--"}));
        const LaunchOptions o = LaunchOptions::parse(args, true);
        QVERIFY(!o.demo);
        QCOMPARE(o.welcome, std::optional<QString>("done"));
        QCOMPARE(LaunchOptions::withAbsolutePaths(args, "/home/u"),
                 (QStringList{"q", "--columns", "3", "/home/u/a.png", "--welcome", "done", "--", "/home/u/-b.png",
                              "/home/u/--demo", "/home/u/--"}));
        // A release build drops self-check words before "--" only.
        QCOMPARE(LaunchOptions::parse({"q", "--crash-test", "--", "--crash-test"}, true).arguments,
                 (QStringList{"q", "--", "--crash-test"}));
    }

    // In a release build the dropped self-check words are no unknown options, and the help
    // leaves them out.
    void releaseBuildAnswers()
    {
        QVERIFY(!LaunchOptions::answerAlone({"q", "--autopilot", "/tmp/a"}, true, "v"));
        QVERIFY(!LaunchOptions::helpText(true).contains("--autopilot"));
        QVERIFY(LaunchOptions::helpText(false).contains("--autopilot"));
        QVERIFY(!LaunchOptions::answerAlone({"q", "--welcome", "--help"}, false, "v"));
    }
};

QUILLET_TEST_MAIN_CORE(TestLaunchOptions)
#include "tst_launchoptions.moc"
