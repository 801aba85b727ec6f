#include "PasteStages.h"

#include "Autopilot.h"
#include "CanvasSessions.h"
#include "Chain.h"
#include "Detail.h"
#include "HistoryPause.h"
#include "Pasteboards.h"

#include "canvas/CanvasController.h"
#include "canvas/TextItemView.h"
#include "capture/CaptureSession.h"
#include "capture/OverlayView.h"

#include <QBuffer>
#include <QMimeData>

namespace Autopilot {
namespace {
const QString listText = QStringLiteral("1. first\n2. second\nplain");

bool hasString(const CanvasController *c, const QString &text, bool textsOnly)
{
    return std::any_of(c->markup.items.begin(), c->markup.items.end(), [&](const Item &item) {
        return (!textsOnly || item.kind == ItemKind::text) && item.string == text;
    });
}

// The string of the last text item, or the empty text.
QString lastText(const CanvasController *c)
{
    const ItemList &items = c->markup.items;
    for (qsizetype i = items.size() - 1; i >= 0; --i)
        if (items.at(i).kind == ItemKind::text)
            return items.at(i).string;
    return {};
}

// Shift+Return in the comment being edited; nothing when none is.
void continueList(CanvasController *c)
{
    if (c->editing)
        c->continueList(c->editing);
}

QByteArray pngOf(const QImage &picture)
{
    QByteArray png;
    QBuffer buffer(&png);
    if (picture.isNull() || !buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, "PNG"))
        return {};
    return png;
}

void readyToType(CanvasController *c, bool ready)
{
    type(c, QStringLiteral("typed at once"));
    c->endEditing();
    check(QStringLiteral("a new capture is ready to type"), ready && hasString(c, QStringLiteral("typed at once"), false),
          [&] {
              QStringList strings;
              for (const Item &item : std::as_const(c->markup.items))
                  strings.append(item.string);
              return QStringLiteral("editing ") + Detail::text(bool(c->editing)) + QStringLiteral(" items ")
                     + Detail::text(strings);
          });
}

void numberedList(CanvasController *c)
{
    click(c, QPointF(260, 480));
    type(c, QStringLiteral("1. first"));
    continueList(c);
    type(c, QStringLiteral("second"));
    continueList(c);
    continueList(c);
    type(c, QStringLiteral("plain"));
    c->endEditing();
    const QString got = lastText(c);
    check(QStringLiteral("Shift-Return numbers the next line, and an empty item ends the list"), got == listText,
          [&] { return Detail::quoted(got); });
}

void pasting(CanvasController *c, const QImage &picture)
{
    const std::shared_ptr<MemoryPasteboard> board = Pasteboards::named(Pasteboards::paste);
    board->clear();
    auto *words = new QMimeData;
    words->setText(QStringLiteral("pasted words"));
    board->setMimeData(words);
    const std::optional<QString> asText = c->paste(board->mimeData());
    check(QStringLiteral("pasted text becomes a comment"),
          asText == QLatin1String("text") && hasString(c, QStringLiteral("pasted words"), true));

    board->clear();
    const QByteArray png = pngOf(picture);
    auto *image = new QMimeData;
    if (!png.isEmpty())
        image->setData(QStringLiteral("image/png"), png);
    board->setMimeData(image);
    const qsizetype pagesBefore = c->pages.size();
    const std::optional<QString> asImage = c->paste(board->mimeData());
    check(QStringLiteral("a pasted picture opens as a new shot"),
          asImage == QLatin1String("image") && c->pages.size() == pagesBefore + 1 && c->currentPage == 0);
    board->clear();
}
} // namespace

void pasteStage(const Handover &handover)
{
    setHistoryPaused(true);
    Handover on = handover;
    on.session = openCanvas(handover, QRectF(200, 150, 640, 400));
    Chain::next(17, on);
}

void pasteChecks(const Handover &handover)
{
    CanvasController *c = canvasOf(handover.session);
    if (!c) {
        stageFailed(QStringLiteral("paste canvas opens"));
        return;
    }
    const bool ready = c->editing && c->markup.items.size() == 1 && c->markup.items.first().kind == ItemKind::text;
    if (OverlayView *host = canvasHost(c))
        writePicture(host, QStringLiteral("12-ready-to-type"));
    readyToType(c, ready);
    numberedList(c);
    pasting(c, handover.picture);
    closeCanvas(handover.session);
    setHistoryPaused(false);
    Handover on = handover;
    on.session = nullptr;
    Chain::next(18, on);
}

void commentStage(const Handover &handover)
{
    setHistoryPaused(true);
    Handover on = handover;
    on.session = openCanvas(handover, QRectF(handover.screen.width() - 640, 220, 600, 380));
    Chain::next(19, on);
}

} // namespace Autopilot
