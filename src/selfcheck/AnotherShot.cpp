#include "AnotherShot.h"

#include "Autopilot.h"
#include "CanvasSessions.h"
#include "Chain.h"
#include "DeleteLastShot.h"
#include "Detail.h"
#include "HistoryPause.h"
#include "Pasteboards.h"
#include "ScriptedInput.h"

#include "canvas/CanvasController.h"
#include "canvas/CommandSidebar.h"
#include "canvas/CanvasScrollView.h"
#include "canvas/TextItemView.h"
#include "capture/CaptureSession.h"
#include "capture/ClipboardPicture.h"
#include "capture/OverlayView.h"
#include "export/SamplePicture.h"
#include "platform/KeyTable.h"
#include "platform/KeypadEnter.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace Autopilot {
namespace {
const QString copiedTitle = QStringLiteral("Copied to clipboard");

QWidget *canvasWindow(const CanvasController *c)
{
    return c && c->scrollView ? c->scrollView->window() : nullptr;
}

bool copyHasPNG()
{
    const QMimeData *data = Pasteboards::named(Pasteboards::copy)->mimeData();
    return data && data->hasFormat(QStringLiteral("image/png")) && !data->data(QStringLiteral("image/png")).isEmpty();
}

// The page is ticked and the copy row flashes once the copy's PNG is made: wait for the
// encoder, then deliver what it handed to the main thread.
void copyDone()
{
    ClipboardPicture::waitForEncodingForTesting();
    QCoreApplication::sendPostedEvents();
}

void pressReturn(CanvasController *c)
{
    c->keyDown(keyEvent(KeyCode::Return, QStringLiteral("\r")).get());
    copyDone();
}

// Shows page index with its own saved view, the current one saved first.
void showSavedPage(CanvasController *c, int index)
{
    c->saveCurrentPage();
    c->showPage(index);
}

QString describe(const KeyStroke &key)
{
    return QStringLiteral("%1 %2 0x%3").arg(key.keyCode).arg(Detail::quoted(key.characters)).arg(key.flags, 0, 16);
}

// The shot picture of the hand-over, or the second made-up picture drawn afresh.
QImage secondPictureOf(const Handover &h)
{
    if (!h.secondPicture.isNull())
        return h.secondPicture;
    return samplePicture(h.screen.width() * 2, h.screen.height() * 2, 2);
}

// Return on the second page of two copies it, ticks it alone and keeps the canvas on it.
void returnOnOnePage(CanvasController *c, QWidget *window)
{
    if (c->pages.size() >= 2 && c->currentPage != 1)
        showSavedPage(c, 1);
    pressReturn(c);
    const auto copyRowText = [c] {
        CommandRow *row = c->commands ? c->commands->copyRow() : nullptr;
        return row ? row->flashed.value_or(row->title) : QString();
    };
    QList<bool> done;
    for (const CanvasController::Page &page : std::as_const(c->pages))
        done.append(page.done);
    check(QStringLiteral("Return with several shots copies and stays on the same one, ticked"),
          copyHasPNG() && window->isVisible() && c->pages.size() == 2 && c->currentPage == 1 && done.at(1)
              && !done.at(0) && copyRowText() == copiedTitle,
          [&] {
              return Detail::text(window->isVisible()) + QLatin1Char(' ') + Detail::text(c->currentPage)
                     + QLatin1Char(' ') + Detail::text(done);
          });
}

// One Return typed in a fresh comment ends it, keeps its words and copies the page.
void returnInAComment(CanvasController *c, QWidget *window)
{
    Pasteboards::named(Pasteboards::copy)->clear();
    if (!c->pages.isEmpty() && c->currentPage != 0)
        showSavedPage(c, 0);
    c->openNoteForNewShot();
    c->setEditingPlaceholder(QStringLiteral("Enter text"));
    type(c, QStringLiteral("one return"));
    if (c->editing) {
        const auto key = keyEvent(KeyCode::Return, QStringLiteral("\r"));
        c->textViewCommand(TextItemView::Command::insertNewline, key.get());
        copyDone();
    }
    const bool kept = std::any_of(c->markup.items.begin(), c->markup.items.end(), [](const Item &item) {
        return item.kind == ItemKind::text && item.string == QLatin1String("one return");
    });
    const bool editing = c->editing;
    const bool copied = copyHasPNG();
    check(QStringLiteral("one Return in a comment finishes it and copies, the comment kept"),
          !editing && copied && kept && !c->pages.isEmpty() && c->pages.at(0).done && window->isVisible(), [&] {
              return QStringLiteral("editing ") + Detail::text(editing) + QStringLiteral(", copied ")
                     + Detail::text(copied);
          });
}

void keypadEnter()
{
    const KeyStroke enter = keypadEnterAsReturn(
        {KeyCode::KeypadEnter, QStringLiteral("\x03"), EventFlag::NumericPad | EventFlag::Function});
    const KeyStroke commandEnter =
        keypadEnterAsReturn({KeyCode::KeypadEnter, QStringLiteral("\x03"), EventFlag::Command | EventFlag::NumericPad});
    check(QStringLiteral("the number pad's Enter reaches the canvas as Return, Command-Enter as Command-Return"),
          enter.keyCode == KeyCode::Return && enter.characters == QLatin1String("\r")
              && !(enter.flags & EventFlag::NumericPad) && commandEnter.keyCode == KeyCode::Return
              && (commandEnter.flags & EventFlag::Command),
          [&] { return describe(enter) + QLatin1Char(' ') + describe(commandEnter); });
}
} // namespace

void anotherShot(const Handover &handover)
{
    CaptureSession *first = handover.session;
    if (!canvasOf(first)) {
        stageFailed(QStringLiteral("session canvas opens"));
        return;
    }
    first->hideForCapture();
    Handover on = handover;
    on.secondPicture = secondPictureOf(handover);
    openCanvas(stagedScreen(handover.screen, on.secondPicture), on.secondPicture, QRectF(300, 100, 500, 300),
               OverlayViewHost::Mode::AddShot, first);
    Chain::next(11, on);
}

void anotherShotChecks(const Handover &handover)
{
    CaptureSession *first = handover.session;
    const QImage shot = secondPictureOf(handover);
    const ScreenInfo screen = stagedScreen(handover.screen, shot);

    CanvasController *c = canvasOf(first);
    check(QStringLiteral("a shot taken for an open canvas becomes a page, above the first"),
          c && c->pages.size() == 2 && c->currentPage == 0 && !first->child(),
          [&] { return Detail::text(c ? int(c->pages.size()) : 0); });

    if (first) {
        first->hideForCapture();
        CaptureSession *third = showCapture(screen, shot, OverlayViewHost::Mode::AddShot, first);
        closeCanvas(third);
    }
    c = canvasOf(first);
    QWidget *window = canvasWindow(c);
    check(QStringLiteral("Esc while taking another shot keeps the canvas as it was"),
          c && c->pages.size() == 2 && !first->child() && window && window->isVisible());

    if (OverlayView *host = canvasHost(c); host && window)
        writePicture(host, QStringLiteral("10-session-two-shots"));

    const std::shared_ptr<MemoryPasteboard> board = Pasteboards::named(Pasteboards::copy);
    board->clear();
    ClipboardPicture::setTestPasteboard(board);
    if (c && window) {
        returnOnOnePage(c, window);
        returnInAComment(c, window);
        keypadEnter();
    }
    ClipboardPicture::setTestPasteboard(nullptr);
    board->clear();

    deleteLastShot(canvasOf(first));
    closeCanvas(first);
    setHistoryPaused(false);

    Handover on = handover;
    on.session = nullptr;
    on.controller = nullptr;
    Chain::next(12, on);
}

} // namespace Autopilot
