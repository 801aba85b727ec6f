#pragma once
#include "talk/SpeechEngine.h"

#include <QByteArray>
#include <QList>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

struct ps_decoder_s;
class SphinxRun;

// Recognition with pocketsphinx and the installed US English model. One decoder serves the whole
// process from a worker thread and stays loaded; runs take turns on it in the order they came.
// A run is one utterance, however long its pauses: while the sound comes, a live search gives the
// interim words; the run's one final result is its whole sound decoded again in one piece, with
// the cepstral mean of all of it. So a hold's words are those of the engine over the same sound
// as a whole file. That whole pass is made at each pause in the speech, while the key is still
// held, so that a release in a pause finds the words ready; only sound said after the last pause
// makes the end wait for another.
class SphinxEngine final : public SpeechEngine {
public:
    // `modelFolder` holds the en-us acoustic model folder, en-us.lm.bin and cmudict-en-us.dict.
    explicit SphinxEngine(QString modelFolder = defaultModelFolder());
    ~SphinxEngine() override;

    static QString defaultModelFolder();
    // Turns the decoder's bare lower-case words into a piece of a hold's text: the hold's first
    // letter and the pronoun I capitalised, and a blank in front when it follows settled words.
    static QString piece(const QString &hypothesis, bool followsSettled);

    std::optional<SpeechLanguage> language(const QString &requested) override;
    QStringList installedLanguages() override;
    void warmUp() override;
    std::shared_ptr<SpeechRun> recognize(std::shared_ptr<SoundStream> sound, const QString &code,
                                         Handlers handlers) override;

    // The decoder's arguments (model files and search settings) for the models in `modelFolder`.
    static QList<QByteArray> decoderArguments(const QString &modelFolder);

    // Seconds the last model load took (0 before one); for the benchmarks.
    double loadSeconds() const;

private:
    bool installed() const;
    bool looksLoadable() const;
    void work();
    bool load();
    void run(SphinxRun &run);
    void startLivePass();
    // The decoder's bare words for `count` samples decoded as one whole utterance.
    QString wholePass(const qint16 *samples, std::size_t count);
    // The live search's words so far, as a piece of the hold's text.
    QString liveWords(bool followsSettled);

    QString m_folder;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::shared_ptr<SphinxRun>> m_queue;
    std::shared_ptr<SphinxRun> m_current;
    bool m_loadAsked = false;
    bool m_quit = false;
    // Worker thread only:
    ps_decoder_s *m_decoder = nullptr;
    bool m_loadFailed = false;
    double m_loadSeconds = 0;
    // The cepstral mean the model starts from, given back to the decoder at each live pass, and the
    // normalisation the model asks for (a live pass switches the decoder to the running kind).
    std::vector<float> m_initialMean;
    int m_cmnType = 0;
};
