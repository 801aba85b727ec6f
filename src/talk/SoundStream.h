#pragma once
#include "talk/SoundBuffer.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

// The stream of sound buffers of one listening: any thread puts, one reader takes. Unbounded, so
// the producer (the audio thread) never waits and no buffer is dropped. Finishing wakes the
// reader, which still gets every buffer put before.
class SoundStream {
public:
    // Puts a buffer at the end; after `finish` it is dropped.
    void put(SoundBuffer buffer);
    void finish();
    bool isFinished() const;
    // Whether a buffer is waiting to be taken.
    bool hasQueued() const;
    // The next buffer, waiting for one; none once the stream is finished and empty.
    std::optional<SoundBuffer> next();

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<SoundBuffer> m_buffers;
    bool m_finished = false;
};
