#include "DropStage.h"

#include "Autopilot.h"
#include "CanvasChecks.h"
#include "Detail.h"
#include "Pasteboards.h"
#include "PageSteps.h"
#include "PicturesCanvas.h"
#include "ScriptedInput.h"
#include "SidebarChecks.h"

#include "canvas/CanvasController.h"
#include "canvas/CanvasScrollView.h"
#include "capture/OverlayView.h"
#include "capture/OverlayWindow.h"
#include "export/SamplePicture.h"
#include "rail/PageRail.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QUrl>

namespace Autopilot {
namespace {

// The five files of the drop, in order: photos 1 and 2, a text file, photos 3 and 4. A photo
// that cannot be drawn or encoded is left out.
QList<QUrl> writeDropFiles(const QString &folder)
{
    QDir().mkpath(folder);
    QList<QUrl> urls;
    auto write = [&](const QString &name, const QByteArray &bytes) {
        const QString path = QDir(folder).filePath(name);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(bytes);
        urls.append(QUrl::fromLocalFile(path));
    };
    auto photo = [&](int n) {
        const QImage picture = samplePicture(1400 + 200 * (n - 1), 900, n);
        QByteArray png;
        QBuffer buffer(&png);
        if (picture.isNull() || !buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, "PNG"))
            return;
        write(QStringLiteral("photo-%1.png").arg(n), png);
    };
    photo(1);
    photo(2);
    write(QStringLiteral("notes.txt"), QByteArrayLiteral("not a picture"));
    photo(3);
    photo(4);
    return urls;
}

// Whether each page belongs in the history: it has a history id, was not added as an opened
// picture, or was marked since it was added. The current page is read live.
QList<bool> forHistory(const CanvasController *canvas)
{
    QList<bool> flags;
    for (int i = 0; i < canvas->pages.size(); ++i) {
        const CanvasController::Page &page = canvas->pages.at(i);
        const Markup &markup = i == canvas->currentPage ? canvas->markup : page.markup;
        flags.append(page.historyID.has_value() || !page.asAdded || !(markup == *page.asAdded));
    }
    return flags;
}

QList<bool> doneMarks(const CanvasController *canvas)
{
    QList<bool> marks;
    for (const CanvasController::Page &page : canvas->pages)
        marks.append(page.done);
    return marks;
}

int shotsOn(const CanvasController *canvas, int i)
{
    return int(i == canvas->currentPage ? canvas->markup.shots.size() : canvas->pages.at(i).markup.shots.size());
}

void goToPage(CanvasController *canvas, int index)
{
    if (canvas->pages.size() <= index || canvas->currentPage == index)
        return;
    canvas->saveCurrentPage();
    canvas->showPage(index);
}

bool shotInView(const CanvasController *canvas)
{
    return canvas->scrollView && canvas->scrollView->visibleRect().contains(canvas->markup.shotRect());
}

int railCount(const CanvasController *canvas)
{
    return canvas->rail ? canvas->rail->count() : 0;
}

// The canvas of the first picture, as a capture of it would be.
StagedOverlay firstPictureCanvas(const Importer::Picture &first, QSize screen)
{
    const Markup markup = fittedPicture(QSizeF(first.image.size()) / first.pixelScale, screen);
    return openPicturesCanvas(markup, {{markup.shots.first().id, ShotImage{first.image, first.pixelScale}}},
                              first.image, first.pixelScale, screen);
}

void pageChecks(CanvasController *canvas)
{
    const int pages = int(canvas->pages.size());
    bool oneShotEach = true;
    for (int i = 0; i < pages; ++i)
        oneShotEach = oneShotEach && shotsOn(canvas, i) == 1;
    const bool railShown = canvas->rail && !canvas->rail->isHidden();
    check(QStringLiteral("pictures dropped together are a page each, the first one open"),
          pages == 4 && canvas->currentPage == 0 && railShown && railCount(canvas) == 4 && oneShotEach, [&] {
              return QStringLiteral("%1 %2 %3").arg(pages).arg(canvas->currentPage).arg(railCount(canvas));
          });
    bool small = pages > 1;
    for (int i = 1; i < pages; ++i) {
        const std::optional<QImage> &picture = canvas->pages.at(i).picture;
        small = small && picture && picture->width() >= 1 && picture->width() <= 720;
    }
    check(QStringLiteral("each waits in the rail with a small picture of itself"), small);
    const QRectF inHost = canvas->toHost(canvas->markup.shotRect());
    check(QStringLiteral("the open picture is clear of the rail"), shotInView(canvas) && inHost.left() >= 184,
          [=] { return Detail::text(inHost); });
}

void drawOnCurrentPage(CanvasController *canvas)
{
    const QRectF shot = canvas->markup.shotRect();
    drag(canvas, shot.topLeft() + QPointF(80, 60), shot.topLeft() + QPointF(320, 220));
    if (canvas->editing)
        canvas->editing->insertPlainText(QStringLiteral("look here"));
    canvas->endEditing();
    canvas->saveCurrentPage();
}

} // namespace

std::function<Importer::Loaded(const QMimeData *)> &dropReader()
{
    static std::function<Importer::Loaded(const QMimeData *)> read = Importer::pictures;
    return read;
}

void dropStage(const Handover &handover)
{
    const QList<QUrl> urls = writeDropFiles(QDir(handover.folder).filePath(QStringLiteral("dropped")));
    const auto board = Pasteboards::named(Pasteboards::drop);
    board->clear();
    auto *data = new QMimeData;
    data->setUrls(urls);
    board->setMimeData(data);
    const Importer::Loaded loaded = dropReader()(board->mimeData());
    board->clear();

    QList<int> widths;
    for (const Importer::Picture &picture : loaded.pictures)
        widths.append(picture.image.width());
    check(QStringLiteral("every image file dropped together is read, in order, and other files are counted"),
          widths == QList<int>{1400, 1600, 1800, 2000} && loaded.failed == 1,
          [&] { return Detail::text(widths) + QLatin1Char(' ') + Detail::text(loaded.failed); });
    check(QStringLiteral("the toast says how many came in"),
          Importer::addedMessage(int(loaded.pictures.size()), loaded.failed)
              == QStringLiteral("Added 4 pictures; 1 file is not a picture Quillet™ can read"));
    if (loaded.pictures.size() != 4)
        return;

    const StagedOverlay staged = firstPictureCanvas(loaded.pictures.first(), handover.screen);
    CanvasController *canvas = canvasOf(staged.view);
    if (!canvas) {
        check(QStringLiteral("canvas for dropped pictures"), false);
        return;
    }
    canvas->addPictures(loaded.pictures.mid(1), false);
    pageChecks(canvas);

    goToPage(canvas, 2);
    const QImage rendered = exportPicture(canvas);
    check(QStringLiteral("a picture that waited opens whole, at full size"),
          canvas->currentPage == 2 && !rendered.isNull() && rendered.width() >= 1800,
          [&] { return QStringLiteral("%1 %2").arg(canvas->currentPage).arg(rendered.width()); });

    goToPage(canvas, 1);
    goToPage(canvas, 2);
    canvas->saveCurrentPage();
    {
        const QList<bool> flags = forHistory(canvas);
        bool onlyFirst = !flags.isEmpty() && flags.first();
        for (qsizetype i = 1; i < flags.size(); ++i)
            onlyFirst = onlyFirst && !flags.at(i);
        check(QStringLiteral("pictures only looked at are not for history"), onlyFirst);
    }

    drawOnCurrentPage(canvas);
    check(QStringLiteral("a marked picture is"), forHistory(canvas) == QList<bool>{true, false, true, false},
          [&] { return Detail::text(forHistory(canvas)); });

    canvas->addPictures(loaded.pictures.mid(0, 2), true);
    {
        const int pages = int(canvas->pages.size());
        const int current = canvas->currentPage;
        const bool inView = shotInView(canvas);
        const int rail = railCount(canvas);
        canvas->saveCurrentPage();
        check(QStringLiteral("pictures dropped on an open canvas go above the others, the first of them open"),
              pages == 6 && current == 0 && rail == 6 && inView
                  && forHistory(canvas) == QList<bool>{false, false, true, false, true, false},
              [=] { return QStringLiteral("%1 %2").arg(pages).arg(current); });
    }
    PageSteps::writeSettledPicture(canvas, staged.view, QStringLiteral("7b-dropped"));

    if (canvas->pages.size() > 2)
        goToPage(canvas, 2);
    const bool answered = canvas->markCurrentPageDone();
    check(QStringLiteral("a shot that goes out is ticked and stays open"),
          answered && canvas->currentPage == 2 && canvas->pages.size() == 6
              && doneMarks(canvas) == QList<bool>{false, false, true, false, false, false},
          [&] {
              return Detail::text(answered) + QLatin1Char(' ') + Detail::text(canvas->currentPage) + QLatin1Char(' ')
                     + Detail::text(doneMarks(canvas));
          });
    canvas->saveCurrentPage();
    check(QStringLiteral("sending a picture out does not mark it"),
          forHistory(canvas) == QList<bool>{false, false, true, false, true, false},
          [&] { return Detail::text(forHistory(canvas)); });
    PageSteps::writeSettledPicture(canvas, staged.view, QStringLiteral("7c-done"));

    sidebarChecks(canvas, staged.view);
    staged.window->orderOut();
}

} // namespace Autopilot
