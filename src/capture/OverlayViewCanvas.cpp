// The overlay view once the chosen area has become the canvas: building the first document,
// turning the overlay's window into the canvas window, and what the view does for the canvas it
// hosts (keys that reach it, resizing, cursors for the edge resizer, dropped pictures, closing).
#include "capture/OverlayView.h"

#include "app/ActivityLog.h"
#include "app/ChromeViews.h"
#include "app/PreferenceReaders.h"
#include "app/SelfCheckFlag.h"
#include "app/Toast.h"
#include "capture/Importer.h"
#include "capture/OverlayCanvas.h"
#include "capture/OverlayPool.h"
#include "capture/OverlayWindow.h"
#include "document/Item.h"
#include "document/NoteLayout.h"
#include "document/RailGrid.h"
#include "platform/WindowFrame.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QMimeData>
#include <QPropertyAnimation>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <cmath>

OverlayCanvas::Make OverlayCanvas::make;
std::function<bool()> OverlayCanvas::historyHasEntry;

namespace {
constexpr double sidebarWidth = 228;
constexpr double oneColumnRail = 184;
constexpr double canvasRoom = 520;
constexpr double windowInset = 50;
constexpr double fitExtra = 60;

// The text-size scale of new comments: the remembered size, else the standard one.
double textScale()
{
    const int index = Prefs::remembersStyle() ? Prefs::styleSizeIndex() : 2;
    return Item::sizeScales[std::size_t(std::clamp(index, 0, 3))];
}

// The command sidebar takes its room when a one-column rail and a 520 pt canvas fit beside it.
double sidebarFor(double width)
{
    return width - sidebarWidth - oneColumnRail >= canvasRoom ? sidebarWidth : 0;
}

double railFor(double railSetting, double thumb, double room)
{
    return railSetting > 0 ? RailGrid::columns(railSetting, thumb, room).width : 0;
}

// Whether the window is an overlay over a whole screen, as the pool keeps them.
bool coversAScreen(const OverlayWindow *w)
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    return std::any_of(screens.cbegin(), screens.cend(), [&](const QScreen *s) { return s->geometry() == w->frame(); });
}

// The canvas is light whatever the desktop's theme is.
QPalette lightPalette()
{
    QPalette p(QColor(236, 236, 236), Qt::white);
    p.setColor(QPalette::Window, Qt::white);
    p.setColor(QPalette::WindowText, QColor(28, 28, 30));
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::AlternateBase, QColor(245, 245, 247));
    p.setColor(QPalette::Text, QColor(28, 28, 30));
    p.setColor(QPalette::ButtonText, QColor(28, 28, 30));
    p.setColor(QPalette::PlaceholderText, QColor(0, 0, 0, 64));
    p.setColor(QPalette::ToolTipBase, Qt::white);
    p.setColor(QPalette::ToolTipText, QColor(28, 28, 30));
    p.setColor(QPalette::Highlight, Prefs::accentColor());
    p.setColor(QPalette::HighlightedText, Qt::white);
    return p;
}
} // namespace

QRectF OverlayView::canvasContent(const QRectF &visible, double titleBar)
{
    // The visible frame less 50 pt all round; the title bar takes the top of that.
    const QRectF r = visible.adjusted(windowInset, windowInset, -windowInset, -windowInset);
    return QRectF(r.x(), r.y() + titleBar, r.width(), r.height() - titleBar).toAlignedRect();
}

OverlayView::CanvasFrames OverlayView::canvasLayout(const QRectF &shot, const QRectF &old, const QRectF &visible,
                                                    double titleBar, double railSetting, double thumb)
{
    const QRectF content = canvasContent(visible, titleBar);
    const double sidebar = sidebarFor(content.width());
    const double rail = railFor(railSetting, thumb, content.width() - sidebar);
    // The chosen rectangle in the content's coordinates.
    const QRectF moved = shot.translated(old.x() - content.x(), old.y() - content.y());
    const QRectF area(rail, 0, content.width() - rail - sidebar, content.height());
    return {content, NoteLayout::fit(moved, area, fitExtra, textScale())};
}

QRectF OverlayView::becomeCanvasWindow(const QRectF &rect)
{
    m_showsFrozen = false;
    m_dimOpacity = 0;
    m_appear->stop();
    update();
    const double railSetting =
        OverlayCanvas::historyHasEntry && OverlayCanvas::historyHasEntry() ? Prefs::railWidth() : 0;
    auto *w = qobject_cast<OverlayWindow *>(window());
    if (!w) {
        const QRectF b(QWidget::rect());
        const double sidebar = sidebarFor(b.width());
        const double rail = railFor(railSetting, Prefs::railThumb(), b.width() - sidebar);
        return NoteLayout::fit(rect, QRectF(rail, 0, b.width() - rail - sidebar, b.height()), fitExtra, 1.0);
    }
    const QRectF old = w->geometry();
    const QScreen *screen = w->screen();
    const QRectF visible = screen ? QRectF(screen->availableGeometry()) : old;
    const CanvasFrames frames =
        canvasLayout(rect, old, visible, WindowFrame::titleBarHeight(screen), railSetting, Prefs::railThumb());
    const QRect content = frames.content.toRect();
    OverlayWindow *canvasWindow = w;
    OverlayPool &pool = OverlayPool::shared();
    OverlayWindow *kept = !w->isTitled() && pool.enabled && coversAScreen(w) ? pool.takeCanvas(content) : nullptr;
    if (kept) {
        // The view moves into the canvas window of an earlier canvas; the overlay's window goes
        // out of sight, and the session gives it back to the pool. (Without one the overlay
        // turns into the canvas window in place.)
        canvasWindow = kept;
        w->releaseContentView();
        canvasWindow->setContentView(this);
        w->orderOut();
    }
    canvasWindow->becomeCanvas(content);
    if (OverlayViewHost *host = session())
        host->canvasOpened();
    QPointer<OverlayView> self(this);
    canvasWindow->onUserClose = [self] {
        if (self)
            self->canvasClosedByUser();
    };
    return frames.shot;
}

OverlayCanvas *OverlayView::attachCanvas(const Markup &markup, const ShotImages &images, const QRectF &shotFrame)
{
    if (m_canvas)
        return m_canvas.get();
    setPalette(lightPalette());
    if (!OverlayCanvas::make) {
        activityLog(QStringLiteral("capture: the canvas is not in this build; the chosen area is not opened"));
        return nullptr;
    }
    m_canvas = OverlayCanvas::make(*this, images, markup, shotFrame);
    if (!m_canvas)
        return nullptr;
    setAcceptDrops(true);
    // The size chip and labels stay above the canvas's views.
    m_passive->raise();
    if (QWidget *doc = m_canvas->documentWidget())
        doc->setFocus(Qt::OtherFocusReason);
    return m_canvas.get();
}

void OverlayView::revealCanvas()
{
    m_showsFrozen = false;
    m_dimOpacity = 0;
    update();
    if (m_canvas)
        m_canvas->reveal();
    // The debug line fades in with the canvas.
    const bool shown = !m_debugLabel->text().isEmpty();
    m_debugLabel->setVisible(shown);
    if (shown) {
        auto *effect = new QGraphicsOpacityEffect(m_debugLabel);
        effect->setOpacity(0);
        m_debugLabel->setGraphicsEffect(effect);
        auto *fade = new QPropertyAnimation(effect, "opacity", m_debugLabel);
        fade->setStartValue(0.0);
        fade->setEndValue(1.0);
        fade->setDuration(250);
        fade->start(QAbstractAnimation::DeleteWhenStopped);
    }
}

void OverlayView::openCanvas(const QRectF &chosen, const QImage &windowPicture, double scale)
{
    // A copy: the chosen rectangle may be the selection, which is cleared below.
    const QRectF rect = chosen;
    m_stage = Stage::Canvas;
    if (OverlayViewHost *host = session())
        host->commitArea(this, rect);
    m_chip->hide();
    setSelection(std::nullopt);
    const QSizeF bounds = QSizeF(size());
    const QRectF shotFrame = becomeCanvasWindow(rect);

    Markup markup;
    ShotImages images;
    if (windowPicture.isNull()) {
        // The whole frozen display is the picture; the chosen rectangle cuts the shot out of it.
        markup = Markup::single(rect, bounds, rect.width() / std::max(shotFrame.width(), 1e-9));
        images.insert(markup.shots.first().id, ShotImage{m_frozen, m_pixelScale});
    } else {
        const Shot shot(QUuid::createUuid(), rect.topLeft(), rect.size(), rect);
        markup = Markup({shot}, rect.width() / std::max(shotFrame.width(), 1.0), {});
        images.insert(shot.id, ShotImage{windowPicture, scale > 0 ? scale : 1.0});
    }
    if (!attachCanvas(markup, images, shotFrame))
        return;
    revealCanvas();
    m_canvas->openNoteForNewShot();
    m_canvas->setEditingPlaceholder(QStringLiteral("Enter text"));
}

void OverlayView::openPicturesCanvas(const Markup &markup, const ShotImages &images, const std::optional<QRectF> &at)
{
    m_stage = Stage::Canvas;
    m_chip->hide();
    setSelection(std::nullopt);
    const QSizeF first = markup.shots.isEmpty() ? QSizeF() : markup.shots.first().rect.size();
    const QRectF rect = at ? *at : QRectF(QPointF((width() - first.width()) / 2, (height() - first.height()) / 2), first);
    const QRectF shotFrame = becomeCanvasWindow(rect);
    if (!attachCanvas(markup, images, shotFrame))
        return;
    revealCanvas();
}

void OverlayView::canvasClosedByUser()
{
    cancel();
}

QCursor OverlayView::cursorAt(QPoint windowPoint) const
{
    if (m_stage == Stage::Selecting || !m_canvas)
        return Qt::ArrowCursor;
    const QPoint p = mapFrom(window(), windowPoint);
    if (!rect().contains(p))
        return Qt::ArrowCursor;
    QWidget *hit = childAt(p);
    if (!hit)
        return Qt::ArrowCursor;
    return m_canvas->cursorOver(hit).value_or(QCursor(Qt::ArrowCursor));
}

// ---- dropped pictures ----

bool OverlayView::acceptsDrop(const QDropEvent *event) const
{
    // A drag that starts in this application (the rail, the drag-out handle) is never taken.
    return m_stage == Stage::Canvas && m_canvas && !event->source() && Importer::canRead(event->mimeData());
}

void OverlayView::dragEnterEvent(QDragEnterEvent *event)
{
    dragMoveEvent(event);
}

void OverlayView::dragMoveEvent(QDragMoveEvent *event)
{
    if (!acceptsDrop(event)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}


void OverlayView::dropEvent(QDropEvent *event)
{
    if (m_stage != Stage::Canvas || !m_canvas || event->source()) {
        event->ignore();
        return;
    }
    const Importer::Loaded loaded = Importer::pictures(event->mimeData());
    if (loaded.pictures.isEmpty()) {
        event->ignore();
        toast(QStringLiteral("Quillet™ cannot read that image"), 0.9);
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    // Added on a later turn, and only to the canvas that took the drop.
    QPointer<OverlayView> self(this);
    const OverlayCanvas *target = m_canvas.get();
    QTimer::singleShot(0, this, [self, target, loaded] {
        if (!self || self->m_canvas.get() != target)
            return;
        if (QWidget *w = self->window(); w && !SelfCheckFlag::isSet()) {
            w->raise();
            w->activateWindow();
        }
        self->m_canvas->addPictures(loaded.pictures, true);
        if (loaded.pictures.size() >= 2 || loaded.failed > 0)
            toast(Importer::addedMessage(int(loaded.pictures.size()), loaded.failed), 0.9);
    });
}
