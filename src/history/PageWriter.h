#pragma once
#include "capture/ShotImage.h"
#include "document/Markup.h"

#include <QDateTime>
#include <QImage>
#include <QString>

#include <functional>
#include <optional>

class CaptureSession;
class SessionCanvas;

// The capture session's autosave writer: hands the canvas's changed pages to the history.
namespace PageWriter {

// One page for the history store.
struct Request {
    Markup markup;
    ShotImages images;
    QImage picture;
    std::optional<QString> id; // the entry to update; none makes a new one
    std::optional<QString> group;
    qint64 order = 0;
    QDateTime created;
    bool wait = false; // return once it is on disk
};
// Saves one page and answers its entry id, or none when nothing was saved.
using Store = std::function<std::optional<QString>(const Request &)>;

// Writes the canvas's pages: a group id is made once two or more pages are seen; a page with
// an entry is skipped while what was last written for it (markup, picture object, group, order)
// is unchanged, unless sync; a never-written page is skipped while its markup is what it was
// added with. A page written for the first time gets its entry id. store defaults to
// Recents::save.
void writePages(CaptureSession &session, SessionCanvas &canvas, bool sync, const Store &store = {});

// Fills CaptureSession::writePages with this writer over the history store.
void install();

} // namespace PageWriter
