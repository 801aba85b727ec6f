// The talk check in this process: files it cannot read, a missing speech model, notices that
// only tell, problems that end it, and what it prints and answers with words and without.
#include "selfcheck/ScriptedListener.h"
#include "selfcheck/TalkCheck.h"

#include "app/PreferenceReaders.h"
#include "platform/Preferences.h"
#include "talk/SpeechListener.h"
#include "talk/SphinxEngine.h"

#include "../talk/SoundFixtures.h"
#include "SelfCheckOutput.h"
#include "TestEnv.h"

#include <QRegularExpression>
#include <QTemporaryDir>

using namespace Autopilot;

class TestTalkCheck : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    QString silence;
    std::shared_ptr<ScriptedListener> scripted;

    QString problem(const TalkProblem &p) const { return "problem: " + p.message(Prefs::talkKey()); }
    static TalkProblem named(const QString &name)
    {
        if (name == "gettingModel")
            return TalkProblem::gettingModel("English (United States)");
        if (name == "modelReady")
            return TalkProblem::modelReady();
        if (name == "granted" || name == "refused")
            return TalkProblem::microphoneAsked(name == "granted");
        return TalkProblem::failed("decoder stopped");
    }

private slots:
    void initTestCase()
    {
        Preferences::shared().useMemoryScope();
        silence = dir.filePath("silence.wav");
        const SoundFormat format{16000, 1, SampleType::int16};
        QVERIFY(SoundFixtures::writeWav(silence, SoundFixtures::sine(format, 440, 0, 16000)));
    }
    void cleanup()
    {
        scripted.reset();
        talkCheckListener() = [](const QString &path) {
            auto listener = std::make_shared<SpeechListener>();
            listener->file = path;
            return listener;
        };
    }

    // A file that is not a readable WAV is a problem of its own, not silence.
    void unreadableFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // empty: no file at all
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("not a WAV") << QByteArray("RIFF? no, just words\n");
        QTest::newRow("a header cut short") << QByteArray("RIFF\x24\0\0\0WAVEfmt ", 16);
    }
    void unreadableFiles()
    {
        QFETCH(QByteArray, bytes);
        const QString path = dir.filePath(QTest::currentDataTag());
        if (!bytes.isEmpty()) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        }
        SelfCheckOutput out;
        talkCheck(path);
        QCOMPARE(out.lines, QStringList{"problem: Could not listen: cannot read " + path});
        QCOMPARE(out.status, std::optional<int>(1));
    }

    // Without the model the listener's problem ends the check at once; the stop a second later
    // prints nothing more.
    void noSpeechModel()
    {
        QTemporaryDir empty;
        const std::shared_ptr<SpeechEngine> kept = SpeechEngine::shared();
        SpeechEngine::shared() = std::make_shared<SphinxEngine>(empty.path());
        SelfCheckOutput out;
        talkCheck(silence);
        QTRY_VERIFY(out.status);
        QTest::qWait(1400);
        SpeechEngine::shared() = kept;
        QCOMPARE(out.lines, QStringList{"problem: Could not listen: the speech model for English (United States) is "
                                        "not installed (package pocketsphinx-en-us)"});
        QCOMPARE(out.status, std::optional<int>(1));
    }

    // Notices are printed and the check waits on; words make the three lines and status 0, none
    // make -1.00 and status 1; a problem ends it with 1 and nothing after.
    void whatItPrints_data()
    {
        QTest::addColumn<QStringList>("problems");
        QTest::addColumn<QString>("words");
        QTest::addColumn<int>("status");
        // The lines after the problem lines; the first as the first-words time (-1: none, 0: at once).
        QTest::addColumn<QStringList>("after");
        QTest::newRow("words after notices")
            << QStringList{"gettingModel", "modelReady", "granted"} << "Hello world." << 0
            << QStringList{"0", "heard: Hello world.", "as a comment: Hello world"};
        QTest::newRow("nothing heard") << QStringList{} << "" << 1
                                       << QStringList{"-1", "heard: ", "as a comment: "};
        QTest::newRow("microphone refused") << QStringList{"refused"} << "Hello"
                                            << 1 << QStringList{};
        QTest::newRow("recognition failed")
            << QStringList{"modelReady", "failed"} << "" << 1
            << QStringList{};
    }
    void whatItPrints()
    {
        QFETCH(QStringList, problems);
        QFETCH(QString, words);
        QFETCH(int, status);
        QFETCH(QStringList, after);
        talkCheckListener() = [this](const QString &) {
            scripted = std::make_shared<ScriptedListener>();
            return scripted;
        };
        SelfCheckOutput out;
        talkCheck(silence);
        QVERIFY(scripted && scripted->started);
        QStringList expected;
        for (const QString &name : problems) {
            scripted->onProblem(named(name));
            expected << problem(named(name));
        }
        if (!words.isEmpty())
            scripted->say(words);
        QTRY_VERIFY_WITH_TIMEOUT(out.status, 3000);
        QCOMPARE(*out.status, status);
        QTest::qWait(after.isEmpty() ? 1300 : 0);
        QCOMPARE(out.lines.size(), expected.size() + after.size());
        QCOMPARE(out.lines.mid(0, expected.size()), expected);
        if (after.isEmpty()) {
            QVERIFY(scripted->cancelled);
            return;
        }
        QVERIFY(scripted->finished);
        const QString timing = out.lines.at(expected.size());
        static const QRegularExpression form(
            QStringLiteral("^first words after (-?\\d+\\.\\d\\d) s, done after (\\d+\\.\\d\\d) s$"));
        const QRegularExpressionMatch m = form.match(timing);
        QVERIFY2(m.hasMatch(), qPrintable(timing));
        if (after.first() == "-1")
            QCOMPARE(m.captured(1), QStringLiteral("-1.00"));
        else
            QVERIFY2(m.captured(1).toDouble() >= 0 && m.captured(1).toDouble() < 0.5, qPrintable(timing));
        QVERIFY(m.captured(2).toDouble() >= 1.0);
        QCOMPARE(out.lines.mid(expected.size() + 1), after.mid(1));
    }
};

QUILLET_TEST_MAIN_CORE(TestTalkCheck)
#include "tst_talkcheck.moc"
