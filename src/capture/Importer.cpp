#include "capture/Importer.h"

#include "capture/HeifDecoder.h"
#include "capture/ImageResolution.h"

#include "app/ActivityLog.h"
#include "platform/RegularFile.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QMimeData>
#include <QMimeDatabase>
#include <QPointer>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentMap>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cmath>
#include <mutex>
#include <numeric>

namespace Importer {

namespace {

// Qt refuses to allocate more than 128 MB for one picture by default; the pixel limit decides
// here, for pictures of up to 8 bytes a pixel (16 bits a channel).
void raiseAllocationLimit()
{
    static std::once_flag once;
    std::call_once(once, [] {
        QImageReader::setAllocationLimit(int(std::ceil(double(maxPixels) * 8 / (1024.0 * 1024.0))));
    });
}

QImage premultiplied(QImage image)
{
    if (image.isNull())
        return image;
    if (!image.hasAlphaChannel())
        return image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
    return image.format() == QImage::Format_ARGB32_Premultiplied
               ? image
               : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// Pixels per point from a picture's resolution: 72 dpi for each pixel per point (144 dpi is 2),
// as this app writes its pictures. Linux programs write 96 dpi for a logical pixel at scale 1
// (Qt's default for every picture), so 96 dpi and its multiples count by 96 instead (192 dpi is
// 2) unless they are also multiples of 72 (288 dpi is this app's 4). A scale outside 1 to 4
// counts as 1, and so does a picture that states no resolution.
double scaleFor(const QByteArray &data)
{
    const std::optional<double> dpi = ImageResolution::dotsPerInch(data);
    if (!dpi || *dpi <= 0)
        return 1;
    const auto multipleOf = [&](double base) {
        const double n = *dpi / base;
        return std::abs(n - std::round(n)) < 1e-6;
    };
    const double scale = multipleOf(96) && !multipleOf(72) ? *dpi / 96 : *dpi / 72;
    return scale < 1 || scale > 4 ? 1 : scale;
}

std::optional<Picture> fromImage(const QImage &decoded, double scale)
{
    if (decoded.isNull() || decoded.width() <= 3 || decoded.height() <= 3)
        return std::nullopt;
    return Picture{premultiplied(decoded), scale, std::nullopt};
}

std::optional<Picture> decodeHeif(const QByteArray &data)
{
    const HeifDecoder heif(data);
    const QSize size = heif.size();
    if (!heif.isValid() || !withinPixelLimit(size.width(), size.height()))
        return std::nullopt;
    return fromImage(heif.decode(), 1);
}

QList<QUrl> fileUrls(const QMimeData *data)
{
    QList<QUrl> out;
    if (!data || !data->hasUrls())
        return out;
    for (const QUrl &u : data->urls())
        if (u.isLocalFile())
            out.append(u);
    return out;
}

std::atomic<qint64> budgetUsed{0};

// Pixels taken from the budget, given back when the opening's result goes.
struct Reservation {
    qint64 held = 0;
    bool take(qint64 pixels)
    {
        qint64 used = budgetUsed.load();
        do {
            if (used + pixels > budgetPixels)
                return false;
        } while (!budgetUsed.compare_exchange_weak(used, used + pixels));
        held += pixels;
        return true;
    }
    ~Reservation() { budgetUsed -= held; }
};

// The pixels a picture's header says it has; 0 when it says nothing (decode() refuses it then).
qint64 headerPixels(const QByteArray &data)
{
    if (HeifDecoder::looksLikeHeif(data)) {
        const QSize size = HeifDecoder(data).size();
        return qint64(std::max(size.width(), 0)) * std::max(size.height(), 0);
    }
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    return size.isValid() ? qint64(size.width()) * size.height() : 0;
}

bool isImageFile(const QString &path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path);
    return type.name().startsWith(QLatin1String("image/"));
}

} // namespace

QStringList imageTypes()
{
    return {QStringLiteral("image/png"), QStringLiteral("image/tiff"), QStringLiteral("image/jpeg"),
            QStringLiteral("image/heic")};
}

bool withinPixelLimit(qint64 width, qint64 height)
{
    return width > 0 && height > 0 && width <= maxPixels / height;
}

std::optional<QByteArray> readFile(const QString &path)
{
    RegularFile::Contents contents = RegularFile::read(path, maxBytes);
    if (!contents.ok()) {
        if (contents.status != RegularFile::Status::missing)
            activityLog(QStringLiteral("import: %1 is not read: %2").arg(path, contents.error));
        return std::nullopt;
    }
    return std::move(contents.data);
}

std::optional<Picture> decode(const std::optional<QByteArray> &data)
{
    if (!data || data->isEmpty() || data->size() > maxBytes)
        return std::nullopt;
    raiseAllocationLimit();
    if (HeifDecoder::looksLikeHeif(*data))
        return decodeHeif(*data);

    QBuffer buffer;
    buffer.setData(*data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    if (!size.isValid() || !withinPixelLimit(size.width(), size.height()))
        return std::nullopt;
    QImage image;
    if (!reader.read(&image))
        return std::nullopt;
    // The header may have said less than the picture holds.
    if (!withinPixelLimit(image.width(), image.height()))
        return std::nullopt;
    return fromImage(image, scaleFor(*data));
}

QImage downscaled(const QImage &image, int width)
{
    if (image.isNull() || width <= 0 || image.width() <= width)
        return image;
    const int height = std::max(1, int(std::lround(double(width) * image.height() / image.width())));
    const QImage out = image.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return out.isNull() ? image : premultiplied(out);
}

qint64 budgetInUse() { return budgetUsed.load(); }

Loaded load(const QList<QUrl> &urls)
{
    const int n = int(urls.size());
    if (n == 0)
        return {};
    // First, in file order: each file read and its size taken from its header, and admitted
    // while its pixels fit in the budget. Only admitted files are decoded, side by side.
    Loaded result;
    auto reservation = std::make_shared<Reservation>();
    std::vector<std::optional<QByteArray>> data{size_t(n)};
    std::vector<int> admitted;
    for (int i = 0; i < n; ++i) {
        const QUrl &url = urls.at(i);
        data[size_t(i)] = url.isLocalFile() ? readFile(url.toLocalFile()) : std::nullopt;
        if (!data[size_t(i)])
            continue;
        // A picture beyond the single-picture limit is refused by decode() as unreadable.
        const qint64 pixels = headerPixels(*data[size_t(i)]);
        if (pixels > 0 && pixels <= maxPixels && !reservation->take(pixels)) {
            data[size_t(i)].reset();
            result.refused << url.fileName();
            activityLog(QStringLiteral("import: %1 is not opened: its %2 megapixels are beyond what may be open at once")
                            .arg(url.toLocalFile())
                            .arg(pixels / 1000000));
            continue;
        }
        admitted.push_back(i);
    }
    std::vector<std::optional<Picture>> filled(size_t(n), std::nullopt);
    QtConcurrent::blockingMap(admitted, [&](int i) {
        std::optional<Picture> p = decode(data[size_t(i)]);
        data[size_t(i)].reset();
        if (p && n > 1)
            p->small = downscaled(p->image, smallWidth);
        filled[size_t(i)] = std::move(p);
    });
    for (auto &slot : filled)
        if (slot)
            result.pictures.append(std::move(*slot));
    result.failed = n - int(result.pictures.size()) - int(result.refused.size());
    result.reservation = std::move(reservation);
    return result;
}

void loadLater(const QList<QUrl> &urls, QObject *context, std::function<void(const Loaded &)> done)
{
    QPointer<QObject> guard(context);
    QThreadPool::globalInstance()->start([urls, guard, done = std::move(done)] {
        auto loaded = std::make_shared<Loaded>(load(urls));
        QObject *target = guard.data();
        if (!target)
            return;
        QMetaObject::invokeMethod(target, [guard, done, loaded] {
            if (guard)
                done(*loaded);
        });
    });
}

QString refusedMessage(const QStringList &names)
{
    return QStringLiteral("Not opened, too many pixels at once: ") + names.join(QStringLiteral(", "));
}

std::optional<Picture> picture(const QMimeData *data)
{
    if (!data)
        return std::nullopt;
    for (const QUrl &url : fileUrls(data))
        if (auto p = decode(readFile(url.toLocalFile())))
            return p;
    for (const QString &type : imageTypes())
        if (data->hasFormat(type))
            if (auto p = decode(data->data(type)))
                return p;
    if (data->hasImage()) {
        const QImage image = qvariant_cast<QImage>(data->imageData());
        if (withinPixelLimit(image.width(), image.height()))
            return fromImage(image, 1);
    }
    return std::nullopt;
}

Loaded pictures(const QMimeData *data)
{
    const QList<QUrl> urls = fileUrls(data);
    if (!urls.isEmpty()) {
        Loaded loaded = load(urls);
        if (!loaded.pictures.isEmpty())
            return loaded;
    }
    if (auto p = picture(data))
        return {{*p}, 0};
    return {{}, 1};
}

bool canRead(const QMimeData *data)
{
    if (!data)
        return false;
    for (const QUrl &url : fileUrls(data))
        if (isImageFile(url.toLocalFile()))
            return true;
    for (const QString &type : imageTypes())
        if (data->hasFormat(type))
            return true;
    return false;
}

QString addedMessage(int added, int failed)
{
    QString text = added == 1 ? QStringLiteral("Added 1 picture") : QStringLiteral("Added %1 pictures").arg(added);
    if (failed < 1)
        return text;
    if (failed == 1)
        return text + QStringLiteral("; 1 file is not a picture Quillet™ can read");
    return text + QStringLiteral("; %1 files are not pictures Quillet™ can read").arg(failed);
}

} // namespace Importer
