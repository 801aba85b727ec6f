#include "WavReader.h"

#include <QtEndian>

namespace {
constexpr quint16 formatPcm = 1;
constexpr quint16 formatFloat = 3;
constexpr quint16 formatExtensible = 0xFFFE;
} // namespace

bool WavReader::fail(const QString &why)
{
    m_error = why;
    m_file.close();
    return false;
}

bool WavReader::open(const QString &path)
{
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly))
        return fail(m_file.errorString());
    const QByteArray riff = m_file.read(12);
    if (riff.size() < 12 || !riff.startsWith("RIFF") || riff.mid(8, 4) != "WAVE")
        return fail(QStringLiteral("not a WAV file"));

    bool haveFormat = false;
    for (;;) {
        const QByteArray header = m_file.read(8);
        if (header.size() < 8)
            return fail(QStringLiteral("no sound data in the WAV file"));
        const QByteArray id = header.left(4);
        const quint32 size = qFromLittleEndian<quint32>(header.constData() + 4);
        if (id == "fmt ") {
            if (size < 16 || size > 4096)
                return fail(QStringLiteral("bad WAV format chunk"));
            const QByteArray f = m_file.read(size);
            if (f.size() < qsizetype(size))
                return fail(QStringLiteral("bad WAV format chunk"));
            quint16 tag = qFromLittleEndian<quint16>(f.constData());
            const quint16 channels = qFromLittleEndian<quint16>(f.constData() + 2);
            const quint32 rate = qFromLittleEndian<quint32>(f.constData() + 4);
            const quint16 bits = qFromLittleEndian<quint16>(f.constData() + 14);
            if (tag == formatExtensible && size >= 26)
                tag = qFromLittleEndian<quint16>(f.constData() + 24); // the sub-format's first bytes
            if (tag == formatPcm && bits == 16)
                m_format.type = SampleType::int16;
            else if (tag == formatPcm && bits == 32)
                m_format.type = SampleType::int32;
            else if (tag == formatFloat && bits == 32)
                m_format.type = SampleType::float32;
            else
                return fail(QStringLiteral("unsupported WAV sample format"));
            if (channels == 0 || rate == 0 || rate > 1000000)
                return fail(QStringLiteral("bad WAV format chunk"));
            m_format.channels = channels;
            m_format.sampleRate = int(rate);
            haveFormat = true;
            if (size % 2)
                m_file.read(1);
        } else if (id == "data") {
            if (!haveFormat)
                return fail(QStringLiteral("WAV data before its format"));
            const qint64 available = m_file.size() - m_file.pos();
            // A streamed file may leave the size unset; take what is there.
            const qint64 bytes = std::min<qint64>(size, available);
            m_frames = bytes / m_format.bytesPerFrame();
            m_left = m_frames;
            return true;
        } else {
            if (!m_file.seek(m_file.pos() + size + (size % 2)))
                return fail(QStringLiteral("truncated WAV file"));
        }
    }
}

std::optional<SoundBuffer> WavReader::read(qint64 frames)
{
    SoundBuffer b;
    b.format = m_format;
    const qint64 n = std::min(frames, m_left);
    if (n <= 0)
        return b;
    b.data = m_file.read(n * m_format.bytesPerFrame());
    if (b.data.size() != n * m_format.bytesPerFrame()) {
        m_error = QStringLiteral("could not read the WAV file");
        return std::nullopt;
    }
    m_left -= n;
    return b;
}
