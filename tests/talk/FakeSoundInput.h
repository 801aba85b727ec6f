#pragma once
#include "talk/SoundInput.h"

// A microphone driven by the test: it reports the format it was given, fails to start when
// told to, and hands the test's buffers to the tap.
class FakeSoundInput final : public SoundInput {
public:
    struct State {
        SoundFormat format{48000, 1, SampleType::float32};
        std::optional<QString> startFailure;
        Tap tap;
        int starts = 0;
        int stops = 0;
    };

    explicit FakeSoundInput(std::shared_ptr<State> state) : m_state(std::move(state)) {}

    SoundFormat format() override { return m_state->format; }
    std::optional<QString> start(int, Tap tap) override
    {
        ++m_state->starts;
        if (m_state->startFailure)
            return m_state->startFailure;
        m_state->tap = std::move(tap);
        return std::nullopt;
    }
    void stop() override
    {
        ++m_state->stops;
        m_state->tap = nullptr;
    }

private:
    std::shared_ptr<State> m_state;
};
