#pragma once
#include "talk/SoundInput.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QThread>

class MicrophoneReader;

// The default audio input through QAudioSource, which lives on a thread of its own; what it
// reads is cut into buffers of the asked number of frames and handed to the tap there.
class QtMicrophone final : public SoundInput {
public:
    QtMicrophone();
    ~QtMicrophone() override;

    SoundFormat format() override;
    std::optional<QString> start(int frames, Tap tap) override;
    void stop() override;

    // Our sentence for an audio error.
    static QString describe(int audioError);

private:
    QAudioDevice m_device;
    QAudioFormat m_format;
    QThread m_thread;
    MicrophoneReader *m_reader = nullptr; // lives on m_thread
};
