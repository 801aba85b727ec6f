#pragma once
#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

class QMimeData;
class QObject;

// Turns picture files and clipboard or drop data into decoded pictures with their pixel scale,
// within fixed limits on file size and pixel count, and words the message shown after pictures
// were added. Sizes and pixel counts are checked before anything is read or decoded.
namespace Importer {

struct Picture
{
    QImage image;           // full size, Format_ARGB32_Premultiplied or Format_RGB32
    double pixelScale = 1;  // pixels per point, from the file's own resolution (1 to 4, else 1)
    std::optional<QImage> small; // at most 720 pixels wide; only when several files come at once
};

struct Loaded
{
    QList<Picture> pictures;
    int failed = 0;
    // Files left unopened because their pixels did not fit in the budget (their names); they
    // are not counted in failed.
    QStringList refused;
    // The budget this opening holds, given back when the last copy of the result goes.
    std::shared_ptr<void> reservation;
};

constexpr qint64 maxBytes = 314572800;    // 300 MiB
constexpr qint64 maxPixels = 150000000;
constexpr int smallWidth = 720;
// The pixels all openings of files may decode at once: a small file can hold a huge picture,
// and several of them would otherwise fill the memory.
constexpr qint64 budgetPixels = 250000000;

// The clipboard image types known, in the order they are tried.
QStringList imageTypes();

bool canRead(const QMimeData *data);
Loaded pictures(const QMimeData *data);
std::optional<Picture> picture(const QMimeData *data);
// Decodes the files in parallel; pictures in file order, failed = files that gave none. Files
// are admitted in their order while their pixels (from the header, before decoding) fit in what
// is left of the budget; the others are refused.
Loaded load(const QList<QUrl> &urls);
// The same on a worker thread; done runs on context's thread afterwards (not when context is
// gone by then).
void loadLater(const QList<QUrl> &urls, QObject *context, std::function<void(const Loaded &)> done);
// The pixels of the budget in use now.
qint64 budgetInUse();
// The message for files refused by the budget, naming them.
QString refusedMessage(const QStringList &names);
std::optional<Picture> decode(const std::optional<QByteArray> &data);
QImage downscaled(const QImage &image, int width);
QString addedMessage(int added, int failed);

// The contents of a local regular file of at most maxBytes; nothing for anything else
// (a directory, a FIFO, a device, a larger file, a read error). Never blocks on a FIFO.
std::optional<QByteArray> readFile(const QString &path);
// Whether a picture of this size may be decoded.
bool withinPixelLimit(qint64 width, qint64 height);

} // namespace Importer
