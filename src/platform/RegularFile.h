#pragma once
#include <QByteArray>
#include <QImage>
#include <QString>

// Reading files that something else may have put in our place: only a regular file is read (a
// FIFO, a device, a folder or a socket is refused without blocking), never more than a cap fit for
// its kind, and a file that changes size while it is read is refused too.
namespace RegularFile {

enum class Status { ok, missing, notRegular, tooLarge, changed, failed };

struct Contents {
    Status status = Status::failed;
    QByteArray data; // only with ok
    QString error;   // why it was refused, for a log line; empty with ok
    bool ok() const { return status == Status::ok; }
};

// Caps for the kinds of files the application reads.
constexpr qint64 settingsCap = 4 * 1024 * 1024;       // preferences
constexpr qint64 documentCap = 16 * 1024 * 1024;      // a history entry's canvas.json
constexpr qint64 pictureCap = 300LL * 1024 * 1024;    // pictures, as the importer takes them
constexpr qint64 picturePixelCap = 150000000;
constexpr qint64 recordCap = 1024 * 1024;              // run record, exception records, small entries
constexpr qint64 crashCap = 8 * 1024 * 1024;          // crash records and converted crash reports
constexpr qint64 desktopEntryCap = 64 * 1024;         // a desktop entry (autostart)

// Whether a symbolic link in the last place of the path is followed. Files the application
// writes itself (the history's) are never links, so a link there is refused.
enum class Links { follow, refuse };

Contents read(const QString &path, qint64 maxBytes, Links links = Links::follow);

// What read() would find without reading: ok for a regular file of at most maxBytes.
Status check(const QString &path, qint64 maxBytes, Links links = Links::follow, QString *error = nullptr);

// A picture read through read(): a null image when the file is refused, cannot be decoded, or
// says it has more than maxPixels pixels. error (when given) says why.
QImage readImage(const QString &path, Links links, QString *error = nullptr,
                 qint64 maxBytes = pictureCap, qint64 maxPixels = picturePixelCap);

// The same for a picture the application wrote at a known size: one whose header says it is
// wider or higher than maxSize (or that says no size) is refused as damaged before decoding.
QImage readImage(const QString &path, Links links, QSize maxSize, QString *error = nullptr);

// Decodes a picture already read, with the same checks (an invalid maxSize checks pixels only).
QImage decodeImage(const QByteArray &data, qint64 maxPixels, QSize maxSize, QString *error = nullptr);

} // namespace RegularFile
