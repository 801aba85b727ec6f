#pragma once
#include "talk/Resampler.h"
#include "talk/SoundBuffer.h"

#include <memory>
#include <optional>

// Converts captured sound to the recognizer's format: channels mixed down to one, the rate
// changed with a resampler whose state carries across buffers, samples clipped to the target
// type. A buffer already in the target format passes unchanged.
class SoundConverter {
public:
    // What the recognizer takes: 16 kHz mono 16-bit.
    static SoundFormat recognizerFormat() { return {16000, 1, SampleType::int16}; }

    explicit SoundConverter(SoundFormat target = recognizerFormat()) : m_target(target) {}

    // The buffer in the target format; none when it gives no frames (yet) or cannot be converted.
    std::optional<SoundBuffer> convert(const SoundBuffer &buffer);
    // Frames of room an output buffer gets for `frames` input frames.
    static qint64 outputCapacity(int sourceRate, int targetRate, qint64 frames);

private:
    SoundFormat m_target;
    SoundFormat m_source; // the format the resampler's state belongs to
    std::unique_ptr<Resampler> m_resampler;
    std::vector<float> m_mono, m_resampled;
};
