// Recognition with pocketsphinx on spoken test files made by tests/talk/make_speech_files.sh:
// the decoder's cold load, the real-time factor, the first interim result after speech begins
// when the sound comes at its real pace, and the final words after the input ends. And word
// accuracy: of the listener (the sound streamed through it as from a file, and at a microphone's
// pace) beside pocketsphinx alone over each whole file, on the synthetic sentences of the tests and on recorded human
// speech that Debian ships for testing pocketsphinx (pocketsphinx-testdata; scripts/bench
// installs it). Goal: the listener within 2 points of the whole-file decode on both sets.
#include "../tests/talk/SpeechReference.h"
#include "talk/SoundConverter.h"
#include "talk/SoundFile.h"
#include "talk/SpeechListener.h"
#include "talk/SphinxEngine.h"
#include "talk/WavReader.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <ctime>

namespace {
QTemporaryDir &speechFolder()
{
    static QTemporaryDir dir;
    static bool made = QProcess::execute(QStringLiteral(QUILLET_SOURCE_DIR "/tests/talk/make_speech_files.sh"),
                                         {dir.path()}) == 0;
    Q_UNUSED(made);
    return dir;
}

std::vector<SoundBuffer> buffersOf(const QString &path, qint64 frames)
{
    WavReader reader;
    std::vector<SoundBuffer> out;
    if (!reader.open(path))
        return out;
    while (auto b = reader.read(frames)) {
        if (b->frames() == 0)
            break;
        out.push_back(*b);
    }
    return out;
}

// Waits on the main thread until `done` holds.
void pumpUntil(const std::function<bool()> &done)
{
    if (done())
        return;
    QEventLoop loop;
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    poll.start(1);
    loop.exec();
}

SphinxEngine &warmEngine()
{
    static SphinxEngine engine;
    static bool warmed = [] {
        engine.warmUp();
        return true;
    }();
    Q_UNUSED(warmed);
    return engine;
}
} // namespace

namespace {
using Set = QList<QPair<QString, QString>>; // file, words said

Set syntheticSentences()
{
    return SpeechReference::listed(speechFolder().filePath("sentences.txt"));
}

// The recordings of pocketsphinx-testdata with their transcripts; the raw ones are written out
// as WAV files first, as the listener reads WAV.
Set recordedSpeech()
{
    const QString data = QStringLiteral("/usr/share/pocketsphinx/test/data");
    Set out;
    QFile transcription(data + QStringLiteral("/librivox/transcription"));
    if (transcription.open(QIODevice::ReadOnly | QIODevice::Text)) {
        static const QRegularExpression line(QStringLiteral("^<s> (.*) </s> \\((.*)\\)$"));
        for (const QString &l : QString::fromUtf8(transcription.readAll()).split(u'\n')) {
            const QRegularExpressionMatch m = line.match(l.trimmed());
            if (m.hasMatch())
                out.append({data + QStringLiteral("/librivox/") + m.captured(2) + QStringLiteral(".wav"),
                            m.captured(1).simplified()});
        }
    }
    const QString goForward = speechFolder().filePath("goforward.wav");
    if (QFile::exists(data + QStringLiteral("/goforward.raw"))
        && QProcess::execute(QStringLiteral("sox"), {"-t", "raw", "-r", "16000", "-e", "signed", "-b", "16", "-c", "1",
                                                     data + QStringLiteral("/goforward.raw"), goForward}) == 0)
        out.append({goForward, QStringLiteral("go forward ten meters")});
    return out;
}

SoundBuffer readWhole(const QString &path)
{
    WavReader reader;
    if (!reader.open(path))
        return {};
    return reader.read(reader.frameCount()).value_or(SoundBuffer{});
}

// One file through a listener on `engine`, as fast as it is read; the words handed over.
QString listenTo(const QString &file, const std::shared_ptr<SpeechEngine> &engine)
{
    SpeechListener::Services services;
    services.engine = engine;
    services.language = [] { return QStringLiteral("en-US"); };
    auto listener = std::make_shared<SpeechListener>(services);
    listener->file = file;
    listener->start();
    // No stop: its give-up after 4 s would hand over interim words on a busy machine.
    pumpUntil([&] { return listener->isOver(); });
    return listener->transcript().text();
}

// One file through `engine` as a microphone says it: 2048-frame buffers at the sound's own pace;
// the final words.
QString listenPaced(const QString &file, const std::shared_ptr<SpeechEngine> &engine)
{
    const auto buffers = buffersOf(file, 2048);
    if (buffers.empty())
        return {};
    auto sound = std::make_shared<SoundStream>();
    QString words;
    bool ended = false;
    engine->recognize(sound, "en-US", {[&](const SpeechResult &r) {
                                           if (r.isFinal)
                                               words = r.text;
                                       },
                                       [&](const auto &) { ended = true; }});
    QElapsedTimer clock;
    clock.start();
    const int rate = buffers.front().format.sampleRate;
    for (size_t i = 0; i < buffers.size(); ++i) {
        const qint64 due = qint64(i) * 2048 * 1000000000LL / rate;
        pumpUntil([&] { return clock.nsecsElapsed() >= due; });
        sound->put(buffers[i]);
    }
    sound->finish();
    pumpUntil([&] { return ended; });
    return words;
}

std::shared_ptr<SpeechEngine> warmSharedEngine()
{
    static std::shared_ptr<SpeechEngine> engine = [] {
        auto e = std::make_shared<SphinxEngine>();
        e->warmUp();
        while (e->loadSeconds() == 0)
            QThread::msleep(5);
        return e;
    }();
    return engine;
}

// Word accuracy in percent of the listener and of the whole-file decode over a set, the
// listener's real-time factor (wall and processor), and the seconds of sound.
void accuracy(benchmark::State &state, const Set &set, bool paced)
{
    if (set.isEmpty()) {
        state.SkipWithError("no files (is pocketsphinx-testdata installed?)");
        return;
    }
    auto engine = warmSharedEngine();
    int words = 0, listenerErrors = 0, wholeErrors = 0;
    double seconds = 0, busy = 0, cpu = 0;
    for (auto _ : state) {
        words = listenerErrors = wholeErrors = 0;
        seconds = busy = cpu = 0;
        for (const auto &[file, said] : set) {
            const std::optional<SoundBuffer> sound = SoundConverter().convert(readWhole(file));
            if (!sound)
                continue;
            seconds += double(sound->frames()) / sound->format.sampleRate;
            QElapsedTimer timer;
            timer.start();
            const std::clock_t cpuStart = std::clock();
            const QString heard = paced ? listenPaced(file, engine) : listenTo(file, engine);
            busy += timer.nsecsElapsed() / 1e9;
            cpu += double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
            std::vector<qint16> samples(size_t(sound->frames()));
            memcpy(samples.data(), sound->data.constData(), samples.size() * 2);
            const QString whole = SpeechReference::wholeFileWords(samples);
            words += SpeechReference::wordCount(said);
            listenerErrors += SpeechReference::wordErrors(said, heard);
            wholeErrors += SpeechReference::wordErrors(said, whole);
        }
        state.SetIterationTime(busy);
    }
    state.counters["words"] = words;
    state.counters["listener_pct"] = 100.0 * (words - listenerErrors) / std::max(words, 1);
    state.counters["whole_file_pct"] = 100.0 * (words - wholeErrors) / std::max(words, 1);
    state.counters["rtf"] = busy / std::max(seconds, 1e-9);
    state.counters["rtf_cpu"] = cpu / std::max(seconds, 1e-9);
}
} // namespace

static void accuracySynthetic(benchmark::State &state)
{
    accuracy(state, syntheticSentences(), false);
}
BENCHMARK(accuracySynthetic)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

static void accuracyRecorded(benchmark::State &state)
{
    accuracy(state, recordedSpeech(), false);
}
BENCHMARK(accuracyRecorded)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

// The same with the sound coming at a microphone's pace, so that the listener decodes at the
// pauses in the speech as it does in a hold (its real-time factor is then about 1).
static void accuracySyntheticPaced(benchmark::State &state)
{
    accuracy(state, syntheticSentences(), true);
}
BENCHMARK(accuracySyntheticPaced)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

static void accuracyRecordedPaced(benchmark::State &state)
{
    accuracy(state, recordedSpeech(), true);
}
BENCHMARK(accuracyRecordedPaced)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

static void coldLoad(benchmark::State &state)
{
    for (auto _ : state) {
        SphinxEngine engine;
        engine.warmUp();
        while (engine.loadSeconds() == 0)
            QThread::msleep(5);
        state.SetIterationTime(engine.loadSeconds());
    }
}
BENCHMARK(coldLoad)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

// Unpaced: the 48 kHz stereo file as fast as the decoder takes it. "rtf" is wall seconds per
// second of sound, "rtf_cpu" the process's processor seconds per second of sound (goal under
// 0.3; on a busy machine the wall figure grows with the load, the processor figure does not).
static void realTimeFactor(benchmark::State &state)
{
    SphinxEngine &engine = warmEngine();
    const auto buffers = buffersOf(speechFolder().filePath("hello48k.wav"), 2048);
    double seconds = 0;
    for (const auto &b : buffers)
        seconds += double(b.frames()) / b.format.sampleRate;
    double busy = 0, cpu = 0;
    for (auto _ : state) {
        const std::clock_t cpuStart = std::clock();
        auto sound = std::make_shared<SoundStream>();
        bool ended = false;
        QElapsedTimer timer;
        timer.start();
        engine.recognize(sound, "en-US", {[](const SpeechResult &) {}, [&](const auto &) { ended = true; }});
        for (const auto &b : buffers)
            sound->put(b);
        sound->finish();
        pumpUntil([&] { return ended; });
        busy = timer.nsecsElapsed() / 1e9;
        cpu = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        state.SetIterationTime(busy);
    }
    state.counters["rtf"] = busy / seconds;
    state.counters["rtf_cpu"] = cpu / seconds;
}
BENCHMARK(realTimeFactor)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

// Paced like a microphone: 2048-frame buffers, one every 2048 frames' time. Reports the time from
// the buffer where speech begins to the first interim result (goal under 1 s), and from the end
// of the input to the final words (goal under 0.25 s, which with the listener's 0.25 s end delay
// keeps the release to the final words under 0.5 s). The final words are a decode of the whole
// hold, made at the last pause in the speech: ready at once when the input ends in a pause (the
// "hello world" with 0.5 s of silence after it), else made then, in a time that grows with the
// hold's length (a 7 s recording that ends in speech).
static void pacedLatency(benchmark::State &state, const char *file, double onsetSeconds)
{
    SphinxEngine &engine = warmEngine();
    const QString name = QString::fromUtf8(file);
    const auto buffers = buffersOf(name.startsWith(u'/') ? name : speechFolder().filePath(name), 2048);
    if (buffers.empty()) {
        state.SkipWithError("no sound file");
        return;
    }
    const int rate = buffers.front().format.sampleRate;
    const qint64 onsetBuffer = qint64(onsetSeconds * rate / 2048);
    double firstInterim = 0, finalWords = 0, seconds = 0;
    for (const auto &b : buffers)
        seconds += double(b.frames()) / rate;
    for (auto _ : state) {
        auto sound = std::make_shared<SoundStream>();
        QElapsedTimer clock;
        clock.start();
        qint64 onsetAt = -1, firstAt = -1, inputEndAt = -1, endedAt = -1;
        engine.recognize(sound, "en-US",
                         {[&](const SpeechResult &) {
                              if (firstAt < 0)
                                  firstAt = clock.nsecsElapsed();
                          },
                          [&](const auto &) { endedAt = clock.nsecsElapsed(); }});
        for (size_t i = 0; i < buffers.size(); ++i) {
            const qint64 due = qint64(i) * 2048 * 1000000000LL / rate;
            pumpUntil([&] { return clock.nsecsElapsed() >= due; });
            if (qint64(i) == onsetBuffer)
                onsetAt = clock.nsecsElapsed();
            sound->put(buffers[i]);
        }
        inputEndAt = clock.nsecsElapsed();
        sound->finish();
        pumpUntil([&] { return endedAt >= 0; });
        firstInterim = (firstAt - onsetAt) / 1e9;
        finalWords = (endedAt - inputEndAt) / 1e9;
        state.SetIterationTime(finalWords);
    }
    state.counters["sound_s"] = seconds;
    state.counters["first_interim_s"] = firstInterim;
    state.counters["final_after_end_s"] = finalWords;
}
BENCHMARK_CAPTURE(pacedLatency, hello48k, "hello48k.wav", 0.3)
    ->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(pacedLatency, recorded7s,
                  "/usr/share/pocketsphinx/test/data/librivox/sense_and_sensibility_01_austen_64kb-0870.wav", 0.2)
    ->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
