#include "SoundFixtures.h"
#include "SpeechReference.h"
#include "talk/SoundConverter.h"
#include "talk/SoundFile.h"
#include "talk/SpeechLanguages.h"
#include "talk/SpeechListener.h"
#include "talk/SphinxEngine.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace SoundFixtures;
using namespace SpeechReference;

namespace {
// Listens to a file with the real recognizer; the text handed over, every text heard on the way,
// and the problems.
struct Heard {
    QString words;
    QStringList interim;
    QList<TalkProblem> problems;
};

void listenTo(const QString &path, std::shared_ptr<SpeechEngine> engine, Heard &heard)
{
    SpeechListener::Services services;
    services.engine = std::move(engine);
    services.language = [] { return QStringLiteral("en-US"); };
    auto listener = std::make_shared<SpeechListener>(services);
    listener->file = path;
    listener->setOnHeard([&](const QString &t) { heard.interim << t; });
    listener->setOnProblem([&](const TalkProblem &p) { heard.problems << p; });
    listener->start();
    // A file ends its own input; the words are there when recognition has gone through it. (No
    // stop: its give-up after 4 s would hand over the interim words on a busy machine.)
    QTRY_VERIFY_WITH_TIMEOUT(listener->isOver(), 60000);
    heard.words = listener->transcript().text();
}

Heard listen(const QString &path, std::shared_ptr<SpeechEngine> engine)
{
    Heard heard;
    listenTo(path, std::move(engine), heard);
    return heard;
}

// A run fed `sound` at a microphone's pace, 2048 frames at a time, until the input
// ends. The interim texts that came before the input ended, and the final text.
struct Paced {
    QStringList interimBeforeEnd;
    QString words;
};

void feedPaced(SpeechEngine &engine, const SoundBuffer &sound, Paced &paced)
{
    auto stream = std::make_shared<SoundStream>();
    bool fed = false, ended = false;
    auto run = engine.recognize(stream, "en-US",
                                {[&](const SpeechResult &r) {
                                     if (r.isFinal)
                                         paced.words = r.text;
                                     else if (!fed)
                                         paced.interimBeforeEnd << r.text;
                                 },
                                 [&](const auto &) { ended = true; }});
    constexpr qint64 frames = 2048;
    QElapsedTimer pace;
    pace.start();
    for (qint64 at = 0; at < sound.frames(); at += frames) {
        while (pace.elapsed() < at * 1000 / sound.format.sampleRate)
            QTest::qWait(5);
        stream->put(slice(sound, at, std::min(frames, sound.frames() - at)));
    }
    fed = true;
    stream->finish();
    QTRY_VERIFY_WITH_TIMEOUT(ended, 60000);
}
} // namespace

class SphinxTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (SpeechEngine::shared()->installedLanguages().isEmpty())
            QSKIP("the pocketsphinx-en-us model is not installed");
        SpeechEngine::shared()->warmUp();
    }

    void sameSoundSameWords()
    {
        // First, on a fresh decoder: what it learnt from one hold's sound does not change what it
        // hears in the next.
        for (int i = 0; i < 3; ++i)
            QCOMPARE(listen(speechFile("hello16k.wav"), SpeechEngine::shared()).words, QStringLiteral("Hello world"));
    }

    void recognizesSpeechFiles_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("words");
        QTest::newRow("16 kHz mono") << speechFile("hello16k.wav") << "Hello world";
        QTest::newRow("48 kHz stereo float") << speechFile("hello48k.wav") << "Hello world";
    }

    void recognizesSpeechFiles()
    {
        QFETCH(QString, file);
        QFETCH(QString, words);
        const Heard heard = listen(file, SpeechEngine::shared());
        QCOMPARE(heard.problems, QList<TalkProblem>());
        QCOMPARE(heard.words, words);
        QVERIFY(!heard.interim.isEmpty());
        QCOMPARE(heard.interim.last(), words);
    }

    // A hold is heard as one utterance: the listener's words are those of pocketsphinx alone over
    // the whole file in one pass, sentence for sentence.
    void holdIsHeardAsTheWholeFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("said");
        const auto sentences = listed(speechFile("sentences.txt"));
        QVERIFY(sentences.size() >= 5);
        for (const auto &[file, said] : sentences)
            QTest::newRow(qPrintable(said)) << file << said;
        QTest::newRow("a pause of 1.2 s") << speechFile("twice16k.wav") << "hello world hello world";
        QTest::newRow("48 kHz stereo float") << speechFile("hello48k.wav") << "hello world";
    }

    void holdIsHeardAsTheWholeFile()
    {
        QFETCH(QString, file);
        QFETCH(QString, said);
        const Heard heard = listen(file, SpeechEngine::shared());
        QCOMPARE(heard.problems, QList<TalkProblem>());
        QVERIFY2(!heard.words.isEmpty(), qPrintable(said));
        // A file in another format is converted at once, as a whole.
        const std::optional<SoundBuffer> whole = SoundConverter().convert(readAll(file));
        QVERIFY(whole);
        QCOMPARE(heard.words, wholeFileWords(int16Samples(*whole)));
    }

    // The sentences' words as a whole: a listener that cut its holds at pauses and started each
    // piece from the model's mean got 3 of these 54 words right.
    void sentencesWordAccuracy()
    {
        int words = 0, errors = 0;
        for (const auto &[file, said] : listed(speechFile("sentences.txt"))) {
            words += wordCount(said);
            errors += wordErrors(said, listen(file, SpeechEngine::shared()).words);
        }
        QVERIFY(words > 0);
        const double accuracy = double(words - errors) / words;
        QVERIFY2(accuracy >= 0.30, qPrintable(QStringLiteral("word accuracy %1").arg(accuracy)));
    }

    // Held like a microphone: the pause between two phrases is used to decode the hold so far
    // as a whole, so its words show before the key comes up. The final words are those of the
    // whole sound, whether the hold ends in a pause (they are ready then) or while speaking.
    void pausesDecodeTheHoldSoFar_data()
    {
        QTest::addColumn<double>("endSeconds");
        QTest::addColumn<QString>("words");
        const SoundBuffer twice = readAll(speechFile("twice16k.wav"));
        QTest::newRow("silence at the end") << twice.frames() / 16000.0 << wholeFileWords(int16Samples(twice));
        const double speaking = twice.frames() / 16000.0 - 0.3;
        QTest::newRow("released while speaking")
            << speaking << wholeFileWords(int16Samples(slice(twice, 0, qint64(speaking * 16000))));
    }

    void pausesDecodeTheHoldSoFar()
    {
        QFETCH(double, endSeconds);
        QFETCH(QString, words);
        const SoundBuffer twice = readAll(speechFile("twice16k.wav"));
        Paced paced;
        feedPaced(*SpeechEngine::shared(), slice(twice, 0, qint64(endSeconds * 16000)), paced);
        QCOMPARE(paced.words, words);
        QVERIFY2(paced.interimBeforeEnd.contains("Hello world"), qPrintable(paced.interimBeforeEnd.join(" / ")));
    }

    void soundBeforeTheModelLoadsIsHeard()
    {
        // A hold that begins before the model has loaded loses none of its sound.
        SphinxEngine cold;
        QCOMPARE(cold.loadSeconds(), 0.0);
        Paced paced;
        feedPaced(cold, readAll(speechFile("hello16k.wav")), paced);
        QVERIFY(cold.loadSeconds() > 0);
        QCOMPARE(paced.words, QStringLiteral("Hello world"));
    }

    void cancelledRunLeavesTheDecoderClean()
    {
        // A run cancelled in the middle of speech gives nothing, and the next run on the shared
        // decoder hears only its own sound.
        const SoundBuffer twice = readAll(speechFile("twice16k.wav"));
        auto sound = std::make_shared<SoundStream>();
        sound->put(slice(twice, 0, 16000 * 1));
        QStringList heard;
        bool ended = false;
        auto run = SpeechEngine::shared()->recognize(
            sound, "en-US",
            {[&](const SpeechResult &r) { heard << r.text; }, [&](const auto &) { ended = true; }});
        run->cancel();
        QTRY_VERIFY_WITH_TIMEOUT(ended, 30000);
        QVERIFY(heard.isEmpty());
        QCOMPARE(listen(speechFile("hello16k.wav"), SpeechEngine::shared()).words,
                 QStringLiteral("Hello world"));
    }

    void silenceAndMissingFiles()
    {
        QTemporaryDir dir;
        const QString quiet = dir.filePath("quiet.wav");
        QVERIFY(writeWav(quiet, SoundBuffer{{16000, 1, SampleType::int16}, QByteArray(32000, 0)}));
        QCOMPARE(listen(quiet, SpeechEngine::shared()).words, QString());
        const Heard missing = listen(dir.filePath("none.wav"), SpeechEngine::shared());
        QCOMPARE(missing.words, QString());
        QVERIFY(missing.problems.isEmpty());
    }

    void models()
    {
        QTemporaryDir empty;
        auto absent = std::make_shared<SphinxEngine>(empty.path());
        QCOMPARE(absent->installedLanguages(), QStringList());
        QCOMPARE(SpeechLanguages::supported(*absent), (QList<QPair<QString, QString>>{}));
        QCOMPARE(listen(speechFile("hello16k.wav"), absent).problems,
                 QList<TalkProblem>{TalkProblem::failed(
                     "the speech model for English (United States) is not installed (package pocketsphinx-en-us)")});

        // Files in place that do not load.
        QTemporaryDir broken;
        QVERIFY(QDir(broken.path()).mkpath("en-us"));
        for (const char *name : {"en-us/mdef", "en-us.lm.bin", "cmudict-en-us.dict"}) {
            QFile f(broken.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("not a model\n");
        }
        auto bad = std::make_shared<SphinxEngine>(broken.path());
        QCOMPARE(listen(speechFile("hello16k.wav"), bad).problems,
                 QList<TalkProblem>{TalkProblem::failed("the speech model is not ready")});

        QCOMPARE(SpeechLanguages::supported(*SpeechEngine::shared()),
                 (QList<QPair<QString, QString>>{{"en-US", "English (United States)"}}));
        QCOMPARE(SpeechEngine::shared()->language("en-GB")->code, QStringLiteral("en-US"));
        QVERIFY(!SpeechEngine::shared()->language("de-DE"));
    }

    void pieces_data()
    {
        QTest::addColumn<QString>("hypothesis");
        QTest::addColumn<bool>("followsSettled");
        QTest::addColumn<QString>("piece");
        QTest::newRow("first") << "hello world" << false << "Hello world";
        QTest::newRow("after settled") << "hello world" << true << " hello world";
        QTest::newRow("pronoun") << "i think i'm right" << true << " I think I'm right";
        QTest::newRow("alternate pronunciation") << "read(2) it" << false << "Read it";
        QTest::newRow("nothing") << "" << true << "";
    }

    void pieces()
    {
        QFETCH(QString, hypothesis);
        QFETCH(bool, followsSettled);
        QFETCH(QString, piece);
        QCOMPARE(SphinxEngine::piece(hypothesis, followsSettled), piece);
    }

    void chosenLanguage()
    {
        // The tests run in the C locale, which counts as US English.
        QCOMPARE(SpeechLanguages::chosen(), QStringLiteral("en-US"));
        QCOMPARE(SpeechLanguages::name("de-DE"), QStringLiteral("German (Germany)"));
    }
};

QTEST_GUILESS_MAIN(SphinxTest)
#include "tst_sphinx.moc"
