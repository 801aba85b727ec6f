#include "SoundConverter.h"

#include <algorithm>
#include <cmath>

qint64 SoundConverter::outputCapacity(int sourceRate, int targetRate, qint64 frames)
{
    return qint64(std::ceil(double(targetRate) / double(sourceRate) * double(frames))) + 32;
}

std::optional<SoundBuffer> SoundConverter::convert(const SoundBuffer &buffer)
{
    if (buffer.format == m_target)
        return buffer;
    if (!buffer.format.isValid() || !m_target.isValid())
        return std::nullopt;
    if (buffer.format != m_source) {
        m_source = buffer.format;
        m_resampler.reset();
        if (m_source.sampleRate != m_target.sampleRate)
            m_resampler = std::make_unique<Resampler>(m_source.sampleRate, m_target.sampleRate);
    }

    const qint64 frames = buffer.frames();
    const int channels = buffer.format.channels;
    m_mono.resize(size_t(frames));
    for (qint64 i = 0; i < frames; ++i) {
        float sum = 0;
        for (int c = 0; c < channels; ++c)
            sum += buffer.sample(i, c);
        m_mono[size_t(i)] = sum / float(channels);
    }
    const std::vector<float> *signal = &m_mono;
    if (m_resampler) {
        m_resampled.clear();
        m_resampled.reserve(size_t(outputCapacity(m_source.sampleRate, m_target.sampleRate, frames)));
        m_resampler->process(m_mono.data(), frames, m_resampled);
        signal = &m_resampled;
    }
    if (signal->empty())
        return std::nullopt;

    SoundBuffer out;
    out.format = m_target;
    const qint64 n = qint64(signal->size());
    out.data.resize(n * m_target.bytesPerFrame());
    char *p = out.data.data();
    for (qint64 i = 0; i < n; ++i) {
        const float v = (*signal)[size_t(i)];
        for (int c = 0; c < m_target.channels; ++c) {
            switch (m_target.type) {
            case SampleType::int16: {
                const float s = std::clamp(std::round(v * 32768.0f), -32768.0f, 32767.0f);
                *reinterpret_cast<qint16 *>(p) = qint16(s);
                p += 2;
                break;
            }
            case SampleType::int32: {
                const double s = std::clamp(std::round(double(v) * 2147483648.0), -2147483648.0,
                                            2147483647.0);
                *reinterpret_cast<qint32 *>(p) = qint32(s);
                p += 4;
                break;
            }
            case SampleType::float32:
                *reinterpret_cast<float *>(p) = v;
                p += 4;
                break;
            }
        }
    }
    return out;
}
