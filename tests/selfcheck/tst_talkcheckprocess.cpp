// "--talk-check FILE" as the application runs it: the real listener and decoder over the spoken
// test files, a silent file and a missing one, with the lines it prints and its exit status.
#include "AppUnderTest.h"
#include "TestEnv.h"

#include "../talk/SoundFixtures.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {
struct Run
{
    int status = -1;
    QStringList out;
};

Run talkCheck(const QString &file)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    p.setProcessEnvironment(env);
    p.start(AppUnderTest::appPath(), {"--talk-check", file});
    Run run;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return run;
    }
    run.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.out = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return run;
}

const QRegularExpression timing(QStringLiteral("^first words after (-?\\d+\\.\\d\\d) s, done after (\\d+\\.\\d\\d) s$"));
} // namespace

class TestTalkCheckProcess : public QObject
{
    Q_OBJECT

private slots:
    void spokenFiles_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("16 kHz mono") << "hello16k.wav";
        QTest::newRow("48 kHz stereo float") << "hello48k.wav";
    }
    void spokenFiles()
    {
        QFETCH(QString, file);
        const Run run = talkCheck(QStringLiteral(QUILLET_SPEECH_DIR "/") + file);
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out.size(), 3);
        const QRegularExpressionMatch m = timing.match(run.out.at(0));
        QVERIFY2(m.hasMatch(), qPrintable(run.out.at(0)));
        const double first = m.captured(1).toDouble(), done = m.captured(2).toDouble();
        QVERIFY(first >= 0 && first <= done);
        QVERIFY(done >= 1.0);
        QCOMPARE(run.out.at(1), QStringLiteral("heard: Hello world"));
        QCOMPARE(run.out.at(2), QStringLiteral("as a comment: Hello world"));
        // The benchmark reads the model's load time from the log.
        const QString log = QString::fromUtf8(AppUnderTest::readFile(AppUnderTest::logDir() + "/app.log"));
        QVERIFY2(log.contains(QRegularExpression("talk: the speech model loaded in \\d+\\.\\d\\d s")), qPrintable(log));
    }

    void silence()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("silence.wav");
        QVERIFY(SoundFixtures::writeWav(path, SoundFixtures::sine({16000, 1, SampleType::int16}, 440, 0, 32000)));
        const Run run = talkCheck(path);
        QCOMPARE(run.status, 1);
        QCOMPARE(run.out.size(), 3);
        QVERIFY2(run.out.at(0).startsWith("first words after -1.00 s, done after "), qPrintable(run.out.at(0)));
        QCOMPARE(run.out.mid(1), (QStringList{"heard: ", "as a comment: "}));
    }

    void missingFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("nowhere.wav");
        const Run run = talkCheck(path);
        QCOMPARE(run.status, 1);
        QCOMPARE(run.out, QStringList{"problem: Could not listen: cannot read " + path});
    }
};

QUILLET_TEST_MAIN_CORE(TestTalkCheckProcess)
#include "tst_talkcheckprocess.moc"
