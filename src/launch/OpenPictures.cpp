// The openers: picture files, the open dialog, the clipboard and reopened captures, each ending in
// a canvas (a new one, or pages of the one open).
#include "AppDelegate.h"

#include "launch/DispatchSupport.h"

#include "app/ActivityLog.h"
#include "app/Toast.h"
#include "capture/CaptureSession.h"
#include "capture/ScreenFreezer.h"
#include "capture/SessionCanvas.h"
#include "document/NoteLayout.h"
#include "history/Recents.h"
#include "platform/ScreenSource.h"

#include <QClipboard>
#include <QCursor>
#include <QFileDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QUrl>

namespace {
// The screen under the pointer, else the primary screen, else the first.
std::optional<ScreenInfo> screenForPictures(const QList<ScreenInfo> &screens)
{
    if (screens.isEmpty())
        return std::nullopt;
    const QPoint pointer = QCursor::pos();
    for (const ScreenInfo &s : screens)
        if (s.geometry.contains(pointer))
            return s;
    if (const QScreen *primary = QGuiApplication::primaryScreen())
        for (const ScreenInfo &s : screens)
            if (s.geometry == primary->geometry())
                return s;
    return screens.first();
}

SessionCanvas *canvasOf(CaptureSession *session)
{
    if (!session || !session->active() || !CaptureSession::canvasOf)
        return nullptr;
    return CaptureSession::canvasOf(session->active());
}
} // namespace

void AppDelegate::openPictures(const QList<Importer::Picture> &pictures, int failed)
{
    if (pictures.isEmpty()) {
        if (failed >= 1)
            toast(QStringLiteral("Quillet™ cannot read that image"), 0.9);
        return;
    }
    // A freeze under way would become the current session moments later: never start a second.
    if (m_capturing)
        return;
    CaptureSession *current = CaptureSession::currentSession();
    if (!current) {
        const QList<ScreenInfo> screens = m_freezer->source()->screens();
        const std::optional<ScreenInfo> screen = screenForPictures(screens);
        if (!screen) {
            activityLog(QStringLiteral("import: no screen to open the pictures on"));
            return;
        }
        const Importer::Picture &first = pictures.first();
        const double scale = first.pixelScale > 0 ? first.pixelScale : 1;
        const double w = first.image.width() / scale, h = first.image.height() / scale;
        const double sw = screen->geometry.width(), sh = screen->geometry.height();
        const QRectF shot((sw - w) * 0.5, (sh - h) * 0.5, w, h);
        const QRectF shown = NoteLayout::fit(shot, QRectF(0, 0, sw, sh), 60, 1);
        const double unit = shown.width() > 0 ? w / shown.width() : 1;
        const Markup markup = Markup::single(QRectF(0, 0, w, h), QSizeF(w, h), unit);
        ShotImages images;
        images.insert(markup.shots.first().id, ShotImage{first.image, scale});
        auto *session = new CaptureSession(markup, images, std::nullopt, DispatchSupport::frontmostApp(), screens);
        CaptureSession::setCurrentSession(session);
        session->show();
        if (pictures.size() > 1) {
            if (SessionCanvas *canvas = canvasOf(session))
                canvas->addPictures(pictures.mid(1), false);
        }
    } else if (current->mode() == OverlayViewHost::Mode::Canvas && !current->child() && canvasOf(current)) {
        current->bringForward();
        canvasOf(current)->addPictures(pictures, true);
    } else {
        return;
    }
    if (pictures.size() != 1 || failed != 0)
        toast(Importer::addedMessage(int(pictures.size()), failed), 0.9);
}

void AppDelegate::openFiles(const QStringList &files)
{
    QList<QUrl> urls;
    for (const QString &f : files) {
        const QUrl url = f.contains(QStringLiteral("://")) ? QUrl(f) : QUrl::fromLocalFile(f);
        urls.append(url);
    }
    // Read and decoded off the main thread: a small file may be a huge picture.
    const qsizetype count = files.size();
    Importer::loadLater(urls, this, [this, count](const Importer::Loaded &loaded) {
        activityLog(QStringLiteral("import: %1 file(s) opened, %2 picture(s), %3 unreadable")
                        .arg(count)
                        .arg(loaded.pictures.size())
                        .arg(loaded.failed));
        openLoaded(loaded);
    });
}

void AppDelegate::openLoaded(const Importer::Loaded &loaded)
{
    openPictures(loaded.pictures, loaded.failed);
    // One toast for what the budget refused, after (and in place of) any other.
    if (!loaded.refused.isEmpty())
        toast(Importer::refusedMessage(loaded.refused), 2.5);
}

void AppDelegate::openImage()
{
    QFileDialog dialog(nullptr, QStringLiteral("Choose images to mark up"));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setMimeTypeFilters({QStringLiteral("image/png"), QStringLiteral("image/jpeg"), QStringLiteral("image/tiff"),
                               QStringLiteral("image/heif"), QStringLiteral("image/gif"), QStringLiteral("image/bmp"),
                               QStringLiteral("image/webp")});
    // Every picture type at once, as the first filter.
    QStringList filters = dialog.nameFilters();
    filters.prepend(QStringLiteral("Images (*.png *.jpg *.jpeg *.tif *.tiff *.heic *.heif *.gif *.bmp *.webp)"));
    dialog.setNameFilters(filters);
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Open"));
    dialog.setWindowFlag(Qt::WindowStaysOnTopHint);
    dialog.activateWindow();
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QList<QUrl> urls = dialog.selectedUrls();
    if (urls.isEmpty())
        return;
    Importer::loadLater(urls, this, [this](const Importer::Loaded &loaded) { openLoaded(loaded); });
}

void AppDelegate::markUpClipboard()
{
    const Importer::Loaded loaded = Importer::pictures(QGuiApplication::clipboard()->mimeData());
    if (loaded.pictures.isEmpty()) {
        toast(QStringLiteral("No image on the clipboard"), 0.9);
        return;
    }
    openPictures(loaded.pictures, loaded.failed);
}

void AppDelegate::reopen(const QString &id)
{
    if (CaptureSession::currentSession() || m_capturing)
        return;
    const std::optional<Recents::Loaded> loaded = Recents::load(id);
    if (!loaded || loaded->markup.shots.isEmpty() || loaded->images.isEmpty()) {
        toast(QStringLiteral("That capture is gone"), 0.9);
        return;
    }
    auto *session = new CaptureSession(loaded->markup, loaded->images, id, DispatchSupport::frontmostApp(),
                                       m_freezer->source()->screens());
    CaptureSession::setCurrentSession(session);
    session->show();
}
