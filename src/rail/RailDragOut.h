#pragma once
#include <QByteArray>
#include <QFuture>
#include <QImage>
#include <QList>
#include <QString>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <optional>
#include <variant>

class QPainter;

// The rail's drag source: the files of the thumbnails being dragged out and what happens when the
// drag ends. X11 has no file promises, so a drag writes its files when it starts, each drag into a
// fresh folder of its own, and offers them as a list of file URLs.
class RailDragOut
{
public:
    // PNG bytes as they are, or a picture to encode as PNG (off the main thread).
    using Data = std::variant<QByteArray, QImage>;

    struct File {
        QString name; // the file name offered to the receiver
        // Called on the main thread; none when the file cannot be made.
        std::function<std::optional<Data>()> make;
    };

    // Replaced by every drag; a later drag never touches what an earlier one wrote.
    QList<File> files;
    std::function<void(bool dropped)> onEnd;

    // The name a promise is written under: its "name" when that is text, else "Quillet.png".
    static QString promisedName(const QVariantMap &info);

    // The outcome of writing one promised file: its path, or an error. `unknown` marks the
    // file-write-unknown error (no such file in the list, or it could not be made).
    struct Written {
        QString path;
        QString error;
        bool unknown = false;
        bool ok() const { return error.isEmpty(); }
    };
    // Writes the file that the promise's "index" names into `folder` under a name no existing file
    // there has (see PageRail::uniqueFileURL), atomically. The file is made on the calling thread.
    static Written writePromise(const QList<File> &files, const QVariantMap &info, const QString &folder);
    // Writes already made data; safe on any thread.
    static Written writeData(const Data &data, const QString &name, const QString &folder);

    // Files on their way to disk: their paths are settled at once, the writing runs in the
    // background.
    struct Pending {
        QStringList paths; // in list order, for the files that could be made
        QFuture<void> done;
        std::shared_ptr<QList<Written>> results;
        // Waits for the writing; the paths of the files written, in list order.
        QStringList written() const;
    };
    // Makes every file on this thread, then encodes and writes them in parallel into `folder`;
    // returns without waiting. Files that cannot be made are left out at once.
    Pending startWriting(const QString &folder) const;
    // The same, waiting for the files; those that could not be written are left out.
    QStringList writeAll(const QString &folder) const { return startWriting(folder).written(); }

    // The drag image of one thumbnail: a white rounded card of radius 11 with the picture
    // covering it, centred.
    static void drawDragImage(QPainter &painter, const QRectF &rect, const QImage &picture);
};
