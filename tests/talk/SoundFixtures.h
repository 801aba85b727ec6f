#pragma once
#include "talk/SoundBuffer.h"
#include "talk/WavReader.h"

#include <QFile>
#include <QtEndian>

#include <cmath>
#include <vector>

namespace SoundFixtures {

inline QString speechFile(const char *name)
{
    return QStringLiteral(QUILLET_TEST_BIN_DIR "/speech/") + QLatin1String(name);
}

// A whole WAV file as one buffer.
inline SoundBuffer readAll(const QString &path)
{
    WavReader reader;
    if (!reader.open(path))
        return {};
    return reader.read(reader.frameCount()).value_or(SoundBuffer{});
}

inline SoundBuffer sine(SoundFormat format, double hz, double amplitude, qint64 frames)
{
    SoundBuffer b{format, QByteArray(frames * format.bytesPerFrame(), Qt::Uninitialized)};
    char *p = b.data.data();
    for (qint64 i = 0; i < frames; ++i) {
        const double v = amplitude * std::sin(2 * M_PI * hz * double(i) / format.sampleRate);
        for (int c = 0; c < format.channels; ++c) {
            switch (format.type) {
            case SampleType::int16:
                *reinterpret_cast<qint16 *>(p) = qint16(std::lround(v * 32767));
                break;
            case SampleType::int32:
                *reinterpret_cast<qint32 *>(p) = qint32(std::llround(v * 2147483647.0));
                break;
            case SampleType::float32:
                *reinterpret_cast<float *>(p) = float(v);
                break;
            }
            p += format.bytesPerSample();
        }
    }
    return b;
}

// Frames `from`..`from + count` of a buffer.
inline SoundBuffer slice(const SoundBuffer &b, qint64 from, qint64 count)
{
    const int f = b.format.bytesPerFrame();
    return {b.format, b.data.mid(from * f, count * f)};
}

inline std::vector<qint16> int16Samples(const SoundBuffer &b)
{
    std::vector<qint16> out(size_t(b.data.size() / 2));
    memcpy(out.data(), b.data.constData(), out.size() * 2);
    return out;
}

// Writes a WAV file of the buffer (PCM, or IEEE float in the extensible header when asked).
inline bool writeWav(const QString &path, const SoundBuffer &b, bool extensible = false)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    auto u16 = [&](quint16 v) { v = qToLittleEndian(v); f.write(reinterpret_cast<char *>(&v), 2); };
    auto u32 = [&](quint32 v) { v = qToLittleEndian(v); f.write(reinterpret_cast<char *>(&v), 4); };
    const quint16 tag = b.format.type == SampleType::float32 ? 3 : 1;
    const quint32 fmtSize = extensible ? 40 : 16;
    f.write("RIFF");
    u32(quint32(4 + 8 + fmtSize + 8 + 4 + 8 + b.data.size()));
    f.write("WAVE");
    f.write("LIST"); // a chunk the reader skips
    u32(4);
    f.write("INFO");
    f.write("fmt ");
    u32(fmtSize);
    u16(extensible ? 0xFFFE : tag);
    u16(quint16(b.format.channels));
    u32(quint32(b.format.sampleRate));
    u32(quint32(b.format.sampleRate * b.format.bytesPerFrame()));
    u16(quint16(b.format.bytesPerFrame()));
    u16(quint16(b.format.bytesPerSample() * 8));
    if (extensible) {
        u16(22);
        u16(quint16(b.format.bytesPerSample() * 8));
        u32(0);
        u16(tag); // the sub-format GUID begins with the format tag
        f.write(QByteArray("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14));
    }
    f.write("data");
    u32(quint32(b.data.size()));
    f.write(b.data);
    return true;
}

} // namespace SoundFixtures
