#include "platform/linux/ShmPool.h"

#include <xcb/shm.h>

#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstdlib>

ShmSegment ShmPool::take(size_t bytes)
{
    {
        std::lock_guard guard(m_lock);
        if (!m_conn)
            return {};
        auto best = m_idle.end();
        for (auto it = m_idle.begin(); it != m_idle.end(); ++it)
            if (it->size >= bytes && (best == m_idle.end() || it->size < best->size))
                best = it;
        if (best != m_idle.end()) {
            ShmSegment s = *best;
            m_idle.erase(best);
            return s;
        }
    }
    ShmSegment s;
    s.id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (s.id < 0)
        return {};
    s.addr = shmat(s.id, nullptr, 0);
    if (s.addr == reinterpret_cast<void *>(-1)) {
        shmctl(s.id, IPC_RMID, nullptr);
        return {};
    }
    s.size = bytes;
    s.seg = xcb_generate_id(m_conn);
    xcb_generic_error_t *err = xcb_request_check(m_conn, xcb_shm_attach_checked(m_conn, s.seg, uint32_t(s.id), 0));
    // The segment disappears once both sides have detached.
    shmctl(s.id, IPC_RMID, nullptr);
    if (err) {
        free(err);
        shmdt(s.addr);
        return {};
    }
    return s;
}

void ShmPool::giveBack(ShmSegment segment)
{
    std::lock_guard guard(m_lock);
    if (m_conn && m_idle.size() < keepIdle) {
        m_idle.push_back(segment);
        return;
    }
    release(segment);
}

void ShmPool::close()
{
    std::lock_guard guard(m_lock);
    for (const ShmSegment &s : m_idle)
        release(s);
    m_idle.clear();
    m_conn = nullptr;
}

void ShmPool::release(const ShmSegment &segment)
{
    if (m_conn) {
        xcb_shm_detach(m_conn, segment.seg);
        xcb_flush(m_conn);
    }
    shmdt(segment.addr);
}
