#include "SoundLevel.h"

#include <algorithm>
#include <cmath>

namespace {
template <typename T>
double sumOfSquares(const SoundBuffer &b, double scale)
{
    const T *p = reinterpret_cast<const T *>(b.data.constData());
    const int step = b.format.channels;
    const qint64 n = b.frames();
    double sum = 0;
    for (qint64 i = 0; i < n; ++i) {
        const double v = double(p[i * step]) * scale;
        sum += v * v;
    }
    return sum;
}
} // namespace

float inputLevel(const SoundBuffer &buffer)
{
    const qint64 frames = buffer.frames();
    if (frames <= 0)
        return 0;
    double sum = 0;
    switch (buffer.format.type) {
    case SampleType::int16:
        sum = sumOfSquares<qint16>(buffer, 1.0 / 32768.0);
        break;
    case SampleType::int32:
        sum = sumOfSquares<qint32>(buffer, 1.0 / 2147483648.0);
        break;
    case SampleType::float32:
        sum = sumOfSquares<float>(buffer, 1.0);
        break;
    }
    const float rms = std::sqrt(float(sum / double(frames)));
    const float level = (20.0f * std::log10(std::max(rms, 0.00001f)) + 50.0f) / 38.0f;
    return std::clamp(level, 0.0f, 1.0f);
}
