#include "HistoryPages.h"

#include "Autopilot.h"
#include "Chain.h"
#include "Detail.h"
#include "Lookups.h"
#include "PageSteps.h"
#include "RailColumns.h"
#include "RailWalk.h"
#include "ScriptedInput.h"
#include "StageShot.h"

#include "canvas/CanvasController.h"
#include "capture/OverlayView.h"
#include "history/Recents.h"
#include "platform/KeyTable.h"
#include "platform/ReduceMotion.h"
#include "rail/PageRail.h"
#include "rail/RailThumb.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>

#include <variant>

namespace Autopilot {
namespace {
using namespace Detail;

const QChar deleteChar(0x7F);
const QChar escapeChar(0x1B);

// A real click on thumbnail index (in the rail's order): press and release at its centre, sent
// to the thumbnail itself.
void clickThumb(CanvasController *c, QWidget *host, int index, quint64 flags)
{
    const QList<RailThumb *> order = c->rail->order();
    if (index < 0 || index >= order.size() || !order.at(index))
        return;
    RailThumb *thumb = order.at(index);
    const QPointF centre = host->mapFromGlobal(thumb->mapToGlobal(QRectF(thumb->rect()).center()));
    sendMouse(thumb, host, QEvent::MouseButtonPress, centre, flags);
    sendMouse(thumb, host, QEvent::MouseButtonRelease, centre, flags);
}

QList<int> span(int from, int to)
{
    QList<int> values;
    for (int i = from; i <= to; ++i)
        values.append(i);
    return values;
}

struct DraggedFile
{
    QString name;
    QImage picture;
};

// The files a drag of the picks and the open page gives.
QList<DraggedFile> draggedFiles(CanvasController *c, const QList<RailRow> &rows)
{
    QList<DraggedFile> files;
    for (const RailRow &row : rows) {
        const std::optional<RailDragOut::File> file = c->fileFor(row);
        if (!file)
            continue;
        QImage picture;
        if (const std::optional<RailDragOut::Data> data = file->make ? file->make() : std::nullopt) {
            if (const auto *bytes = std::get_if<QByteArray>(&*data))
                picture = QImage::fromData(*bytes, "PNG");
            else
                picture = std::get<QImage>(*data);
        }
        files.append({file->name, picture});
    }
    return files;
}

// A name asked for beside a file already there; the folder is a fresh one of this run alone.
QString freeNameBesideTaken()
{
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/ql-drop-XXXXXX"));
    if (!dir.isValid())
        return {};
    const QString taken = dir.filePath(QStringLiteral("Quillet x.png"));
    QFile empty(taken);
    if (empty.open(QIODevice::WriteOnly))
        empty.close();
    return QFileInfo(PageRail::uniqueFileURL(taken)).fileName();
}
} // namespace

void historyPages(const Handover &handover)
{
    const int entries = int(Recents::list().size());
    check(QStringLiteral("history keeps every page"), entries == handover.historyBefore + 3,
          [&] { return versus(entries, handover.historyBefore); });
    const QStringList group =
        handover.savedIDs.isEmpty() ? QStringList() : Recents::group(handover.savedIDs.last()).ids;
    check(QStringLiteral("reopening one brings back the others, in order"),
          !handover.savedIDs.isEmpty() && group == handover.savedIDs, [&] { return versus(group, handover.savedIDs); });

    // The canvas is the host view's own.
    OverlayView *host = handover.overlay;
    auto *c = host ? dynamic_cast<CanvasController *>(host->canvas()) : nullptr;
    if (c && host) {
        railWalk(c, host);
        railColumns(c, host, handover.folder);
        railPicking(c, host, handover.folder);
    }
    stageShotForOpenCanvas(handover);
}

void railPicking(CanvasController *c, QWidget *host, const QString &folder)
{
    using PageSteps::key;
    Q_UNUSED(folder);
    const QString sentence = QStringLiteral("thumbnails can be picked");
    if (!PageSteps::hasWindow(host)) {
        check(sentence, false, [] { return QStringLiteral("no window"); });
        return;
    }
    c->resetRailSize();
    if (!c->pages.isEmpty() && c->currentPage != 0)
        PageSteps::show(c, 0);

    PageRail *rail = c->rail;
    const int T = int(rail->order().size());
    const int P = int(c->pages.size());
    const int E = int(c->recentShownIDs().size());
    const QStringList rows0 = c->railRowIDs();
    if (T < 6 || P < 3 || E < 2) {
        check(sentence, false, [&] {
            return text(T) + QStringLiteral(" thumbnails, ") + text(P) + QStringLiteral(" shots, ") + text(E)
                   + QStringLiteral(" earlier");
        });
        return;
    }

    clickThumb(c, host, T - 5, EventFlag::Command);
    clickThumb(c, host, T - 2, EventFlag::Shift);
    check(QStringLiteral("Command-click then Shift-click picks every thumbnail between, and opens none of them"),
          PageSteps::ringed(c) == span(T - 5, T - 2) && rail->pickedRows().size() == 4 && c->currentPage == 0
              && c->pages.size() == P && c->railFocused,
          [c] { return text(PageSteps::ringed(c)); });
    clickThumb(c, host, T - 3, EventFlag::Command);
    const bool outRing = !rail->order().at(T - 3)->isSelected;
    check(QStringLiteral("Command-click takes one out"), rail->pickedRows().size() == 3 && outRing,
          [rail] { return text(int(rail->pickedRows().size())); });
    clickThumb(c, host, T - 3, EventFlag::Command);
    // The four picks in view for the picture.
    rail->scrollTo(rail->order().at(T - 5)->cardFrame().top() - 16);
    PageSteps::writeSettledPicture(c, host, QStringLiteral("8f-rail-picked"));

    key(c, KeyCode::Escape, escapeChar);
    auto *overlay = qobject_cast<OverlayView *>(host);
    const bool stillOpen = overlay && dynamic_cast<CanvasController *>(overlay->canvas()) == c;
    check(QStringLiteral("Escape lets go of them, and leaves the canvas open"),
          rail->pickedRows().isEmpty() && stillOpen && c->pages.size() == P && PageSteps::marked(c) == 1, [&] {
              return text(int(rail->pickedRows().size())) + QStringLiteral(" picked, ")
                     + text(PageSteps::marked(c)) + QStringLiteral(" ringed");
          });

    key(c, KeyCode::Down, QString(QChar(0xF701)), EventFlag::Shift);
    key(c, KeyCode::Down, QString(QChar(0xF701)), EventFlag::Shift);
    check(QStringLiteral("Shift-Down twice picks the open shot and the two after it, and opens none of them"),
          PageSteps::ringed(c) == QList<int>{0, 1, 2} && rail->pickedRows().size() == 3 && c->currentPage == 0
              && c->pages.size() == P && c->railFocused,
          [c] { return text(PageSteps::ringed(c)); });
    key(c, KeyCode::Up, QString(QChar(0xF700)), EventFlag::Shift);
    check(QStringLiteral("Shift-Up gives the last one back"),
          PageSteps::ringed(c) == QList<int>{0, 1} && rail->pickedRows().size() == 2,
          [c] { return text(PageSteps::ringed(c)); });
    key(c, KeyCode::Up, QString(QChar(0xF700)), EventFlag::Shift);
    check(QStringLiteral("and back at the open shot, only it is picked"),
          rail->pickedRows().isEmpty() && PageSteps::marked(c) == 1);
    key(c, KeyCode::Escape, escapeChar);

    clickThumb(c, host, T - 5, EventFlag::Command);
    clickThumb(c, host, T - 2, EventFlag::Shift);
    const QList<RailRow> picks = rail->pickedRows();
    const QList<DraggedFile> files = draggedFiles(c, picks + QList<RailRow>{RailRow::ofPage(c->currentPage)});
    const int s = int(std::count_if(picks.begin(), picks.end(), [](const RailRow &row) { return row.isPage(); }));
    const int e = int(picks.size()) - s;
    bool filesOk = files.size() == picks.size() + 1 && s >= 1 && e >= 1;
    QStringList names;
    QList<int> widths;
    for (const DraggedFile &file : files) {
        names.append(file.name);
        widths.append(file.picture.isNull() ? 0 : file.picture.width());
        filesOk = filesOk && !file.picture.isNull() && file.picture.width() >= 600
                  && file.name.startsWith(QLatin1String("Quillet ")) && file.name.endsWith(QLatin1String(".png"));
    }
    check(QStringLiteral("dragged out, each picked thumbnail is a full-size PNG named for when it was taken"), filesOk,
          [&] { return text(names) + QLatin1Char(' ') + text(widths); });
    check(QStringLiteral("a dropped file never goes over one already there"),
          freeNameBesideTaken() == QLatin1String("Quillet x 2.png"));

    key(c, KeyCode::Delete, deleteChar);
    Recents::queue().sync([] {});
    const int gliding = rail->glidingCount();
    check(QStringLiteral("Delete takes every picked thumbnail: shots off the canvas, earlier captures out of history"),
          c->pages.size() == P - s && c->recentShownIDs().size() >= E - e && noneInRecents(picks, c)
              && rail->pickedRows().isEmpty() && (ReduceMotion::isOn() || gliding > 0),
          [&] {
              return text(int(c->pages.size())) + QStringLiteral(" of ") + text(P) + QStringLiteral(", ") + text(s)
                     + QStringLiteral(" shots and ") + text(e) + QStringLiteral(" earlier going, gliding ")
                     + text(gliding);
          });
    PageSteps::writeSettledPicture(c, host, QStringLiteral("8g-rail-after-delete"));

    key(c, KeyCode::Z, QStringLiteral("z"), EventFlag::Command);
    Recents::queue().sync([] {});
    check(QStringLiteral("and one Command-Z brings them all back"),
          c->pages.size() == P && allInRecents(recentIDs(picks)),
          [&] { return text(int(c->pages.size())) + QStringLiteral(" of ") + text(P); });

    QPointer<CanvasController> self(c);
    QTimer::singleShot(0, [self, rows0] {
        if (self)
            earlierCapturesBack(self, rows0);
    });
}

void earlierCapturesBack(CanvasController *c, const QStringList &rows0)
{
    const QStringList rows = c->railRowIDs();
    check(QStringLiteral("the earlier captures are back in the rail where they were"), rows.size() == rows0.size(),
          [&] { return versus(int(rows.size()), int(rows0.size())); });
}

} // namespace Autopilot
