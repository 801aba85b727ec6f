#include "SoundFixtures.h"
#include "talk/SoundFile.h"
#include "talk/SpeechListener.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace SoundFixtures;
Q_DECLARE_METATYPE(SoundFormat)

namespace {
QList<qint64> bufferFrames(SoundStream &stream)
{
    QList<qint64> frames;
    while (std::optional<SoundBuffer> b = stream.next())
        frames << b->frames();
    return frames;
}
} // namespace

class SoundFileTest : public QObject {
    Q_OBJECT
private slots:
    void formatsAndBuffers_data()
    {
        QTest::addColumn<SoundFormat>("format");
        QTest::addColumn<bool>("extensible");
        QTest::newRow("int16 mono") << SoundFormat{16000, 1, SampleType::int16} << false;
        QTest::newRow("int32 stereo") << SoundFormat{44100, 2, SampleType::int32} << false;
        QTest::newRow("float extensible") << SoundFormat{48000, 2, SampleType::float32} << true;
    }

    void formatsAndBuffers()
    {
        QFETCH(SoundFormat, format);
        QFETCH(bool, extensible);
        QTemporaryDir dir;
        const QString path = dir.filePath("tone.wav");
        const SoundBuffer tone = sine(format, 440, 0.5, 10000);
        QVERIFY(writeWav(path, tone, extensible));

        auto stream = std::make_shared<SoundStream>();
        readSoundFile(path, stream);
        QList<qint64> frames;
        QByteArray bytes;
        while (std::optional<SoundBuffer> b = stream->next()) {
            QCOMPARE(b->format, format);
            frames << b->frames();
            bytes += b->data;
        }
        QCOMPARE(frames, (QList<qint64>{4096, 4096, 1808}));
        QCOMPARE(bytes, tone.data);
        QVERIFY(stream->isFinished());
    }

    void unreadableFilesEndTheStream_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("not a WAV") << QByteArray("hello, this is text, not sound");
        QTest::newRow("8-bit") << QByteArray("RIFF\x24\0\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x40\x1f\0\0\x40\x1f\0\0\x01\0\x08\0data\0\0\0\0", 44);
        QTest::newRow("header only") << QByteArray("RIFF\x04\0\0\0WAVE", 12);
    }

    void unreadableFilesEndTheStream()
    {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const QString path = dir.filePath("sound.wav");
        if (!content.isEmpty()) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        SoundStream stream;
        SoundFile::feed(path, stream);
        QCOMPARE(bufferFrames(stream), QList<qint64>());
    }

    void truncatedDataGivesWhatIsThere()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("cut.wav");
        const SoundFormat f{16000, 1, SampleType::int16};
        QVERIFY(writeWav(path, sine(f, 440, 0.5, 5000)));
        QFile file(path);
        QVERIFY(file.resize(file.size() - 1000 * 2 - 1)); // a half frame at the end
        SoundStream stream;
        SoundFile::feed(path, stream);
        QCOMPARE(bufferFrames(stream), (QList<qint64>{3999}));
    }

    void microphoneOnThisMachine()
    {
        // The real microphone path: on a machine without an input device the listener says so
        // and installs nothing; with one it runs until cancelled.
        auto listener = std::make_shared<SpeechListener>();
        QList<TalkProblem> problems;
        listener->setOnProblem([&](const TalkProblem &p) { problems << p; });
        listener->start();
        if (!problems.isEmpty() && problems.first() == TalkProblem::noMicrophone()) {
            QVERIFY(!listener->tapped());
            QVERIFY(!listener->isRecognizing());
        } else if (problems.isEmpty()) {
            QVERIFY(listener->tapped());
            listener->cancel();
            QVERIFY(!listener->tapped());
        }
    }
};

QTEST_GUILESS_MAIN(SoundFileTest)
#include "tst_soundfile.moc"
