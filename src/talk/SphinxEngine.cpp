#include "SphinxEngine.h"
#include "talk/SoundConverter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

#include <cmn.h>
#include <err.h>
#include <feat.h>
#include <pocketsphinx.h>

#include <algorithm>
#include <atomic>
#include <type_traits>

static_assert(std::is_same_v<mfcc_t, float>, "the saved cepstral mean is kept as floats");

class SphinxRun final : public SpeechRun {
public:
    SphinxRun(std::shared_ptr<SoundStream> s, SpeechEngine::Handlers h)
        : sound(std::move(s)), handlers(std::move(h))
    {
    }
    void cancel() override
    {
        cancelled = true;
        sound->finish(); // wakes the worker if it waits for sound
    }

    std::shared_ptr<SoundStream> sound;
    SpeechEngine::Handlers handlers;
    std::atomic<bool> cancelled = false;
};

namespace {
// Runs `work` on the main thread after everything posted before it.
void toMain(std::function<void()> work)
{
    if (QCoreApplication *app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, std::move(work), Qt::QueuedConnection);
}

void postResult(const std::shared_ptr<SphinxRun> &run, SpeechResult result)
{
    toMain([run, result] {
        if (!run->cancelled && run->handlers.result)
            run->handlers.result(result);
    });
}
} // namespace

SphinxEngine::SphinxEngine(QString modelFolder) : m_folder(std::move(modelFolder))
{
    m_thread = std::thread([this] { work(); });
}

SphinxEngine::~SphinxEngine()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
        for (auto &r : m_queue)
            r->cancel();
        if (m_current)
            m_current->cancel();
    }
    m_wake.notify_all();
    m_thread.join();
    if (m_decoder)
        ps_free(m_decoder);
}

QString SphinxEngine::defaultModelFolder()
{
    return QStringLiteral(QUILLET_SPHINX_MODELS "/en-us");
}

QString SphinxEngine::piece(const QString &hypothesis, bool followsSettled)
{
    static const QRegularExpression alternate(QStringLiteral("\\(\\d+\\)$"));
    QStringList words = hypothesis.split(u' ', Qt::SkipEmptyParts);
    for (QString &w : words) {
        w.remove(alternate);
        if (w == QLatin1String("i") || w.startsWith(QLatin1String("i'")))
            w[0] = u'I';
    }
    words.removeAll(QString());
    QString out = words.join(u' ');
    if (out.isEmpty())
        return out;
    if (followsSettled)
        return u' ' + out;
    out[0] = out.at(0).toUpper();
    return out;
}

bool SphinxEngine::installed() const
{
    return QFileInfo(m_folder + QStringLiteral("/en-us/mdef")).isFile()
           && QFileInfo(m_folder + QStringLiteral("/en-us.lm.bin")).isFile()
           && QFileInfo(m_folder + QStringLiteral("/cmudict-en-us.dict")).isFile();
}

std::optional<SpeechLanguage> SphinxEngine::language(const QString &requested)
{
    if (QLocale(requested).language() != QLocale::English)
        return std::nullopt;
    return SpeechLanguage{QStringLiteral("en-US"), QStringLiteral("pocketsphinx-en-us"), installed()};
}

QStringList SphinxEngine::installedLanguages()
{
    return installed() ? QStringList{QStringLiteral("en-US")} : QStringList{};
}

void SphinxEngine::warmUp()
{
    {
        std::lock_guard lock(m_mutex);
        m_loadAsked = true;
    }
    m_wake.notify_all();
}

double SphinxEngine::loadSeconds() const
{
    std::lock_guard lock(m_mutex);
    return m_loadSeconds;
}

std::shared_ptr<SpeechRun> SphinxEngine::recognize(std::shared_ptr<SoundStream> sound,
                                                   const QString &, Handlers handlers)
{
    auto run = std::make_shared<SphinxRun>(std::move(sound), std::move(handlers));
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(run);
    }
    m_wake.notify_all();
    return run;
}

void SphinxEngine::work()
{
    for (;;) {
        std::shared_ptr<SphinxRun> next;
        bool loadOnly = false;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_quit || !m_queue.empty() || m_loadAsked; });
            if (m_quit)
                return;
            if (!m_queue.empty()) {
                next = m_queue.front();
                m_queue.pop_front();
                m_current = next;
            } else {
                loadOnly = true;
            }
            m_loadAsked = false;
        }
        if (loadOnly) {
            load();
            continue;
        }
        std::optional<QString> failure;
        if (!load())
            failure = QStringLiteral("the speech model is not ready");
        else
            run(*next);
        {
            std::lock_guard lock(m_mutex);
            m_current.reset();
        }
        toMain([next, failure] {
            if (next->handlers.ended)
                next->handlers.ended(next->cancelled ? std::nullopt : failure);
        });
    }
}

namespace {
bool startsWith(const QString &path, std::initializer_list<QByteArray> magics)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = f.read(32);
    return std::any_of(magics.begin(), magics.end(), [&](const QByteArray &m) { return head.startsWith(m); });
}
} // namespace

bool SphinxEngine::looksLoadable() const
{
    // pocketsphinx ends the whole process on a model file it cannot parse, so the files are
    // checked for their formats before it reads them.
    const QString am = m_folder + QStringLiteral("/en-us/");
    return startsWith(am + QStringLiteral("mdef"), {"BMDF", "0.3"})
           && startsWith(am + QStringLiteral("means"), {"s3\n"})
           && startsWith(am + QStringLiteral("variances"), {"s3\n"})
           && startsWith(am + QStringLiteral("transition_matrices"), {"s3\n"})
           && QFileInfo(am + QStringLiteral("feat.params")).isFile()
           && QFileInfo(am + QStringLiteral("noisedict")).isFile()
           && startsWith(m_folder + QStringLiteral("/en-us.lm.bin"), {"Trie Language Model"});
}

bool SphinxEngine::load()
{
    if (m_decoder)
        return true;
    if (!installed())
        return false;
    if (m_loadFailed || !looksLoadable()) {
        m_loadFailed = true;
        return false;
    }
    QElapsedTimer timer;
    timer.start();
    err_set_logfp(nullptr);
    const QList<QByteArray> arguments = decoderArguments(m_folder);
    std::vector<char *> argv;
    for (const QByteArray &a : arguments)
        argv.push_back(const_cast<char *>(a.constData()));
    cmd_ln_t *config = cmd_ln_parse_r(nullptr, ps_args(), int32(argv.size()), argv.data(), TRUE);
    if (config) {
        m_decoder = ps_init(config);
        cmd_ln_free_r(config); // the decoder keeps its own reference
    }
    m_loadFailed = !m_decoder;
    if (feat_t *feat = m_decoder ? ps_get_feat(m_decoder) : nullptr; feat && feat->cmn_struct) {
        m_initialMean.resize(std::size_t(feat_cepsize(feat)));
        cmn_live_get(feat->cmn_struct, m_initialMean.data());
        m_cmnType = feat->cmn;
    }
    std::lock_guard lock(m_mutex);
    m_loadSeconds = timer.nsecsElapsed() / 1e9;
    return m_decoder;
}

QList<QByteArray> SphinxEngine::decoderArguments(const QString &modelFolder)
{
    // The search keeps pocketsphinx's own settings: none of the language weights, insertion
    // penalties, beams, caps on active models, or noise and speech detection settings measured
    // did better on both recorded and synthetic speech.
    return {"-hmm", (modelFolder + QStringLiteral("/en-us")).toLocal8Bit(),
            "-lm", (modelFolder + QStringLiteral("/en-us.lm.bin")).toLocal8Bit(),
            "-dict", (modelFolder + QStringLiteral("/cmudict-en-us.dict")).toLocal8Bit()};
}

namespace {
// Frames of earlier sound the model's initial cepstral mean counts as in a live pass: small, so
// the running mean soon follows the voice and the microphone of the hold.
constexpr int32 initialMeanWeight = 100;
} // namespace

void SphinxEngine::startLivePass()
{
    ps_start_stream(m_decoder);
    if (feat_t *feat = ps_get_feat(m_decoder); feat && feat->cmn_struct && !m_initialMean.empty()) {
        cmn_t *cmn = feat->cmn_struct;
        for (int32 i = 0; i < cmn->veclen; ++i) {
            cmn->cmn_mean[i] = m_initialMean[std::size_t(i)];
            cmn->sum[i] = m_initialMean[std::size_t(i)] * initialMeanWeight;
        }
        cmn->nframe = initialMeanWeight;
    }
    ps_start_utt(m_decoder);
}

QString SphinxEngine::wholePass(const qint16 *samples, std::size_t count)
{
    ps_start_stream(m_decoder);
    // The model's own normalisation again: over the whole utterance at once.
    if (feat_t *feat = ps_get_feat(m_decoder))
        feat->cmn = cmn_type_t(m_cmnType);
    if (ps_start_utt(m_decoder) != 0)
        return {};
    ps_process_raw(m_decoder, reinterpret_cast<const int16 *>(samples), count, FALSE, TRUE);
    ps_end_utt(m_decoder);
    const char *hyp = ps_get_hyp(m_decoder, nullptr);
    return QString::fromUtf8(hyp ? hyp : "");
}

QString SphinxEngine::liveWords(bool followsSettled)
{
    const char *hyp = ps_get_hyp(m_decoder, nullptr);
    return piece(QString::fromUtf8(hyp ? hyp : ""), followsSettled);
}

void SphinxEngine::run(SphinxRun &run)
{
    // The run is shared with the results posted to the main thread.
    std::shared_ptr<SphinxRun> self;
    {
        std::lock_guard lock(m_mutex);
        self = m_current;
    }
    SoundConverter converter;
    std::vector<qint16> heard; // the run's sound in the decoder's format
    // The whole pass made at the last pause in the speech, and whether anything was said since:
    // a hold released in that pause has its final words ready.
    std::optional<QString> paused;
    bool spokeSincePause = false;
    QString partial;
    constexpr qint64 hypothesisFrames = 1600; // 0.1 s at 16 kHz
    qint64 sinceHypothesis = 0;
    // Past 20 s of sound a whole pass takes seconds, longer than the pause it would fill: the
    // passes at pauses stop there, and the end decodes the hold as before.
    constexpr std::size_t pausePassLimit = 20 * 16000;
    auto tell = [&](const QString &text) {
        if (text != partial && !text.isEmpty()) {
            partial = text;
            postResult(self, {text, false});
        }
    };

    startLivePass();
    cmn_t *cmn = ps_get_feat(m_decoder) ? ps_get_feat(m_decoder)->cmn_struct : nullptr;
    while (std::optional<SoundBuffer> buffer = run.sound->next()) {
        if (run.cancelled)
            break;
        std::optional<SoundBuffer> sound = converter.convert(*buffer);
        if (!sound)
            continue;
        const auto *samples = reinterpret_cast<const qint16 *>(sound->data.constData());
        heard.insert(heard.end(), samples, samples + sound->frames());
        // Once the input has ended only the final words are waited for: the sound still queued
        // (all of a file read at once, or a hold released while the model loaded) goes straight
        // to the whole pass, unless the words of a pause may still be the hold's: then the live
        // search goes on, to learn whether anything was said after it.
        if (run.sound->isFinished() && (!paused || spokeSincePause))
            continue;
        ps_process_raw(m_decoder, reinterpret_cast<const int16 *>(samples), size_t(sound->frames()), FALSE, FALSE);
        // The live mean follows the sound heard so far.
        if (cmn)
            cmn_live_update(cmn);
        sinceHypothesis += sound->frames();
        const bool speaking = ps_get_in_speech(m_decoder);
        spokeSincePause = spokeSincePause || speaking;
        // Sound that waited for the model to load is caught up with before anything else.
        if (run.sound->hasQueued())
            continue;
        if (!speaking && spokeSincePause && !run.sound->isFinished() && heard.size() <= pausePassLimit) {
            // The speaker paused: the hold so far is decoded as a whole now, while the key is
            // still down, and the live search starts again after it.
            ps_end_utt(m_decoder);
            paused = piece(wholePass(heard.data(), heard.size()), false);
            spokeSincePause = false;
            tell(*paused);
            startLivePass();
            sinceHypothesis = 0;
            continue;
        }
        // The interim text is a search of its own: at most ten a second of sound.
        if (sinceHypothesis < hypothesisFrames || !speaking)
            continue;
        sinceHypothesis = 0;
        const bool afterPause = paused && !paused->isEmpty();
        tell((afterPause ? *paused : QString()) + liveWords(afterPause));
    }
    ps_end_utt(m_decoder);
    if (run.cancelled)
        return;
    // Nothing said after the last pause (not even a sound the live search took for speech): the
    // pause's whole pass is the hold's. Else the whole hold is decoded now.
    QString text;
    if (paused && !spokeSincePause && liveWords(false).isEmpty())
        text = *paused;
    else if (!heard.empty())
        text = piece(wholePass(heard.data(), heard.size()), false);
    if (run.cancelled)
        return;
    if (!text.isEmpty())
        postResult(self, {text, true});
    else if (!partial.isEmpty())
        postResult(self, {QString(), false}); // no words after all: the interim text goes
}

std::shared_ptr<SpeechEngine> &SpeechEngine::shared()
{
    static std::shared_ptr<SpeechEngine> engine = std::make_shared<SphinxEngine>();
    return engine;
}
