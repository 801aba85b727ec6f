#include "TalkCheck.h"

#include "Autopilot.h"

#include "app/ActivityLog.h"
#include "app/PreferenceReaders.h"
#include "document/SpokenText.h"
#include "talk/SpeechListener.h"
#include "talk/SphinxEngine.h"
#include "talk/WavReader.h"

#include <QElapsedTimer>
#include <QTimer>

#include <memory>
#include <optional>

namespace Autopilot {
namespace {
constexpr int stopAfterMs = 1000;

// What the check's callbacks share.
struct Run
{
    std::shared_ptr<SpeechListening> listener;
    QElapsedTimer clock;
    std::optional<double> firstWords;
    bool over = false;

    double seconds() const { return double(clock.nsecsElapsed()) / 1e9; }
};

// Every check's run, with its listener, lives until the process ends.
QList<std::shared_ptr<Run>> &runs()
{
    static QList<std::shared_ptr<Run>> kept;
    return kept;
}

// Problems that only tell the user something: the check keeps waiting.
bool isNotice(const TalkProblem &problem)
{
    switch (problem.kind()) {
    case TalkProblem::Kind::gettingModel:
    case TalkProblem::Kind::modelReady:
        return true;
    case TalkProblem::Kind::microphoneAsked:
        return problem.granted();
    default:
        return false;
    }
}

void sayProblem(const TalkProblem &problem)
{
    sink()(QStringLiteral("problem: ") + problem.message(Prefs::talkKey()));
}

// The model's load time, for the benchmark that reads the activity log.
void logModelLoad()
{
    if (const auto *sphinx = dynamic_cast<const SphinxEngine *>(SpeechEngine::shared().get()))
        activityLog(QStringLiteral("talk: the speech model loaded in %1 s").arg(sphinx->loadSeconds(), 0, 'f', 2));
}

void end(Run &run, int status)
{
    run.over = true;
    if (run.listener)
        run.listener->cancel();
    exitProcess()(status);
}
} // namespace

std::function<std::shared_ptr<SpeechListening>(const QString &)> &talkCheckListener()
{
    static std::function<std::shared_ptr<SpeechListening>(const QString &)> make = [](const QString &path) {
        auto listener = std::make_shared<SpeechListener>();
        listener->file = path;
        return listener;
    };
    return make;
}

void talkCheck(const QString &path)
{
    // An unreadable file would otherwise end the stream silently and look like silence.
    WavReader reader;
    if (!reader.open(path)) {
        sayProblem(TalkProblem::failed(QStringLiteral("cannot read ") + path));
        exitProcess()(1);
        return;
    }

    auto run = std::make_shared<Run>();
    runs().append(run);
    run->listener = talkCheckListener()(path);
    run->clock.start();
    const std::weak_ptr<Run> weak = run;
    run->listener->setOnHeard([weak](const QString &) {
        if (const auto r = weak.lock(); r && !r->firstWords)
            r->firstWords = r->seconds();
    });
    run->listener->setOnProblem([weak](const TalkProblem &problem) {
        const auto r = weak.lock();
        if (!r || r->over)
            return;
        sayProblem(problem);
        if (!isNotice(problem))
            end(*r, 1);
    });
    run->listener->start();
    if (run->over)
        return;
    QTimer::singleShot(stopAfterMs, [weak] {
        const auto r = weak.lock();
        if (!r || r->over)
            return;
        r->listener->stop([weak](const QString &text) {
            const auto run = weak.lock();
            if (!run || run->over)
                return;
            logModelLoad();
            sink()(QString::asprintf("first words after %.2f s, done after %.2f s", run->firstWords.value_or(-1),
                                     run->seconds()));
            sink()(QStringLiteral("heard: ") + text);
            sink()(QStringLiteral("as a comment: ") + SpokenText::tidy(text));
            run->over = true;
            exitProcess()(text.isEmpty() ? 1 : 0);
        });
    });
}

} // namespace Autopilot
