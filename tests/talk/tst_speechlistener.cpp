#include "FakeSoundInput.h"
#include "FakeSpeechEngine.h"
#include "platform/fake/FakeScheduler.h"
#include "talk/MicrophoneAccess.h"
#include "talk/SoundStream.h"
#include "talk/SpeechListener.h"

#include <QtTest>

Q_DECLARE_METATYPE(SoundFormat)

namespace {
class FakeAccess final : public MicrophoneAccess {
public:
    Status answer = Status::authorized;
    int asked = 0;
    std::function<void(bool)> pending;
    Status status() override { return answer; }
    void request(std::function<void(bool)> reply) override
    {
        ++asked;
        pending = std::move(reply);
    }
};

// One listener with everything it talks to faked, and what it reported.
struct Rig {
    FakeScheduler scheduler;
    std::shared_ptr<FakeSpeechEngine> engine = std::make_shared<FakeSpeechEngine>();
    std::shared_ptr<FakeSoundInput::State> input = std::make_shared<FakeSoundInput::State>();
    FakeAccess access;
    QString language = QStringLiteral("en-US");
    QStringList heard;
    QList<TalkProblem> problems;
    QList<float> levels;
    std::shared_ptr<SpeechListener> listener;

    Rig() { listener = make(); }

    std::shared_ptr<SpeechListener> make()
    {
        SpeechListener::Services s;
        s.scheduler = &scheduler;
        s.engine = engine;
        s.makeInput = [this] { return std::make_unique<FakeSoundInput>(input); };
        s.access = &access;
        s.language = [this] { return language; };
        auto l = std::make_shared<SpeechListener>(s);
        l->setOnHeard([this](const QString &t) { heard << t; });
        l->setOnProblem([this](const TalkProblem &p) { problems << p; });
        l->setOnLevel([this](float v) { levels << v; });
        return l;
    }
    FakeSpeechEngine::Run &run() { return *engine->runs.last(); }
};

// A completion that records each call.
struct Delivered {
    QStringList texts;
    std::function<void(const QString &)> operator()() { return [this](const QString &t) { texts << t; }; }
};
} // namespace

class SpeechListenerTest : public QObject {
    Q_OBJECT
private slots:
    void resultsInOrderAndNoneAfterFinish()
    {
        Rig rig;
        rig.listener->start();
        QCOMPARE(rig.engine->runs.size(), 1);
        QCOMPARE(rig.run().code, QStringLiteral("en-US"));
        rig.run().say("hel", false);
        rig.run().say("hello wor", false);
        rig.run().say("hello world", true);
        QCOMPARE(rig.heard, (QStringList{"hel", "hello wor", "hello world"}));
        QCOMPARE(rig.listener->transcript(), (TalkTranscript{"hello world", ""}));
        rig.run().say(" and more", false);
        QCOMPARE(rig.heard.last(), QStringLiteral("hello world and more"));

        Delivered done;
        rig.listener->stop(done());
        rig.run().end();
        QCOMPARE(done.texts, QStringList{"hello world and more"});
        QVERIFY(rig.listener->isOver());
        rig.run().say("late", true);
        QCOMPARE(rig.heard.size(), 4);
        rig.scheduler.advance(5); // the give-up finds the listening over
        QCOMPARE(done.texts.size(), 1);
        QVERIFY(rig.problems.isEmpty());
    }

    void inputEndsAfterStopAndGiveUpDelivers()
    {
        Rig rig;
        rig.listener->start();
        QVERIFY(rig.listener->tapped());
        const std::shared_ptr<SoundStream> sound = rig.run().sound;
        rig.run().say("settled", true);
        rig.run().say(" passing", false);
        Delivered done;
        rig.listener->stop(done());
        rig.scheduler.advance(0.24);
        QVERIFY(!sound->isFinished());
        rig.scheduler.advance(0.01);
        QVERIFY(sound->isFinished());
        QVERIFY(!rig.listener->tapped());
        QCOMPARE(rig.input->stops, 1);
        // The recognizer never ends: the words so far come at 4.0 s.
        rig.scheduler.advance(3.74);
        QVERIFY(done.texts.isEmpty());
        rig.scheduler.advance(0.01);
        QCOMPARE(done.texts, QStringList{"settled passing"});
    }

    void stopAndCancel()
    {
        Rig rig;
        rig.listener->start();
        Delivered first, second;
        rig.listener->stop(first());
        rig.listener->stop(second());
        rig.run().end();
        QCOMPARE(first.texts, QStringList());
        QCOMPARE(second.texts, QStringList{""});
        rig.scheduler.advance(10);
        QCOMPARE(second.texts.size(), 1);

        // Cancel drops a pending completion without calling it and leaves the listening not over.
        Rig other;
        other.listener->start();
        other.run().say("words", true);
        Delivered dropped;
        other.listener->stop(dropped());
        other.listener->cancel();
        QVERIFY(other.run().cancelled);
        QVERIFY(!other.listener->isOver());
        QVERIFY(other.run().sound->isFinished());
        other.scheduler.advance(10);
        QCOMPARE(dropped.texts, QStringList());
        // stop after cancel: empty text at once; a later end of the run delivers nothing.
        Delivered after;
        other.listener->stop(after());
        QCOMPARE(after.texts, QStringList{""});
        other.run().end(QStringLiteral("ignored"));
        QVERIFY(other.problems.isEmpty());
        QVERIFY(other.listener->isOver());
    }

    void releasedListenerIgnoresItsTimers()
    {
        Rig rig;
        rig.listener->start();
        Delivered done;
        rig.listener->stop(done());
        const std::shared_ptr<SoundStream> sound = rig.run().sound;
        auto run = rig.engine->runs.last();
        rig.listener.reset();
        // Releasing ends the input and the run, so the shared recognizer is not kept waiting.
        QVERIFY(sound->isFinished());
        QVERIFY(run->cancelled);
        rig.scheduler.advance(10);
        run->say("late", true);
        run->end();
        QVERIFY(done.texts.isEmpty());
        QVERIFY(rig.heard.isEmpty());
    }

    void languagesAndModels()
    {
        Rig rig;
        rig.language = QStringLiteral("de-DE");
        Delivered done;
        rig.listener->start();
        QCOMPARE(rig.problems, QList<TalkProblem>{TalkProblem::language("German (Germany)")});
        QVERIFY(rig.engine->runs.isEmpty());
        QVERIFY(rig.listener->isOver());
        QVERIFY(!rig.listener->tapped());
        rig.listener->stop(done());
        QCOMPARE(done.texts, QStringList{""});

        Rig missing;
        missing.engine->installed = false;
        missing.language = QStringLiteral("en-GB");
        missing.listener->start();
        QCOMPARE(missing.problems,
                 QList<TalkProblem>{TalkProblem::failed(
                     "the speech model for English (United States) is not installed (package pocketsphinx-en-us)")});

        Rig unknown;
        unknown.language = QStringLiteral("xx-YY");
        unknown.listener->start();
        QCOMPARE(unknown.problems, QList<TalkProblem>{TalkProblem::language("xx-YY")});
    }

    void recognitionFailure()
    {
        Rig rig;
        rig.listener->start();
        rig.run().say("half", false);
        Delivered done;
        rig.listener->stop(done());
        rig.run().end(QStringLiteral("the speech model is not ready"));
        QCOMPARE(rig.problems, QList<TalkProblem>{TalkProblem::failed("the speech model is not ready")});
        QCOMPARE(done.texts, QStringList{"half"});
    }

    void microphone_data()
    {
        QTest::addColumn<SoundFormat>("format");
        QTest::addColumn<QString>("startFailure");
        QTest::addColumn<QString>("problem");
        QTest::newRow("no rate") << SoundFormat{0, 1, SampleType::int16} << QString()
                                 << "noMicrophone";
        QTest::newRow("no channel") << SoundFormat{48000, 0, SampleType::int16} << QString()
                                    << "noMicrophone";
        QTest::newRow("will not start") << SoundFormat{48000, 1, SampleType::int16}
                                        << "the microphone could not be opened"
                                        << "failed(\"the microphone could not be opened\")";
    }

    void microphone()
    {
        QFETCH(SoundFormat, format);
        QFETCH(QString, startFailure);
        QFETCH(QString, problem);
        Rig rig;
        rig.input->format = format;
        if (!startFailure.isEmpty())
            rig.input->startFailure = startFailure;
        rig.listener->start();
        QCOMPARE(rig.problems.size(), 1);
        QCOMPARE(rig.problems.first().debugDescription(), problem);
        QVERIFY(!rig.listener->tapped());
        QVERIFY(!rig.listener->isRecognizing());
        QCOMPARE(rig.input->starts, startFailure.isEmpty() ? 0 : 1);
        // Without a run, stop delivers the empty text at the give-up.
        Delivered done;
        rig.listener->stop(done());
        rig.scheduler.advance(4);
        QCOMPARE(done.texts, QStringList{""});
    }

    void levelsFromTheTapReachTheMainThread()
    {
        Rig rig;
        rig.listener->start();
        const SoundFormat f{48000, 1, SampleType::float32};
        QByteArray loud(2048 * 4, 0);
        for (int i = 0; i < 2048; ++i)
            reinterpret_cast<float *>(loud.data())[i] = 1.0f;
        rig.input->tap(SoundBuffer{f, loud});
        rig.input->tap(SoundBuffer{f, QByteArray(2048 * 4, 0)});
        QTRY_COMPARE(rig.levels, (QList<float>{1.0f, 0.0f}));
        std::optional<SoundBuffer> first = rig.run().sound->next();
        QVERIFY(first);
        QCOMPARE(first->data, loud);
        // A level on its way when the listener goes is dropped.
        rig.input->tap(SoundBuffer{f, loud});
        rig.listener.reset();
        QCoreApplication::processEvents();
        QCOMPARE(rig.levels.size(), 2);
    }

    void permission()
    {
        // Denied: at once, nothing started.
        Rig denied;
        denied.access.answer = MicrophoneAccess::Status::denied;
        denied.listener->start();
        QCOMPARE(denied.problems, QList<TalkProblem>{TalkProblem::microphoneOff()});
        QCOMPARE(denied.input->starts, 0);

        // Not asked yet: the answer comes later, on the main thread, while the listener exists.
        Rig asking;
        asking.access.answer = MicrophoneAccess::Status::notDetermined;
        asking.listener->start();
        QCOMPARE(asking.access.asked, 1);
        QVERIFY(asking.problems.isEmpty());
        asking.access.pending(true);
        QTRY_COMPARE(asking.problems, QList<TalkProblem>{TalkProblem::microphoneAsked(true)});
        QVERIFY(asking.engine->runs.isEmpty());

        // A listener given a file never asks.
        Rig file;
        file.access.answer = MicrophoneAccess::Status::notDetermined;
        file.listener->file = QStringLiteral("/nonexistent.wav");
        file.listener->start();
        QCOMPARE(file.access.asked, 0);
        QCOMPARE(file.input->starts, 0);
        QCOMPARE(file.engine->runs.size(), 1);
        // The missing file ends the sound; nothing is reported.
        std::shared_ptr<SoundStream> sound = file.run().sound;
        QVERIFY(!sound->next());
        QVERIFY(file.problems.isEmpty());
    }

    void droppedInsideItsProblem()
    {
        // The owner lets go of the listener from the problem callback, while start() runs.
        Rig rig;
        rig.input->format = {};
        rig.listener->setOnProblem([&rig](const TalkProblem &p) {
            rig.problems << p;
            rig.listener->cancel();
            rig.listener.reset();
        });
        std::shared_ptr<SpeechListener> keep = rig.listener;
        SpeechListener *raw = keep.get();
        keep.reset();
        raw->start();
        QCOMPARE(rig.problems.size(), 1);
        QVERIFY(!rig.listener);
    }

    void replacedFactory()
    {
        Rig rig;
        const auto original = makeSpeechListener;
        int made = 0;
        makeSpeechListener = [&] {
            ++made;
            return std::static_pointer_cast<SpeechListening>(rig.make());
        };
        std::shared_ptr<SpeechListening> l = makeSpeechListener();
        QCOMPARE(made, 1);
        QVERIFY(dynamic_cast<SpeechListener *>(l.get()));
        makeSpeechListener = original;
        QVERIFY(makeSpeechListener() != nullptr);
    }
};

QTEST_GUILESS_MAIN(SpeechListenerTest)
#include "tst_speechlistener.moc"
