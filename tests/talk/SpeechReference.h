#pragma once
// What the listener's words are held against: the engine alone over a whole file, the words a
// file really says, and the word errors between the two.
#include "talk/SphinxEngine.h"

#include <QFile>
#include <QStringList>

#include <err.h>
#include <pocketsphinx.h>

#include <algorithm>
#include <vector>

namespace SpeechReference {

// pocketsphinx alone, with the engine's settings, over all of a 16 kHz mono sound in one call:
// one utterance, its cepstral mean taken over the whole of it. The hold's text form.
inline QString wholeFileWords(const std::vector<qint16> &samples)
{
    static ps_decoder_t *decoder = [] {
        err_set_logfp(nullptr);
        const QList<QByteArray> arguments = SphinxEngine::decoderArguments(SphinxEngine::defaultModelFolder());
        std::vector<char *> argv;
        for (const QByteArray &a : arguments)
            argv.push_back(const_cast<char *>(a.constData()));
        cmd_ln_t *config = cmd_ln_parse_r(nullptr, ps_args(), int32(argv.size()), argv.data(), TRUE);
        return config ? ps_init(config) : nullptr;
    }();
    if (!decoder || samples.empty())
        return {};
    ps_start_stream(decoder);
    ps_start_utt(decoder);
    ps_process_raw(decoder, reinterpret_cast<const int16 *>(samples.data()), samples.size(), FALSE, TRUE);
    ps_end_utt(decoder);
    const char *hyp = ps_get_hyp(decoder, nullptr);
    return SphinxEngine::piece(QString::fromUtf8(hyp ? hyp : ""), false);
}

// Word-level edit distance (substitutions, insertions, deletions), case ignored.
inline int wordErrors(const QString &said, const QString &heard)
{
    const QStringList a = said.toLower().split(u' ', Qt::SkipEmptyParts);
    const QStringList b = heard.toLower().split(u' ', Qt::SkipEmptyParts);
    std::vector<int> row(size_t(b.size()) + 1);
    for (size_t j = 0; j < row.size(); ++j)
        row[j] = int(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = int(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int up = row[size_t(j)];
            row[size_t(j)] = std::min({up + 1, row[size_t(j) - 1] + 1,
                                       diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = up;
        }
    }
    return row.back();
}

inline int wordCount(const QString &text)
{
    return int(text.split(u' ', Qt::SkipEmptyParts).size());
}

// The lines "file|words" of a list, the file made absolute against the list's folder.
inline QList<QPair<QString, QString>> listed(const QString &list)
{
    QList<QPair<QString, QString>> out;
    QFile f(list);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return out;
    const QString folder = list.section(u'/', 0, -2);
    for (const QString &line : QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts)) {
        const qsizetype bar = line.indexOf(u'|');
        if (bar > 0)
            out.append({folder + u'/' + line.left(bar), line.mid(bar + 1)});
    }
    return out;
}

} // namespace SpeechReference
