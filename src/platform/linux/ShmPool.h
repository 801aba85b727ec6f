#pragma once
#include <xcb/xcb.h>

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

// One System V shared-memory segment attached both here and in the X server.
struct ShmSegment
{
    int id = -1;
    void *addr = nullptr;
    size_t size = 0;
    uint32_t seg = 0; // the server's name for it
    explicit operator bool() const { return addr != nullptr; }
};

// The shared-memory segments of one X connection: a warm one kept for the next grab, the others
// detached as soon as their pictures are released. Thread-safe; outlives its connection when
// pictures are still held (close() is called before the connection goes).
class ShmPool
{
public:
    explicit ShmPool(xcb_connection_t *conn) : m_conn(conn) {}
    ~ShmPool() { close(); }

    // A segment of at least bytes, attached on the server; an empty one when none can be had.
    ShmSegment take(size_t bytes);
    void giveBack(ShmSegment segment);
    // The connection is going: detach everything idle; segments still in use are only unmapped
    // when they come back.
    void close();

private:
    void release(const ShmSegment &segment);

    std::mutex m_lock;
    xcb_connection_t *m_conn;
    std::vector<ShmSegment> m_idle;
    static constexpr size_t keepIdle = 1;
};
