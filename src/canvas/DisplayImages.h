#pragma once
#include "capture/ShotImage.h"

#include <QColorSpace>
#include <QHash>
#include <QImage>
#include <QList>
#include <QSet>
#include <QThreadPool>
#include <QUuid>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

// Copies of a canvas's shot pictures made ready for the display the canvas is on: per shot a full
// copy in the display's colour space and a small copy (longer side at most 1024 px), drawn on a
// pool of worker threads. Full copies are kept for the shots of the current page and its nearest
// pages; those of other pages are dropped, least recently looked up first, beyond 384 MiB. A
// picture already in the display's format is its own full copy at once. Main thread only, but for
// the workers' drawing; results come back to the main thread and are dropped when they were drawn
// for another colour space or the cache is gone.
class DisplayImages
{
public:
    using Job = std::pair<QUuid, ShotImage>;
    struct Found
    {
        QImage image;
        bool full = false;
    };

    static constexpr qint64 trimBytes = 402653184; // 384 MiB
    static constexpr int smallSide = 1024;

    // workers: the pool's thread count, by default min(max(ideal thread count - 2, 2), 6).
    explicit DisplayImages(int workers = defaultWorkers());
    ~DisplayImages();
    DisplayImages(const DisplayImages &) = delete;
    DisplayImages &operator=(const DisplayImages &) = delete;

    // Called on the main thread when a wanted full copy has been stored.
    std::function<void(const QUuid &)> onReady;

    // The colour space of the display; a different one empties the cache and cancels what is
    // queued. An invalid space changes nothing.
    void setSpace(const QColorSpace &space);
    // near: the shots of the current page and the pages nearest to it (their full copies are
    // wanted); all: the shots of every page (each gets a small copy).
    void update(const QList<Job> &near, const QList<Job> &all);
    // The copy to show for a shot: the full copy when there is one, else the small one. Marks the
    // shot as just used.
    std::optional<Found> lookup(const QUuid &shot);
    // The full copy only, without marking it used.
    std::optional<QImage> fullCopy(const QUuid &shot) const;

    // How many copies are being drawn or waiting (tests).
    int pending() const { return int(m_making.size()); }
    bool hasFailed() const { return m_failed; }
    // Blocks until the workers are done and their results have been stored (tests, teardown).
    void waitForWork();
    // Bytes held in copies (bytesPerLine × height): all of them, and the full copies of shots
    // no longer wanted (those the trim weighs).
    qint64 heldBytes() const;
    qint64 unwantedFullBytes() const;
    int workerCount() const { return m_queue->maxThreadCount(); }
    // The size of a small copy of a picture of that size.
    static QSize smallSize(QSize size);
    static int defaultWorkers();

private:
    struct Entry
    {
        std::optional<QImage> full;
        std::optional<QImage> standIn;
        qint64 used = 0;
    };
    struct Wanted
    {
        std::mutex lock;
        QSet<QUuid> ids;
        bool contains(const QUuid &id)
        {
            std::lock_guard<std::mutex> hold(lock);
            return ids.contains(id);
        }
    };
    using Key = std::pair<QUuid, bool>; // the shot and whether its full copy is made

    void trim();
    void queue(const QUuid &id, bool full, const QImage &picture, int priority);
    void store(const QUuid &id, bool full, const std::optional<QImage> &fullCopy,
               const std::optional<QImage> &small, const QColorSpace &space);
    static bool sameSpace(const QColorSpace &a, const QColorSpace &b);
    static bool inDisplayFormat(const QImage &picture, const QColorSpace &space);
    static std::optional<QImage> redraw(const QImage &picture, const QColorSpace &space, int limit, bool keepSize);

    QHash<QUuid, Entry> m_entries;
    std::optional<QColorSpace> m_space;
    qint64 m_clock = 0;
    QSet<Key> m_making;
    std::shared_ptr<Wanted> m_wanted;
    bool m_failed = false;
    std::unique_ptr<QThreadPool> m_queue;
    std::shared_ptr<DisplayImages *> m_self; // workers' results reach the cache through this
};
