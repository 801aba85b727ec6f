#include "SeveralShots.h"

#include "Autopilot.h"
#include "Chain.h"
#include "ClickThrough.h"
#include "Detail.h"
#include "Lookups.h"
#include "PageSteps.h"
#include "ScriptedInput.h"
#include "ThumbSizes.h"
#include "ToolbarTips.h"

#include "canvas/CanvasController.h"
#include "canvas/CanvasScrollView.h"
#include "canvas/TextItemView.h"
#include "capture/ClipboardPicture.h"
#include "capture/OverlayView.h"
#include "export/ExportScene.h"
#include "export/SamplePicture.h"
#include "history/Recents.h"
#include "platform/KeyTable.h"
#include "rail/PageRail.h"
#include "rail/RailThumb.h"

#include <QKeyEvent>
#include <QUuid>

#include <algorithm>
#include <cmath>

namespace Autopilot {
namespace {
using namespace Detail;
using PageSteps::show;

constexpr int chainStep = 9;
const QChar deleteChar(0x7F);

bool onlyEmptyTexts(const ItemList &items)
{
    return std::all_of(items.begin(), items.end(),
                       [](const Item &item) { return item.kind == ItemKind::text && item.string.isEmpty(); });
}

QList<int> restyles(const QList<RailThumb *> &thumbs)
{
    QList<int> values;
    for (const RailThumb *thumb : thumbs)
        values.append(thumb ? thumb->restyledForTest : -1);
    return values;
}

// Each page's picture (null for none).
QList<QImage> pagePictures(const CanvasController *c)
{
    QList<QImage> pictures;
    for (const CanvasController::Page &page : c->pages)
        pictures.append(page.picture.value_or(QImage()));
    return pictures;
}

void type(CanvasController *c, const QString &text)
{
    if (c->editing)
        c->editing->insertPlainText(text);
}

int itemCount(const CanvasController *c) { return int(c->markup.items.size()); }

QString pagesAndCurrent(const CanvasController *c)
{
    return text(int(c->pages.size())) + QLatin1Char(' ') + text(c->currentPage);
}

// Steps 3–11: three new shots, their thumbnails, the rail and a click on the fourth thumbnail.
void newShots(CanvasController *c, QWidget *host, int firstItems)
{
    for (int i = 1; i <= 3; ++i) {
        const QImage picture = samplePicture(2880, 1800, i);
        if (!picture.isNull())
            c->addShot(picture, 2, QRectF(240, 0, 600, 420));
    }
    check(QStringLiteral("each new shot opens on a page of its own"),
          c->pages.size() == 4 && c->currentPage == 0 && c->markup.shots.size() == 1 && onlyEmptyTexts(c->markup.items),
          [c] { return pagesAndCurrent(c) + QLatin1Char(' ') + text(int(c->markup.shots.size())); });
    const QList<QDateTime> dates = PageSteps::pageDates(c);
    check(QStringLiteral("the newest shot is at the top of the rail, the first one taken at the bottom"),
          PageSteps::newestFirst(dates) && c->pages.size() >= 4 && c->pages.at(3).markup.items.size() == firstItems,
          [dates] { return text(dates); });

    c->updateThumbnailNow();
    check(QStringLiteral("a new shot has its thumbnail while its first comment still waits to be typed"),
          !c->pages.isEmpty() && c->pages.at(0).picture && c->pages.at(0).pictured && c->editing
              && c->markup.items.size() == 1);
    const double before = c->pages.isEmpty() ? 0 : PageSteps::aspect(c->pages.at(0).picture);

    type(c, QStringLiteral("the thumbnail shows this while it is typed"));
    const bool due = c->thumbnailPending();
    c->updateThumbnailNow();
    const double typed = c->pages.isEmpty() ? 0 : PageSteps::aspect(c->pages.at(0).picture);
    check(QStringLiteral("the thumbnail follows a comment as it is typed, and the comment stays open"),
          due && c->editing && typed > 0 && std::abs(typed - before) > 0.02 && !c->thumbnailPending(), [&] {
              return QStringLiteral("due ") + text(due) + QStringLiteral(" editing ") + text(bool(c->editing))
                     + QLatin1Char(' ') + change(before, typed);
          });

    if (c->editing) {
        c->editing->setPlainText(QString());
        c->textChanged();
    }
    c->updateThumbnailNow();
    const double wiped = c->pages.isEmpty() ? 0 : PageSteps::aspect(c->pages.at(0).picture);
    check(QStringLiteral("and goes back when the words are wiped"),
          std::abs(wiped - before) < 0.005 && c->editing, [&] { return change(before, wiped); });

    const QRectF scrollFrame = c->scrollView->geometry();
    check(QStringLiteral("the pages show as thumbnails down the left"),
          !c->rail->isHidden() && c->rail->count() == 4 && scrollFrame.x() >= 184,
          [&] { return text(c->rail->count()) + QLatin1Char(' ') + text(scrollFrame); });
    check(QStringLiteral("the new page shows its shot"), c->scrollView->visibleRect().contains(c->markup.shotRect()));

    // A click on the fourth thumbnail, where a real press reaches.
    const std::optional<QPointF> centre = c->rail->pageThumbCenter(3);
    QWidget *superview = c->rail->parentWidget();
    if (!superview || !superview->window() || !centre) {
        check(QStringLiteral("clicking a thumbnail opens its page"), false,
              [] { return QStringLiteral("no window for the rail"); });
    } else {
        const QPointF inHost = host->mapFromGlobal(superview->mapToGlobal(*centre));
        QWidget *hit = widgetAt(host, inHost);
        auto *thumb = qobject_cast<RailThumb *>(hit);
        if (thumb && thumb->rail)
            thumb->rail->pressThumb(thumb, superview->window()->mapFromGlobal(superview->mapToGlobal(*centre)),
                                    Qt::NoModifier);
        check(QStringLiteral("clicking a thumbnail opens its page"), thumb && c->currentPage == 3, [&] {
            return QStringLiteral("hit ") + describe(hit) + QStringLiteral(" page ") + text(c->currentPage);
        });
        show(c, 0);
    }
    bool pictured = true;
    for (int p = 1; p < c->pages.size(); ++p)
        pictured = pictured && c->pages.at(p).picture && !c->pages.at(p).picture->isNull();
    check(QStringLiteral("pages left behind keep a picture with their marks"), pictured);
}

// Steps 12–17: marks on page 0, Delete in and out of a comment, undo, and switching pages.
int marksAndSwitching(CanvasController *c, int firstItems)
{
    const QRectF r = c->markup.shotRect();
    drag(c, QPointF(r.right() + 80, r.top() - 60), QPointF(r.right() - 120, r.top() + 60));
    type(c, QStringLiteral("this one"));
    c->endEditing();
    const int n = itemCount(c);

    if (c->pages.size() >= 4)
        show(c, 3);
    check(QStringLiteral("each page keeps its own marks"), c->currentPage == 3 && itemCount(c) == firstItems,
          [&] { return versus(itemCount(c), firstItems); });
    show(c, 0);
    check(QStringLiteral("going back shows them again"), c->currentPage == 0 && itemCount(c) == n && n > 1);
    check(QStringLiteral("the thumbnail is made with the marks"), !c->pages.isEmpty() && c->pages.at(0).picture);

    const QPointF from(r.left() + 40, r.bottom() + 90), to(r.left() + 160, r.bottom() - 40);
    const bool emptyBefore = c->history.past.isEmpty();
    drag(c, from, to);
    const int arrowCount = int(arrows(c->markup.items).size());
    bool handled = false;
    if (c->editing) {
        const auto key = keyEvent(KeyCode::Delete, deleteChar);
        handled = c->textViewCommand(TextItemView::Command::deleteBackward, key.get());
    }
    check(QStringLiteral("Delete right after drawing an arrow, nothing typed, takes the arrow away"),
          handled && arrowCount == 2 && !c->editing && itemCount(c) == n && c->history.past.isEmpty() == emptyBefore,
          [&] {
              return text(handled) + QLatin1Char(' ') + text(arrowCount) + QLatin1Char(' ') + versus(itemCount(c), n);
          });

    drag(c, from, to);
    handled = false;
    if (c->editing) {
        type(c, QStringLiteral("x"));
        const auto key = keyEvent(KeyCode::Delete, deleteChar);
        handled = c->textViewCommand(TextItemView::Command::deleteBackward, key.get());
        type(c, QString());
    }
    c->endEditing();
    check(QStringLiteral("with words in the comment, Delete is left to the comment"), !handled && itemCount(c) == n + 2,
          [&] { return text(handled) + QLatin1Char(' ') + text(itemCount(c)); });
    c->undo();
    check(QStringLiteral("and undo takes that arrow and its comment back in one step"), itemCount(c) == n,
          [&] { return text(itemCount(c)); });

    // Page 3 and back to page 0, then what the pages and thumbnails show.
    struct Seen
    {
        QList<QImage> pictures;
        QList<RailThumb *> thumbs;
        QList<int> styled;
    };
    const auto switchAndLook = [c] {
        if (c->pages.size() >= 4)
            show(c, 3);
        show(c, 0);
        Seen seen{pagePictures(c), PageSteps::pageThumbs(c), {}};
        seen.styled = restyles(seen.thumbs);
        return seen;
    };
    const Seen first = switchAndLook();
    const Seen second = switchAndLook();
    const QList<QImage> &pictures1 = first.pictures, &pictures2 = second.pictures;
    const QList<RailThumb *> &thumbs1 = first.thumbs, &thumbs2 = second.thumbs;
    const QList<int> &styled1 = first.styled, &styled2 = second.styled;
    check(QStringLiteral("moving between pages makes no page's picture again"), samePagePictures(pictures1, pictures2),
          [&] { return pictureWidths(pictures1); });
    const bool onlyRings = thumbs1.size() == 4 && thumbs2.size() == 4 && sameObjects(thumbs1, thumbs2)
                           && styled2.at(1) == styled1.at(1) && styled2.at(2) == styled1.at(2)
                           && styled2.at(0) > styled1.at(0) && styled2.at(3) > styled1.at(3);
    check(QStringLiteral("and redraws only the thumbnails whose ring moved, each the same view"), onlyRings,
          [&] { return change(styled1, styled2); });
    return n;
}

// Steps 18–23: the page's export, undo on its page, taking a page off and back.
bool exportAndRemoval(CanvasController *c, QWidget *host, int n)
{
    c->endEditing();
    const QImage exported = c->exportScene().render(ExportScene::halfSizePreferred(), std::nullopt, 16);
    if (exported.isNull()) {
        check(QStringLiteral("a page exports"), false);
        finish();
        return false;
    }
    check(QStringLiteral("a page exports on its own"), exported.width() >= 1200 && exported.width() < 2880,
          [&] { return text(exported.width()) + QLatin1Char('x') + text(exported.height()); });
    writePicture(ClipboardPicture::pngData(exported, 2), QStringLiteral("9-page-export"));

    c->undo();
    check(QStringLiteral("undo stays on its page"), c->markup.items.isEmpty() && c->pages.size() == 4);
    c->redo();
    PageSteps::writeSettledPicture(c, host, QStringLiteral("8-pages"));

    c->removePages({PageRail::Row::ofPage(1)});
    check(QStringLiteral("a page can be taken off"), c->pages.size() == 3 && c->currentPage == 0 && itemCount(c) == n);
    c->undo();
    check(QStringLiteral("undo brings a removed shot back in its place"),
          c->pages.size() == 4 && c->currentPage == 1 && c->rail->count() == 4, [c] { return pagesAndCurrent(c); });
    show(c, 0);
    check(QStringLiteral("the other pages kept their marks meanwhile"), itemCount(c) == n,
          [c] { return text(itemCount(c)); });
    if (c->pages.size() >= 2) {
        show(c, 1);
        c->redo();
        check(QStringLiteral("redo takes it off again"), c->pages.size() == 3 && c->currentPage == 1,
              [c] { return pagesAndCurrent(c); });
        c->undo();
    }
    return true;
}

void selectFirst(CanvasController *c)
{
    c->selection.clear();
    if (!c->markup.items.isEmpty())
        c->selection.insert(c->markup.items.first().id);
    c->refresh(false);
}

// Steps 25–31: Delete and the arrows with a mark selected, and with a page picked in the rail.
void keysOnMarksAndPages(CanvasController *c, int n)
{
    using PageSteps::key;
    show(c, 0);
    selectFirst(c);
    key(c, KeyCode::Delete, deleteChar);
    check(QStringLiteral("Delete on the canvas still removes marks, not the shot"),
          c->pages.size() == 4 && itemCount(c) < n,
          [c] { return text(int(c->pages.size())) + QLatin1Char(' ') + text(itemCount(c)); });
    c->undo();
    check(QStringLiteral("and undo there brings the mark back, not a shot"), c->pages.size() == 4 && itemCount(c) == n,
          [c] { return text(int(c->pages.size())) + QLatin1Char(' ') + text(itemCount(c)); });
    const Markup kept = c->markup;

    selectFirst(c);
    key(c, KeyCode::Down, {}, EventFlag::Option);
    const bool nudged = c->markup != kept;
    check(QStringLiteral("Option-down nudges the selected mark and stays on the shot"), c->currentPage == 0 && nudged,
          [&] { return QStringLiteral("page ") + text(c->currentPage) + QStringLiteral(", moved ") + text(nudged); });
    c->undo();

    selectFirst(c);
    key(c, KeyCode::Down);
    check(QStringLiteral("with a mark selected, the down arrow still goes to the next shot"),
          c->currentPage == 1 && c->railFocused,
          [c] { return text(c->currentPage) + QLatin1Char(' ') + text(c->railFocused); });
    show(c, 0);
    check(QStringLiteral("and the mark it left is where it was"), c->markup == kept);

    if (c->pages.size() >= 2) {
        show(c, 1);
        c->selection.clear();
        if (!c->markup.items.isEmpty())
            c->selection.insert(c->markup.items.first().id);
        c->refresh(false);
        key(c, KeyCode::Up);
        check(QStringLiteral("and the up arrow goes back, whatever is selected"), c->currentPage == 0 && c->railFocused,
              [c] { return text(c->currentPage); });
    }

    selectFirst(c);
    key(c, KeyCode::Up, {}, EventFlag::Shift);
    const bool shifted = c->markup != kept;
    check(QStringLiteral("Shift-up nudges the mark and stays on the shot"), c->currentPage == 0 && shifted,
          [&] { return QStringLiteral("page ") + text(c->currentPage) + QStringLiteral(", moved ") + text(shifted); });
    if (c->markup != kept)
        c->undo();

    c->selectPage(1);
    key(c, KeyCode::Down);
    check(QStringLiteral("with a shot picked in the rail, the down arrow goes to the next one"),
          c->currentPage == 2 && c->railFocused);
    key(c, KeyCode::Up);
    key(c, KeyCode::Delete, deleteChar);
    check(QStringLiteral("Delete takes the picked shot off without asking"), c->pages.size() == 3 && c->currentPage == 1,
          [c] { return pagesAndCurrent(c); });
    key(c, KeyCode::Z, QStringLiteral("z"), EventFlag::Command);
    check(QStringLiteral("Command-Z brings it back"), c->pages.size() == 4 && c->currentPage == 1,
          [c] { return pagesAndCurrent(c); });
    key(c, KeyCode::Delete, deleteChar);
    if (!c->pages.isEmpty())
        show(c, 0);
    check(QStringLiteral("the shots left are as before"),
          c->pages.size() == 3 && c->currentPage == 0 && itemCount(c) == n,
          [c] { return pagesAndCurrent(c) + QLatin1Char(' ') + text(itemCount(c)); });
}
} // namespace

bool samePagePictures(const QList<QImage> &before, const QList<QImage> &after)
{
    if (before.size() != after.size())
        return false;
    for (qsizetype i = 0; i < before.size(); ++i) {
        const QImage &a = before.at(i);
        if (a.isNull() || a.width() > 1700 || !RailThumb::samePicture(a, after.at(i)))
            return false;
    }
    return true;
}

QString pictureWidths(const QList<QImage> &pictures)
{
    QList<int> widths;
    for (const QImage &picture : pictures)
        widths.append(picture.isNull() ? 0 : picture.width());
    return Detail::text(widths);
}

void severalShots(const Handover &handover)
{
    // The canvas is the host view's own.
    OverlayView *host = handover.overlay;
    auto *c = host ? dynamic_cast<CanvasController *>(host->canvas()) : nullptr;
    if (!c || !host) {
        stageFailed(QStringLiteral("canvas for several shots"));
        return;
    }
    tipChecks(c, host);
    const int firstItems = itemCount(c);

    newShots(c, host, firstItems);
    thumbSizeChecks();
    const int n = marksAndSwitching(c, firstItems);
    if (!exportAndRemoval(c, host, n))
        return;
    if (!host->window() || !host->window()->isWindow() || host->window() == host) {
        check(QStringLiteral("Delete takes the picked shot off without asking"), false,
              [] { return QStringLiteral("no window"); });
    } else {
        keysOnMarksAndPages(c, n);
    }

    // The pages go into the history as one group, in page order.
    Recents::queue().sync([] {});
    Handover on = handover;
    on.controller = c;
    on.historyBefore = int(Recents::list().size());
    on.savedIDs.clear();
    const QString group = QUuid::createUuid().toString(QUuid::WithoutBraces);
    c->saveCurrentPage();
    for (int j = 0; j < c->pages.size(); ++j) {
        const CanvasController::Page &page = c->pages.at(j);
        if (const std::optional<QString> id = Recents::save(page.markup, page.images, page.picture.value_or(QImage()),
                                                            std::nullopt, group, j, page.created, false))
            on.savedIDs.append(*id);
    }
    Recents::queue().sync([] {});
    Chain::next(chainStep, on);
}

} // namespace Autopilot
