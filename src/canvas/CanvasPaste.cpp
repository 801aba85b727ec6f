// Ctrl+V on the canvas: pictures on the clipboard become new pages in front, text becomes a
// comment in the middle of the view; Delete on the rail's picks.
#include "canvas/CanvasController.h"

#include "app/Toast.h"
#include "canvas/CanvasScrollView.h"
#include "canvas/TextItemView.h"
#include "capture/ClipboardPicture.h"
#include "platform/MemoryPasteboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <algorithm>

namespace {
// How far left of the view's middle pasted text starts, in units at size step 1.
constexpr double pastedTextLead = 160;
} // namespace

std::optional<QString> CanvasController::paste(const QMimeData *data)
{
    endEditing();
    if (data) {
        const Importer::Loaded loaded = Importer::pictures(data);
        if (!loaded.pictures.isEmpty()) {
            addPictures(loaded.pictures, true);
            const int added = int(loaded.pictures.size());
            toast(added == 1 && loaded.failed == 0 ? QStringLiteral("Pasted the image as a new shot")
                                                   : Importer::addedMessage(added, loaded.failed),
                  0.9);
            return QStringLiteral("image");
        }
        const QString text = data->text().trimmed();
        if (!text.isEmpty() && scrollView) {
            const QRectF visible = scrollView->visibleRect();
            const double k = Item::sizeScales[std::size_t(std::clamp(size, 0, 3))];
            const QPointF at(visible.center().x() - pastedTextLead * markup.unit * k, visible.center().y());
            placeText(TextSide::right, std::nullopt, at, markup);
            if (TextItemView *view = editing) {
                const QUuid id = view->itemID();
                view->insertPlainText(text);
                endEditing();
                selection.clear();
                if (hasItem(id))
                    selection.insert(id);
                selectedShot.reset();
                refresh(false);
                return QStringLiteral("text");
            }
        }
    }
    beep();
    return std::nullopt;
}

const QMimeData *CanvasController::generalPasteboard()
{
    if (const std::shared_ptr<MemoryPasteboard> test = ClipboardPicture::testPasteboard())
        return test->mimeData();
    return QGuiApplication::clipboard()->mimeData();
}

void CanvasController::deleteRailPicks()
{
    QList<PageRail::Row> rows = rail ? rail->pickedRows() : QList<PageRail::Row>{};
    if (rows.isEmpty())
        rows << PageRail::Row::ofPage(currentPage);
    if (!removePages(rows))
        beep();
}
