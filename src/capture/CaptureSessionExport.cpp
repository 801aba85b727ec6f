// The canvas's picture leaving the application: copy (Return), send (Ctrl+Return) and save
// (Ctrl+S), and the clipboard result of a clipboard capture.
#include "capture/CaptureSession.h"

#include "app/PreferenceReaders.h"
#include "app/Toast.h"
#include "capture/ClipboardPicture.h"
#include "capture/SessionCanvas.h"
#include "platform/Preferences.h"
#include "platform/SystemBeep.h"

#include <QDir>
#include <QFileInfo>

namespace {
const QString copiedText = QStringLiteral("Copied to clipboard");
const QString notCopiedText = QStringLiteral("Could not copy the picture");
const QString tooLargeText = QStringLiteral("The picture is too large to export");
constexpr double toastSeconds = 0.9;

bool halfSize()
{
    return Preferences::shared().boolValue(QStringLiteral("export.halfSize")).value_or(false);
}

// The scale recorded with the picture: pixels per point, halved under half size but never
// below 1.
double recordedScale(double exportScale)
{
    return halfSize() ? std::max(exportScale * 0.5, 1.0) : exportScale;
}

void notCopied()
{
    SystemBeep::play();
    toast(notCopiedText, toastSeconds);
}

// The folder's name as the file manager shows it.
QString folderName(const QString &file)
{
    const QString folder = QFileInfo(file).absolutePath();
    const QString name = QFileInfo(folder).fileName();
    return name.isEmpty() ? QDir::toNativeSeparators(folder) : name;
}
} // namespace

std::optional<RenderedPage> CaptureSession::renderForExport()
{
    SessionCanvas *c = canvas();
    if (!c) {
        SystemBeep::play();
        return std::nullopt;
    }
    c->endEditing();
    RenderedPage page = c->renderCurrentPage(halfSize());
    if (page.picture.isNull()) {
        SystemBeep::play();
        if (page.tooLarge)
            toast(tooLargeText, toastSeconds);
        return std::nullopt;
    }
    page.scale = recordedScale(std::isfinite(page.scale) && page.scale > 0 ? page.scale : 1);
    return page;
}

// Offers the page on the clipboard. Once the bytes are made, a canvas that stays gets its page
// ticked (and the copy row flashed), and the toast says it is copied; a failed encoding beeps
// and says so instead. False (after the beep) when nothing could be offered.
bool CaptureSession::offerPage(const RenderedPage &page, bool stays, bool flash, bool toastCopied)
{
    QPointer<CaptureSession> self(this);
    const bool offered = ClipboardPicture::put(page.picture, page.scale, [=](bool encoded) {
        if (!encoded) {
            notCopied();
            return;
        }
        SessionCanvas *c = self ? self->canvas() : nullptr;
        if (stays && c) {
            c->markCurrentPageDone();
            if (flash)
                c->flashCopyRow(copiedText);
        }
        if (toastCopied)
            toast(copiedText, toastSeconds);
    });
    if (!offered)
        notCopied();
    return offered;
}

void CaptureSession::copy()
{
    const auto page = renderForExport();
    if (!page)
        return;
    const bool stays = canvas()->pageCount() >= 2;
    if (offerPage(*page, stays, true, true) && !stays)
        end(true);
}

void CaptureSession::send()
{
    const auto page = renderForExport();
    if (!page)
        return;
    const bool stays = canvas()->pageCount() >= 2;
    const std::optional<QString> target = sendTarget ? sendTarget(m_previousApp) : std::nullopt;
    const bool copiesOnly = !target || !pasteInto;
    if (!offerPage(*page, stays, false, copiesOnly))
        return;
    if (!stays)
        end(copiesOnly);
    if (!copiesOnly)
        pasteInto(*target);
}

void CaptureSession::save()
{
    const auto page = renderForExport();
    if (!page)
        return;
    QString error = QStringLiteral("saving is not available");
    const QString path = savePicture ? savePicture(page->picture, Prefs::exportFolder(), page->scale, &error) : QString();
    if (path.isEmpty()) {
        SystemBeep::play();
        toast(QStringLiteral("Could not save: ") + error, toastSeconds);
        return;
    }
    SessionCanvas *c = canvas();
    const bool stays = c && c->markCurrentPageDone();
    if (!stays)
        end(true);
    toast(QStringLiteral("Saved to ") + folderName(path), toastSeconds);
}
