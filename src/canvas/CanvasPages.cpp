// The canvas's chrome, the reveal, and what the capture session and the overlay ask of its pages.
#include "canvas/CanvasController.h"

#include "canvas/CanvasChrome.h"
#include "canvas/CanvasScrollView.h"
#include "canvas/CommandSidebar.h"
#include "canvas/DisplayImages.h"
#include "canvas/DocumentView.h"
#include "canvas/TextItemView.h"
#include "app/ActivityLog.h"
#include "app/PreferenceReaders.h"
#include "app/SelfCheckFlag.h"
#include "capture/CaptureSession.h"
#include "document/NoteLayout.h"
#include "document/Trim.h"

#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QPropertyAnimation>

#include <algorithm>
#include <cmath>

namespace {
constexpr int revealMs = 200;

// Fades a view in. While the self-check runs the view is there at once: its stages look at the
// canvas, and take its pictures, in the same turn as it opens.
void fadeIn(QWidget *w)
{
    if (!w || w->isHidden() || SelfCheckFlag::isSet())
        return;
    auto *effect = new QGraphicsOpacityEffect(w);
    effect->setOpacity(0);
    w->setGraphicsEffect(effect);
    auto *fade = new QPropertyAnimation(effect, "opacity", w);
    fade->setStartValue(0.0);
    fade->setEndValue(1.0);
    fade->setDuration(revealMs);
    // Once faded in, the effect goes so that the view paints straight again.
    QObject::connect(fade, &QPropertyAnimation::finished, w, [w] { w->setGraphicsEffect(nullptr); });
    fade->start(QAbstractAnimation::DeleteWhenStopped);
}
} // namespace

void CanvasController::markPictureStale()
{
    if (currentPage < 0 || currentPage >= pages.size())
        return;
    if (pictured && *pictured == markup)
        return;
    pictureStale = true;
    if (thumbnailDue)
        return;
    const double base = dragIsNone() ? 0.1 : 0.2;
    const double since = scheduler()->now() - picturedAt;
    scheduleThumbnail(false, 0, std::max(base - since, 0.02));
}

// ---- chrome, hint, toolbar and hover ----


// ---- the overlay's calls ----

void CanvasController::reveal()
{
    updateHint();
    fadeIn(toolbar);
    fadeIn(hint);
    fadeIn(commands);
    focusDocument();
    updateHover();
}

void CanvasController::setEditingPlaceholder(const QString &text)
{
    if (editing)
        editing->setPlaceholder(text);
}

void CanvasController::visibleAreaChanged(const QRectF &oldArea, const QRectF &)
{
    keepContentInView(oldArea);
}

// ---- the session's calls ----

void CanvasController::focusDocument()
{
    if (scrollView)
        scrollView->setFocus(Qt::OtherFocusReason);
}

void CanvasController::saveCurrentPage()
{
    if (currentPage < 0 || currentPage >= pages.size())
        return;
    endEditing();
    if (thumbnailWork)
        scheduler()->cancel(thumbnailWork);
    thumbnailWork = 0;
    thumbnailDue.reset();
    Page &page = pages[currentPage];
    page.markup = markup;
    page.images = images;
    page.history = history;
    page.stamps = stamps;
    page.view = PageView{scrollView->magnification(), scrollView->origin()};
    page.viewArea = visibleArea();
    if (pictureStale || !page.picture)
        makePagePicture();
}

bool CanvasController::markCurrentPageDone()
{
    if (currentPage >= 0 && currentPage < pages.size())
        pages[currentPage].done = true;
    if (pages.size() < 2)
        return false;
    refreshRail(true);
    return true;
}

void CanvasController::flashCopyRow(const QString &text)
{
    if (CommandRow *row = commands ? commands->copyRow() : nullptr)
        row->flash(text);
}

// ---- making, showing and handing over pages ----

QRectF CanvasController::fittedFrame(const QRectF &rect) const
{
    const int index = Prefs::remembersStyle() ? Prefs::styleSizeIndex() : 2;
    const double k = Item::sizeScales[std::clamp(index, 0, int(Item::sizeScales.size()) - 1)];
    const QRectF free = visibleArea();
    return NoteLayout::fit(rect.translated(free.topLeft()), free, 60, k);
}

CanvasController::MadePage CanvasController::makePage(const QImage &image, double pixelScale, const QRectF &rect)
{
    const double scale = pixelScale > 0 && std::isfinite(pixelScale) ? pixelScale : 1;
    const QRectF frame = fittedFrame(rect);
    MadePage made;
    made.frame = frame;
    Page &page = made.page;
    page.markup = Markup::single(rect, QSizeF(image.width() / scale, image.height() / scale),
                                 rect.width() / std::max(frame.width(), 1.0));
    page.images.insert(page.markup.shots.first().id, ShotImage{image, scale});
    page.created = QDateTime::currentDateTime();
    return made;
}

void CanvasController::insertPages(int at, const QList<Page> &added)
{
    at = std::clamp(at, 0, int(pages.size()));
    for (int i = 0; i < added.size(); ++i)
        pages.insert(at + i, added[i]);
    if (currentPage >= at)
        currentPage += int(added.size());
    // Picks in the rail go with the rows; the done marks live in the pages themselves.
}

void CanvasController::showPage(int index, const std::optional<QRectF> &frame, bool pagesOnly)
{
    if (index < 0 || index >= pages.size())
        return;
    currentPage = index;
    const Page &page = pages[index];
    markup = page.markup;
    images = page.images;
    history = page.history;
    stamps = page.stamps;
    selection.clear();
    selectedShot.reset();
    lastCropHandle.reset();
    drag = Drag{};
    pictured = markup;
    refresh(true);
    QList<QRectF> frames;
    for (const Item &item : std::as_const(markup.items)) {
        const QRectF r = itemBounds(item);
        if (!r.isNull())
            frames << r;
    }
    docView->include(Trim::contentBounds(frames, markup.shotsBounds(), 0));
    buildSamplers();
    refreshRail(pagesOnly);
    warmDisplayImages();
    pictureStale = false;
    if (!pages[index].pictured)
        scheduleThumbnail(false, 0, 0.35);
    const Page &shown = pages[index];
    if (frame) {
        if (!markup.shots.isEmpty())
            scrollView->showDocumentRect(markup.shotRect(), frame->translated(-QPointF(scrollView->pos())));
    } else if (shown.view) {
        const QRectF before = shown.viewArea.value_or(visibleArea());
        scrollView->setView(shown.view->zoom, shown.view->origin);
        if (shown.viewArea)
            visibleAreaChanged(before, visibleArea());
    } else {
        zoomToFit();
    }
    focusDocument();
    updateToolbar();
}

void CanvasController::setPageHistory(int index, const std::optional<QString> &id, const std::optional<QDateTime> &created)
{
    if (index < 0 || index >= pages.size())
        return;
    const bool changed = pages[index].historyID != id;
    pages[index].historyID = id;
    if (created)
        pages[index].created = *created;
    // The page's entry is no longer an earlier capture of the rail.
    if (changed)
        refreshRail(false);
}

QList<SessionPage> CanvasController::pagesForSaving() const
{
    QList<SessionPage> out;
    out.reserve(pages.size());
    const bool live = currentPage >= 0 && currentPage < pages.size();
    for (int i = 0; i < pages.size(); ++i) {
        const Page &page = pages[i];
        SessionPage saved{page.historyID, page.markup, page.images, page.picture.value_or(QImage()), page.created,
                          page.asAdded};
        if (live && i == currentPage) {
            saved.markup = markup;
            saved.markup.items.removeIf(
                [](const Item &item) { return item.kind == ItemKind::text && item.string.trimmed().isEmpty(); });
            saved.images = images;
        }
        out << saved;
    }
    return out;
}

// ---- pages coming in ----

void CanvasController::addShotPage(const QImage &image, double pixelScale, const QRectF &rect)
{
    addShot(image, pixelScale, rect);
}

void CanvasController::addShot(const QImage &image, double pixelScale, const QRectF &rect)
{
    saveCurrentPage();
    railFocused = false;
    rail->clearPicks();
    rail->show();
    layout();
    const MadePage made = makePage(image, pixelScale, rect);
    insertPages(0, {made.page});
    showPage(0, made.frame, true);
    scheduleThumbnail(true, 0, 0.05);
    openNoteForNewShot();
    setEditingPlaceholder(QStringLiteral("Enter text"));
}

void CanvasController::addPictures(const QList<Importer::Picture> &pictures, bool open)
{
    activityLog(QStringLiteral("import: %1 picture(s) added as pages").arg(pictures.size()));
    if (pictures.isEmpty())
        return;
    saveCurrentPage();
    railFocused = false;
    rail->clearPicks();
    rail->show();
    layout();
    QList<Page> added;
    std::optional<QRectF> firstFrame;
    for (const Importer::Picture &picture : pictures) {
        const double scale = picture.pixelScale > 0 ? picture.pixelScale : 1;
        MadePage made =
            makePage(picture.image, scale, QRectF(0, 0, picture.image.width() / scale, picture.image.height() / scale));
        made.page.asAdded = made.page.markup;
        made.page.picture = picture.small ? *picture.small : Importer::downscaled(picture.image, Importer::smallWidth);
        if (!firstFrame)
            firstFrame = made.frame;
        added << made.page;
    }
    if (open) {
        insertPages(0, added);
        showPage(0, firstFrame, true);
        scheduleThumbnail(true, 0, 0.05);
        openNoteForNewShot();
        setEditingPlaceholder(QStringLiteral("Enter text"));
        return;
    }
    insertPages(int(pages.size()), added);
    refreshRail(true);
    warmDisplayImages();
    zoomToFit();
    scheduleThumbnail(true, 0, 0.05);
}

bool CanvasController::openRecent(const QString &id)
{
    for (const Page &page : std::as_const(pages)) {
        if (page.historyID == id)
            return false;
    }
    const std::optional<Recents::Loaded> loaded = Recents::load(id);
    if (!loaded)
        return false;
    saveCurrentPage();
    Page page;
    page.markup = loaded->markup;
    page.images = loaded->images;
    page.historyID = id;
    page.created = Recents::created(id).value_or(QDateTime::fromMSecsSinceEpoch(0));
    if (recentPictures.contains(id)) {
        page.picture = recentPictures.value(id);
    } else {
        page.picture = Recents::smallPicture(id);
    }
    int at = int(pages.size());
    for (int i = 0; i < pages.size(); ++i) {
        if (pages[i].created < page.created) {
            at = i;
            break;
        }
    }
    insertPages(at, {page});
    showPage(at, std::nullopt, false);
    return true;
}

void CanvasController::selectPage(int index)
{
    if (index < 0 || index >= pages.size())
        return;
    if (index == currentPage) {
        endEditing();
        selection.clear();
        selectedShot.reset();
        refresh(false);
        focusDocument();
    } else {
        saveCurrentPage();
        showPage(index, std::nullopt, true);
    }
    railFocused = true;
}

void CanvasController::updateThumbnailNow()
{
    if (thumbnailWork)
        scheduler()->cancel(thumbnailWork);
    thumbnailWork = 0;
    thumbnailDue.reset();
    makePagePicture();
    if (!rail->isHidden())
        refreshRail(true);
}

void CanvasController::restorePages(const QList<SavedPage> &saved, const QString &id)
{
    int p = -1;
    for (int i = 0; i < saved.size(); ++i) {
        if (saved[i].id == id) {
            p = i;
            break;
        }
    }
    if (p < 0 || pages.isEmpty())
        return;
    QList<Page> list;
    for (int i = 0; i < saved.size(); ++i) {
        if (i == p) {
            list << pages.first();
            continue;
        }
        Page page;
        page.markup = saved[i].markup;
        page.images = saved[i].images;
        page.historyID = saved[i].id;
        if (!saved[i].picture.isNull())
            page.picture = saved[i].picture;
        page.created = Recents::created(saved[i].id).value_or(QDateTime::currentDateTime());
        list << page;
    }
    pages = list;
    currentPage = p;
    refreshRail(false);
    warmDisplayImages();
    zoomToFit();
    scheduleThumbnail(true, 0, 0.05);
}
