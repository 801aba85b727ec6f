#pragma once
#include <functional>

// Whether the application may use the microphone, and the request for it.
class MicrophoneAccess {
public:
    enum class Status { authorized, notDetermined, denied, restricted };

    virtual ~MicrophoneAccess() = default;
    virtual Status status() = 0;
    // Asks the user; `answer` may come on any thread.
    virtual void request(std::function<void(bool granted)> answer) = 0;

    // Linux has no microphone permission: always authorized. Without an input device the
    // listener says that no microphone was found instead.
    static MicrophoneAccess &system();
};
