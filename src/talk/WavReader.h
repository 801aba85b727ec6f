#pragma once
#include "talk/SoundBuffer.h"

#include <QFile>
#include <QString>

#include <optional>

// Reads the samples of a WAV file: PCM of 16 or 32 bits and IEEE float of 32 bits (also in the
// extensible header), any rate and number of channels.
class WavReader {
public:
    // Opens the file and reads its header; false (with `error()`) when it is not such a file.
    bool open(const QString &path);
    const SoundFormat &format() const { return m_format; }
    qint64 frameCount() const { return m_frames; }
    QString error() const { return m_error; }

    // The next at most `frames` frames; an empty buffer at the end; none on a read error.
    std::optional<SoundBuffer> read(qint64 frames);

private:
    bool fail(const QString &why);

    QFile m_file;
    SoundFormat m_format;
    qint64 m_frames = 0;
    qint64 m_left = 0;
    QString m_error;
};
