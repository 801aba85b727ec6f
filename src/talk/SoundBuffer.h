#pragma once
#include <QByteArray>

// How samples are stored: interleaved frames of `channels` samples of one type.
enum class SampleType { int16, int32, float32 };

struct SoundFormat {
    int sampleRate = 0;
    int channels = 0;
    SampleType type = SampleType::float32;

    int bytesPerSample() const { return type == SampleType::int16 ? 2 : 4; }
    int bytesPerFrame() const { return bytesPerSample() * channels; }
    bool isValid() const { return sampleRate > 0 && channels > 0; }
    friend bool operator==(const SoundFormat &, const SoundFormat &) = default;
};

// One buffer of captured or decoded sound. It owns its bytes; once handed on, nothing writes to it.
struct SoundBuffer {
    SoundFormat format;
    QByteArray data;

    qint64 frames() const
    {
        const int frame = format.bytesPerFrame();
        return frame > 0 ? data.size() / frame : 0;
    }
    // The sample of one channel of one frame, as a float where full scale is ±1.
    float sample(qint64 frame, int channel) const
    {
        const char *p = data.constData() + frame * format.bytesPerFrame()
                        + qint64(channel) * format.bytesPerSample();
        switch (format.type) {
        case SampleType::int16:
            return float(*reinterpret_cast<const qint16 *>(p)) / 32768.0f;
        case SampleType::int32:
            return float(double(*reinterpret_cast<const qint32 *>(p)) / 2147483648.0);
        case SampleType::float32:
            break;
        }
        return *reinterpret_cast<const float *>(p);
    }
};
