#pragma once
#include "talk/SoundBuffer.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

// A live sound input (the microphone). Buffers reach the tap on the input's own thread.
class SoundInput {
public:
    using Tap = std::function<void(SoundBuffer)>;

    virtual ~SoundInput() = default;
    // The format the input delivers; a rate of 0 or no channel when there is no input device.
    virtual SoundFormat format() = 0;
    // Starts delivering buffers of `frames` frames to `tap`; the reason when it will not start.
    virtual std::optional<QString> start(int frames, Tap tap) = 0;
    // Stops delivering; the tap is not called after this returns. Stopping twice does nothing.
    virtual void stop() = 0;
};

// The default microphone, read through Qt Multimedia on a thread of its own.
std::unique_ptr<SoundInput> makeMicrophone();
