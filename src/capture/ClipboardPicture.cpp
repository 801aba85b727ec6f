#include "capture/ClipboardPicture.h"

#include "app/ActivityLog.h"
#include "app/PngWriter.h"
#include "platform/MemoryPasteboard.h"

#include <QBuffer>
#include <QClipboard>
#include <QFuture>
#include <QGuiApplication>
#include <QImageWriter>
#include <QMimeData>
#include <QPointer>
#include <QThreadPool>
#include <QtConcurrent>

#include <cmath>

namespace {
using Encoder = std::function<QByteArray(const QImage &, const char *)>;

const QString pngType = QStringLiteral("image/png");
const QString tiffType = QStringLiteral("image/tiff");

std::shared_ptr<const Encoder> &encoderOverride()
{
    static std::shared_ptr<const Encoder> encoder;
    return encoder;
}

std::shared_ptr<MemoryPasteboard> &pasteboardSlot()
{
    static std::shared_ptr<MemoryPasteboard> pasteboard;
    return pasteboard;
}

// The workers that encode clipboard pictures, apart from the global pool so that other work
// never delays a paste.
QThreadPool &encoders()
{
    static QThreadPool *pool = [] {
        auto *p = new QThreadPool;
        p->setMaxThreadCount(2);
        return p;
    }();
    return *pool;
}

QByteArray writeImage(const QImage &image, const char *format)
{
    if (qstrcmp(format, "png") == 0)
        return PngWriter::encode(image);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    return writer.write(image) ? data : QByteArray();
}

QByteArray encodeWith(const std::shared_ptr<const Encoder> &encoder, const QImage &image, double scale,
                      const char *format)
{
    if (image.isNull())
        return QByteArray();
    QImage picture = image;
    const int dotsPerMeter = int(std::lround(72.0 * (std::isfinite(scale) && scale > 0 ? scale : 1) / 0.0254));
    if (picture.dotsPerMeterX() != dotsPerMeter || picture.dotsPerMeterY() != dotsPerMeter) {
        picture.setDotsPerMeterX(dotsPerMeter);
        picture.setDotsPerMeterY(dotsPerMeter);
    }
    return encoder ? (*encoder)(picture, format) : writeImage(picture, format);
}

// Offered types whose bytes are still being made: reading one waits for its worker.
class PendingPicture : public QMimeData
{
public:
    PendingPicture(QFuture<QByteArray> png, QFuture<QByteArray> tiff) : m_png(std::move(png)), m_tiff(std::move(tiff)) { }

    QStringList formats() const override
    {
        QStringList out;
        if (!failed(m_png))
            out << pngType;
        if (!failed(m_tiff))
            out << tiffType;
        return out;
    }

protected:
    QVariant retrieveData(const QString &type, QMetaType) const override
    {
        if (type == pngType)
            return bytes(m_png);
        if (type == tiffType)
            return bytes(m_tiff);
        return QVariant();
    }

private:
    static bool failed(const QFuture<QByteArray> &f) { return f.isFinished() && f.result().isEmpty(); }
    static QVariant bytes(const QFuture<QByteArray> &f)
    {
        const QByteArray data = f.result(); // waits for the worker
        return data.isEmpty() ? QVariant() : QVariant(data);
    }

    QFuture<QByteArray> m_png;
    QFuture<QByteArray> m_tiff;
};

void withdraw(const QPointer<QMimeData> &data)
{
    if (!data)
        return;
    if (const auto &board = pasteboardSlot(); board && board->mimeData() == data) {
        board->clear();
        return;
    }
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (clipboard && clipboard->mimeData(QClipboard::Clipboard) == data)
        clipboard->clear(QClipboard::Clipboard);
}
} // namespace

QByteArray ClipboardPicture::encode(const QImage &image, double scale, const char *format)
{
    return encodeWith(encoderOverride(), image, scale, format);
}

QByteArray ClipboardPicture::pngData(const QImage &image, double scale)
{
    return encode(image, scale, "png");
}

QMimeData *ClipboardPicture::mimeData(const QImage &image, double scale, std::function<void(bool)> done)
{
    if (image.isNull())
        return nullptr;
    const std::shared_ptr<const Encoder> encoder = encoderOverride();
    QFuture<QByteArray> png = QtConcurrent::run(&encoders(), [encoder, image, scale] {
        return encodeWith(encoder, image, scale, "png");
    });
    QFuture<QByteArray> tiff = QtConcurrent::run(&encoders(), [encoder, image, scale] {
        return encodeWith(encoder, image, scale, "tiff");
    });
    auto *data = new PendingPicture(png, tiff);
    if (done) {
        png.then(qApp, [done](const QByteArray &bytes) { done(!bytes.isEmpty()); });
    }
    return data;
}

bool ClipboardPicture::put(const QImage &image, double scale, std::function<void(bool)> done)
{
    if (image.isNull() || !withinLimits(image.size()))
        return false;
    if (!encoderOverride() && !QImageWriter::supportedImageFormats().contains("png"))
        return false;
    struct Offer {
        QPointer<QMimeData> data;
        bool offered = false;
    };
    auto offer = std::make_shared<Offer>();
    QMimeData *data = mimeData(image, scale, [offer, done](bool encoded) {
        if (!offer->offered)
            return;
        if (!encoded) {
            activityLog(QStringLiteral("export: the picture could not be encoded; the clipboard offer is withdrawn"));
            withdraw(offer->data);
        }
        if (done)
            done(encoded);
    });
    offer->data = data;
    if (const auto &board = pasteboardSlot()) {
        board->setMimeData(data);
    } else {
        QClipboard *clipboard = QGuiApplication::clipboard();
        if (!clipboard) {
            delete data;
            return false;
        }
        clipboard->setMimeData(data, QClipboard::Clipboard);
        if (clipboard->mimeData(QClipboard::Clipboard) != data) {
            activityLog(QStringLiteral("export: the clipboard could not be taken"));
            return false;
        }
    }
    offer->offered = true;
    activityLog(QStringLiteral("export: clipboard %1x%2").arg(image.width()).arg(image.height()));
    return true;
}

bool ClipboardPicture::withinLimits(const QSize &pixels)
{
    return pixels.width() <= maxSide && pixels.height() <= maxSide
        && qint64(pixels.width()) * pixels.height() <= maxPixels;
}

void ClipboardPicture::setTestPasteboard(std::shared_ptr<MemoryPasteboard> pasteboard)
{
    pasteboardSlot() = std::move(pasteboard);
}

std::shared_ptr<MemoryPasteboard> ClipboardPicture::testPasteboard()
{
    return pasteboardSlot();
}

void ClipboardPicture::setEncoderForTesting(std::function<QByteArray(const QImage &, const char *)> encoder)
{
    encoderOverride() = encoder ? std::make_shared<const Encoder>(std::move(encoder)) : nullptr;
}

void ClipboardPicture::waitForEncodingForTesting()
{
    encoders().waitForDone();
}
