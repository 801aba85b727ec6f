#include "canvas/DisplayImages.h"

#include <QCoreApplication>
#include <QThread>

#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

qint64 bytes(const QImage &image)
{
    return qint64(image.bytesPerLine()) * image.height();
}

constexpr size_t hugePage = size_t(1) << 21;

// A premultiplied ARGB32 copy of a large picture's pixels, still tagged with the picture's colour
// space, in memory of its own that the kernel may back with 2 MiB pages: a full copy is tens of MiB
// touched for the first time, and fewer page faults make it markedly sooner. Pictures of less than
// a few such pages are copied as usual.
QImage largeCopy(const QImage &picture)
{
    if (qint64(picture.width()) * picture.height() * 4 < qint64(4 * hugePage))
        return picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage source = picture.format() == QImage::Format_ARGB32_Premultiplied || picture.format() == QImage::Format_RGB32
        ? picture
        : picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (source.isNull())
        return QImage();
    const qsizetype line = qsizetype(source.width()) * 4;
    const size_t size = (size_t(line) * size_t(source.height()) + hugePage - 1) & ~(hugePage - 1);
    void *memory = std::aligned_alloc(hugePage, size);
    if (!memory)
        return QImage();
    madvise(memory, size, MADV_HUGEPAGE);
    QImage copy(static_cast<uchar *>(memory), source.width(), source.height(), line,
                QImage::Format_ARGB32_Premultiplied, [](void *m) { std::free(m); }, memory);
    if (copy.isNull()) {
        std::free(memory);
        return QImage();
    }
    // Opaque pixels (RGB32 keeps 0xff in its alpha byte) are already premultiplied.
    for (int y = 0; y < source.height(); ++y)
        std::memcpy(copy.scanLine(y), source.constScanLine(y), size_t(line));
    copy.setColorSpace(source.colorSpace());
    return copy;
}
} // namespace

int DisplayImages::defaultWorkers()
{
    return std::min(std::max(QThread::idealThreadCount() - 2, 2), 6);
}

DisplayImages::DisplayImages(int workers)
    : m_wanted(std::make_shared<Wanted>())
    , m_queue(std::make_unique<QThreadPool>())
    , m_self(std::make_shared<DisplayImages *>(this))
{
    m_queue->setObjectName(QStringLiteral("app.quillet.display-images"));
    m_queue->setMaxThreadCount(std::max(workers, 1));
}

// Queued drawing is dropped; what is being drawn finishes and finds the cache gone.
DisplayImages::~DisplayImages()
{
    m_self.reset();
    m_queue->clear();
    m_queue->waitForDone();
}

QSize DisplayImages::smallSize(QSize size)
{
    const int m = std::max(size.width(), size.height());
    if (m <= smallSide)
        return size;
    return QSize(std::max(int(qint64(smallSide) * size.width() / m), 1),
                 std::max(int(qint64(smallSide) * size.height() / m), 1));
}

bool DisplayImages::sameSpace(const QColorSpace &a, const QColorSpace &b)
{
    if (a == b)
        return true;
    const QByteArray pa = a.iccProfile(), pb = b.iccProfile();
    return !pa.isEmpty() && !pb.isEmpty() && pa == pb;
}

// An untagged picture counts as being in the display's space, as the frozen screens are.
bool DisplayImages::inDisplayFormat(const QImage &picture, const QColorSpace &space)
{
    const QImage::Format f = picture.format();
    if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32_Premultiplied)
        return false;
    return !picture.colorSpace().isValid() || sameSpace(picture.colorSpace(), space);
}

std::optional<QImage> DisplayImages::redraw(const QImage &picture, const QColorSpace &space, int limit, bool keepSize)
{
    QSize size = picture.size();
    if (!keepSize)
        size = QSize(std::max(size.width(), size.height()) > limit ? smallSize(size) : size);
    if (size.width() < 1 || size.height() < 1 || picture.isNull())
        return std::nullopt;
    // A small copy is scaled first: its colours are converted on its own few pixels. A full copy is
    // converted in place in its own memory.
    QImage out = size == picture.size()
        ? largeCopy(picture)
        : picture.convertToFormat(QImage::Format_ARGB32_Premultiplied).scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (out.isNull())
        return std::nullopt;
    if (out.colorSpace().isValid() && space.isValid() && !sameSpace(out.colorSpace(), space))
        out.convertToColorSpace(space);
    else if (space.isValid())
        out.setColorSpace(space);
    out.setDevicePixelRatio(1);
    return out;
}

void DisplayImages::setSpace(const QColorSpace &space)
{
    if (!space.isValid())
        return;
    if (m_space && sameSpace(*m_space, space))
        return;
    m_space = space;
    m_failed = false;
    m_entries.clear();
    m_making.clear();
    {
        std::lock_guard<std::mutex> hold(m_wanted->lock);
        m_wanted->ids.clear();
    }
    m_queue->clear();
}

void DisplayImages::update(const QList<Job> &near, const QList<Job> &all)
{
    if (!m_space || m_failed)
        return;
    QSet<QUuid> present;
    for (const Job &job : all)
        present.insert(job.first);
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (present.contains(it.key()))
            ++it;
        else
            it = m_entries.erase(it);
    }
    {
        std::lock_guard<std::mutex> hold(m_wanted->lock);
        m_wanted->ids.clear();
        for (const Job &job : near)
            m_wanted->ids.insert(job.first);
    }
    trim();

    for (const Job &job : near) {
        const auto entry = m_entries.constFind(job.first);
        if (entry != m_entries.constEnd() && entry->full)
            continue;
        const Key key{job.first, true};
        if (m_making.contains(key))
            continue;
        m_making.insert(key);
        if (inDisplayFormat(job.second.image, *m_space)) {
            store(job.first, true, job.second.image, std::nullopt, *m_space);
            continue;
        }
        queue(job.first, true, job.second.image, 1);
    }
    for (const Job &job : all) {
        const auto entry = m_entries.constFind(job.first);
        if (entry != m_entries.constEnd() && (entry->standIn || entry->full))
            continue;
        if (m_making.contains(Key{job.first, true}))
            continue;
        const Key key{job.first, false};
        if (m_making.contains(key))
            continue;
        m_making.insert(key);
        queue(job.first, false, job.second.image, 0);
    }
}

void DisplayImages::queue(const QUuid &id, bool full, const QImage &picture, int priority)
{
    const QColorSpace space = *m_space;
    std::shared_ptr<Wanted> wanted = m_wanted;
    std::weak_ptr<DisplayImages *> self = m_self;
    m_queue->start(
        [id, full, picture, space, wanted, self] {
            std::optional<QImage> fullCopy;
            if (full && wanted->contains(id))
                fullCopy = redraw(picture, space, 0, true);
            const std::optional<QImage> small = redraw(fullCopy ? *fullCopy : picture, space, smallSide, false);
            QMetaObject::invokeMethod(qApp, [id, full, fullCopy, small, space, self] {
                if (const auto cache = self.lock())
                    (*cache)->store(id, full, fullCopy, small, space);
            });
        },
        priority);
}

void DisplayImages::store(const QUuid &id, bool full, const std::optional<QImage> &fullCopy,
                          const std::optional<QImage> &small, const QColorSpace &space)
{
    if (!m_space || !sameSpace(space, *m_space))
        return;
    m_making.remove(Key{id, full});
    if (!fullCopy && !small) {
        m_failed = true;
        return;
    }
    Entry entry = m_entries.value(id);
    ++m_clock;
    if (!m_entries.contains(id))
        entry.used = m_clock;
    if (!entry.standIn)
        entry.standIn = small;
    if (fullCopy && m_wanted->contains(id)) {
        entry.full = fullCopy;
        m_entries.insert(id, entry);
        if (onReady)
            onReady(id);
        return;
    }
    m_entries.insert(id, entry);
}

void DisplayImages::trim()
{
    QSet<QUuid> wanted;
    {
        std::lock_guard<std::mutex> hold(m_wanted->lock);
        wanted = m_wanted->ids;
    }
    QList<std::pair<qint64, QUuid>> unwanted; // (used, id)
    qint64 total = 0;
    for (auto it = m_entries.cbegin(); it != m_entries.cend(); ++it) {
        if (!it->full || wanted.contains(it.key()))
            continue;
        unwanted.append({it->used, it.key()});
        total += bytes(*it->full);
    }
    std::sort(unwanted.begin(), unwanted.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
    while (total > trimBytes && !unwanted.isEmpty()) {
        const QUuid id = unwanted.takeLast().second;
        Entry &entry = m_entries[id];
        total -= bytes(*entry.full);
        entry.full.reset();
    }
}

qint64 DisplayImages::heldBytes() const
{
    qint64 total = 0;
    for (const Entry &entry : m_entries)
        total += (entry.full ? bytes(*entry.full) : 0) + (entry.standIn ? bytes(*entry.standIn) : 0);
    return total;
}

qint64 DisplayImages::unwantedFullBytes() const
{
    qint64 total = 0;
    for (auto it = m_entries.cbegin(); it != m_entries.cend(); ++it) {
        if (it->full && !m_wanted->contains(it.key()))
            total += bytes(*it->full);
    }
    return total;
}

std::optional<DisplayImages::Found> DisplayImages::lookup(const QUuid &shot)
{
    const auto it = m_entries.find(shot);
    if (it == m_entries.end())
        return std::nullopt;
    it->used = ++m_clock;
    if (it->full)
        return Found{*it->full, true};
    if (it->standIn)
        return Found{*it->standIn, false};
    return std::nullopt;
}

std::optional<QImage> DisplayImages::fullCopy(const QUuid &shot) const
{
    const auto it = m_entries.constFind(shot);
    if (it == m_entries.constEnd())
        return std::nullopt;
    return it->full;
}

void DisplayImages::waitForWork()
{
    m_queue->waitForDone();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}
