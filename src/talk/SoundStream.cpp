#include "SoundStream.h"

void SoundStream::put(SoundBuffer buffer)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_finished)
            return;
        m_buffers.push_back(std::move(buffer));
    }
    m_ready.notify_one();
}

void SoundStream::finish()
{
    {
        std::lock_guard lock(m_mutex);
        m_finished = true;
    }
    m_ready.notify_all();
}

bool SoundStream::isFinished() const
{
    std::lock_guard lock(m_mutex);
    return m_finished;
}

bool SoundStream::hasQueued() const
{
    std::lock_guard lock(m_mutex);
    return !m_buffers.empty();
}

std::optional<SoundBuffer> SoundStream::next()
{
    std::unique_lock lock(m_mutex);
    m_ready.wait(lock, [this] { return m_finished || !m_buffers.empty(); });
    if (m_buffers.empty())
        return std::nullopt;
    SoundBuffer b = std::move(m_buffers.front());
    m_buffers.pop_front();
    return b;
}
