#include "capture/OverlayView.h"

#include "app/ActivityLog.h"
#include "app/ChromeViews.h"
#include "capture/OverlayCanvas.h"
#include "capture/OverlayLayout.h"
#include "document/Selection.h"
#include "platform/KeyTable.h"
#include "platform/PointerPosition.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPalette>
#include <QRadialGradient>
#include <QVariantAnimation>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace {
constexpr int appearMs = 120;
constexpr double dimAlpha = 0.5;

// The desktop's accent colour, read once per process at its first use.
QColor accentColor()
{
    static const QColor color = QGuiApplication::palette().color(QPalette::Highlight);
    return color;
}

QColor withAlpha(QColor c, double alpha)
{
    c.setAlphaF(float(alpha));
    return c;
}

// Qt spreads a fill of many lines over worker threads. For the thin pieces painted on every
// pointer move (edges of the dim, the border) that hand-off costs far more than the fill itself,
// so narrow pieces are filled in short bands that stay on this thread. Pieces are device-pixel
// aligned and painted without antialiasing, so bands meet without a seam.
void fillThin(QPainter &p, const QRectF &r, const QColor &color, double dpr)
{
    constexpr double narrowPixels = 512, bandPixels = 48;
    if (r.width() * dpr >= narrowPixels) {
        p.fillRect(r, color);
        return;
    }
    const double band = std::max(1.0, std::floor(bandPixels / dpr));
    for (double top = r.top(); top < r.bottom(); top += band)
        p.fillRect(QRectF(r.left(), top, r.width(), std::min(band, r.bottom() - top)), color);
}

// The pixels within m points of a rectangle's edges, on both sides.
QRegion edgeBand(const QRectF &r, double m)
{
    const QRect outer = r.adjusted(-m, -m, m, m).toAlignedRect();
    const QRectF innerF = r.adjusted(m, m, -m, -m);
    if (innerF.width() <= 0 || innerF.height() <= 0)
        return QRegion(outer);
    // The inner rectangle rounded inwards, so that no edge pixel is left out.
    const QRect inner(QPoint(int(std::ceil(innerF.left())), int(std::ceil(innerF.top()))),
                      QPoint(int(std::floor(innerF.right())) - 1,
                             int(std::floor(innerF.bottom())) - 1));
    return QRegion(outer).subtracted(QRegion(inner));
}

QRegion rectRegion(const std::optional<QRectF> &r, double grow = 0)
{
    if (!r)
        return {};
    return QRegion(r->adjusted(-grow, -grow, grow, grow).toAlignedRect());
}

// Where the border, its handles and the hover outline paint, for repaints.
constexpr double borderReach = 3, handleReach = OverlayLayout::handleSize / 2 + 4,
                 hoverReach = 2;

QRegion borderRegion(const std::optional<QRectF> &border)
{
    if (!border)
        return {};
    QRegion region = edgeBand(*border, borderReach);
    if (OverlayLayout::showsHandles(*border)) {
        for (const QPointF &g : OverlayLayout::gripPoints(*border)) {
            const QRectF h(g.x() - handleReach, g.y() - handleReach, 2 * handleReach,
                           2 * handleReach);
            region += h.toAlignedRect();
        }
    }
    return region;
}
} // namespace

OverlayView::OverlayView(QSize size, const QImage &frozen, std::optional<double> pixelScale,
                         QWidget *parent)
    : QWidget(parent)
    , m_frozen(frozen)
{
    if (pixelScale && *pixelScale > 0)
        m_pixelScale = *pixelScale;
    else if (size.width() > 0 && !frozen.isNull())
        m_pixelScale = double(frozen.width()) / size.width();
    // Painted as it is: one picture pixel to one device pixel when the screen's scale matches.
    m_frozen.setDevicePixelRatio(m_pixelScale);

    resize(size);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::CrossCursor);
    setAcceptDrops(false);

    m_passive = new FlippedView(rect(), this);
    m_chip = new GlassLabel(QRect(0, 0, 60, 28), m_passive);
    m_chip->setDark(true);
    m_chip->hide();
    m_coordLabel = new PointerLabel(QRect(0, 0, 40, 16), m_passive);
    m_coordLabel->hide();
    m_debugLabel = new QLabel(m_passive);
    QFont debugFont = font();
    debugFont.setPointSizeF(11.5 * 72.0 / std::max(1, logicalDpiY()));
    m_debugLabel->setFont(debugFont);
    QPalette pal = m_debugLabel->palette();
    pal.setColor(QPalette::WindowText, pal.color(QPalette::PlaceholderText));
    m_debugLabel->setPalette(pal);
    m_debugLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_debugLabel->hide();

    setSelection(std::nullopt);

    m_appear = new QVariantAnimation(this);
    m_appear->setStartValue(0.0);
    m_appear->setEndValue(1.0);
    m_appear->setDuration(appearMs);
    connect(m_appear, &QVariantAnimation::valueChanged, this, [this](const QVariant &v) {
        m_dimOpacity = v.toDouble();
        update();
    });
}

OverlayView::~OverlayView() = default;

void OverlayView::setSession(QObject *session)
{
    m_session = session;
}

OverlayViewHost *OverlayView::session() const
{
    return dynamic_cast<OverlayViewHost *>(m_session.data());
}

void OverlayView::setWindowCapture(WindowCapture capture)
{
    m_windowCapture = std::move(capture);
}

void OverlayView::setTestModifiers(std::optional<Qt::KeyboardModifiers> modifiers)
{
    m_testModifiers = modifiers;
}

Qt::KeyboardModifiers OverlayView::modifiers() const
{
    return m_testModifiers ? *m_testModifiers : QGuiApplication::queryKeyboardModifiers();
}

// ---- window list and pointer ----

void OverlayView::setWindows(const QList<QRectF> &rects, const QList<quint32> &ids)
{
    m_windowRects = rects;
    m_windowIds = ids.size() == rects.size() ? ids : QList<quint32>();
    if (m_stage != Stage::Selecting || m_drag)
        return;
    const QPointF p = mapFromGlobal(PointerPosition::global());
    if (QRectF(rect()).contains(p))
        setHovered(Selection::firstContaining(m_windowRects, p));
}

void OverlayView::trackPointer(bool inside, QPointF point)
{
    if (m_stage != Stage::Selecting || m_drag)
        return;
    if (!inside) {
        hideCoordLabel();
        setHovered(std::nullopt);
        return;
    }
    setHovered(Selection::firstContaining(m_windowRects, point));
    m_coordLabel->setText(OverlayLayout::pointerText(point, m_pixelScale));
    m_coordLabel->move(
        OverlayLayout::pointerLabelOrigin(point, m_coordLabel->size(), size()).toPoint());
    m_coordLabel->show();
}

void OverlayView::hideCoordLabel()
{
    m_coordLabel->hide();
}

// ---- mouse ----

void OverlayView::watchWindow()
{
    QWindow *handle = window() ? window()->windowHandle() : nullptr;
    if (handle == m_watched)
        return;
    if (m_watched)
        m_watched->removeEventFilter(this);
    m_watched = handle;
    m_windowPointer.reset();
    if (handle)
        handle->installEventFilter(this);
}

bool OverlayView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_watched
        && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseMove
            || event->type() == QEvent::MouseButtonRelease)) {
        const auto *mouse = static_cast<const QMouseEvent *>(event);
        m_windowPointer = WindowPointer{event->type(), mouse->timestamp(), mouse->position()};
    }
    return QWidget::eventFilter(watched, event);
}

QPointF OverlayView::exactPosition(const QMouseEvent *event) const
{
    const QPointF rounded = event->position();
    if (!m_windowPointer || m_windowPointer->type != event->type()
        || m_windowPointer->timestamp != event->timestamp() || !window())
        return rounded;
    const QPointF exact = m_windowPointer->position - QPointF(mapTo(window(), QPoint(0, 0)));
    // The same event only when it lies within the rounding of the widget's.
    if (std::abs(exact.x() - rounded.x()) > 1 || std::abs(exact.y() - rounded.y()) > 1)
        return rounded;
    // The pointer is always on a whole device pixel: on the grid exactly, as window rectangles
    // made from device pixels are, not a hair beside it.
    return OverlayLayout::snapped(exact, devicePixelRatioF());
}

void OverlayView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || m_stage != Stage::Selecting)
        return;
    const QPointF p = OverlayLayout::reachingEdges(OverlayLayout::snapped(exactPosition(event), m_pixelScale),
                                                   size(), m_pixelScale);
    m_drag = Drag{p, p, false};
    hideCoordLabel();
}

void OverlayView::mouseMoveEvent(QMouseEvent *event)
{
    if (m_drag)
        dragTo(OverlayLayout::reachingEdges(OverlayLayout::snapped(exactPosition(event), m_pixelScale),
                                            size(), m_pixelScale));
    else
        trackPointer(true, exactPosition(event));
}

void OverlayView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_drag)
        return;
    release(exactPosition(event));
}

void OverlayView::leaveEvent(QEvent *)
{
    if (m_stage != Stage::Selecting || m_drag)
        return;
    hideCoordLabel();
    setHovered(std::nullopt);
}

void OverlayView::dragTo(QPointF q)
{
    Drag drag = *m_drag;
    if (!drag.moved) {
        const QPointF d = q - drag.start;
        if (std::hypot(d.x(), d.y()) < OverlayLayout::dragThreshold)
            return;
        setHovered(std::nullopt);
    }
    const QRectF bounds(rect());
    QRectF r;
    if (!m_spaceHeld || !m_selection) {
        const Qt::KeyboardModifiers mods = modifiers();
        r = Selection::rect(drag.start, q, mods.testFlag(Qt::ShiftModifier),
                            mods.testFlag(Qt::AltModifier))
                .intersected(bounds);
    } else {
        const QRectF old = *m_selection;
        r = Selection::move(old, q - drag.current, bounds);
        drag.start += r.topLeft() - old.topLeft();
    }
    setSelection(r);
    m_drag = Drag{drag.start, q, true};
}

void OverlayView::modifiersChanged()
{
    if (m_drag && m_drag->moved && !m_spaceHeld)
        dragTo(m_drag->current);
}

void OverlayView::release(QPointF point)
{
    const bool moved = m_drag->moved;
    m_drag.reset();
    m_spaceHeld = false;

    if (moved) {
        if (m_selection && OverlayLayout::isChoice(*m_selection)) {
            finish(*m_selection);
            return;
        }
    } else if (m_hovered) {
        const QRectF hovered = *m_hovered;
        const qsizetype i = m_windowRects.indexOf(hovered);
        if (i < 0 || i >= m_windowIds.size() || !m_windowCapture) {
            finish(hovered);
            return;
        }
        if (m_stage != Stage::Selecting || m_grabbing)
            return;
        grabWindow(m_windowIds[i], hovered);
        return;
    }
    setSelection(std::nullopt);
    trackPointer(true, point);
}

void OverlayView::grabWindow(quint32 windowId, const QRectF &hovered)
{
    m_grabbing = true;
    auto done = [this, hovered](const std::optional<WindowPicture> &picture) {
        m_grabbing = false;
        if (picture && !picture->image.isNull() && picture->scale > 0) {
            const QRectF where = OverlayLayout::pickedWindowRect(
                hovered, picture->image.size(), picture->scale, picture->box);
            windowPicked(picture->image, picture->scale, where);
        } else {
            finish(hovered);
        }
    };
    m_windowCapture(windowId)
        .then(this, done)
        .onFailed(this, [this, hovered] {
            m_grabbing = false;
            finish(hovered);
        });
}

// ---- hand-over ----

std::optional<OverlayViewHost::Mode> OverlayView::prepareHandOver()
{
    if (m_stage != Stage::Selecting)
        return std::nullopt;
    setHovered(std::nullopt);
    hideCoordLabel();
    const OverlayViewHost *host = session();
    return host ? host->mode() : OverlayViewHost::Mode::Canvas;
}

void OverlayView::finish(const QRectF &rect)
{
    const auto mode = prepareHandOver();
    if (!mode)
        return;
    if (*mode == OverlayViewHost::Mode::Canvas)
        return openCanvas(rect);
    setSelection(rect);
    OverlayViewHost *host = session();
    host->commitArea(this, rect);
    if (*mode == OverlayViewHost::Mode::Clipboard)
        host->copyArea(this, rect);
    else
        host->addAreaShot(this, rect);
}

void OverlayView::windowPicked(const QImage &image, double scale, const QRectF &rect)
{
    const auto mode = prepareHandOver();
    if (!mode)
        return;
    if (*mode == OverlayViewHost::Mode::Canvas)
        return openCanvas(rect, image, scale);
    OverlayViewHost *host = session();
    host->commitArea(this, rect);
    if (*mode == OverlayViewHost::Mode::Clipboard)
        host->copyWindowImage(image, scale);
    else
        host->addWindowShot(image, scale);
}

void OverlayView::cancel()
{
    OverlayViewHost *host = session();
    if (!host)
        return;
    if (host->mode() == OverlayViewHost::Mode::AddShot) {
        OverlayViewHost *parent = host->parentHost();
        host->hideOverlays();
        if (parent)
            parent->bringForward();
    } else {
        host->end(true);
    }
}

QImage OverlayView::croppedImage(const QRectF &rect) const
{
    const double s = m_pixelScale;
    // Outwards to whole pixels, but never to the pixel beside one that the scale missed by a hair.
    constexpr double hair = OverlayLayout::pixelHair;
    const int left = int(std::floor(rect.left() * s + hair)), top = int(std::floor(rect.top() * s + hair));
    const int right = int(std::ceil(rect.right() * s - hair)), bottom = int(std::ceil(rect.bottom() * s - hair));
    const QRect pixels = QRect(left, top, right - left, bottom - top) & m_frozen.rect();
    if (pixels.width() < 1 || pixels.height() < 1)
        return {};
    return m_frozen.copy(pixels);
}

void OverlayView::setDebugText(const QString &text)
{
    m_debugLabel->setText(text);
    m_debugLabel->adjustSize();
    m_debugLabel->move(14, height() - 10 - m_debugLabel->height());
    m_debugLabel->setVisible(!text.isEmpty());
}

// ---- keys ----

bool OverlayView::event(QEvent *event)
{
    // Tab is a key like any other here, not a focus move.
    if (event->type() == QEvent::KeyPress && m_stage == Stage::Selecting) {
        keyPressEvent(static_cast<QKeyEvent *>(event));
        return true;
    }
    if (event->type() == QEvent::Show) {
        watchWindow();
        // (The view shown again in the canvas window it moved into has no dim to bring in.)
        if (m_stage == Stage::Selecting && m_appear->state() == QAbstractAnimation::Stopped && m_dimOpacity == 0)
            m_appear->start();
    }
    return QWidget::event(event);
}

void OverlayView::keyPressEvent(QKeyEvent *event)
{
    if (m_stage != Stage::Selecting) {
        // Keys that reach the view past the canvas's own document view (which has offered them
        // already) go to the canvas first.
        if (m_canvas && focusWidget() != m_canvas->documentWidget()) {
            const bool command = event->modifiers().testFlag(Qt::ControlModifier)
                                 && !event->modifiers().testFlag(Qt::MetaModifier);
            if (command ? m_canvas->keyEquivalent(event) : m_canvas->keyDown(event)) {
                event->accept();
                return;
            }
        }
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    switch (event->key()) {
    case Qt::Key_Shift:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
        modifiersChanged();
        return;
    default:
        break;
    }
    const auto code = KeyTable::fromQtKey(event->key(), event->modifiers());
    if (!code)
        return;
    if (*code == KeyCode::Space) {
        m_spaceHeld = true;
    } else if (*code == KeyCode::Escape) {
        cancel();
    } else if (*code == KeyCode::F) {
        if (!m_drag)
            finish(QRectF(rect()));
    }
}

void OverlayView::keyReleaseEvent(QKeyEvent *event)
{
    if (m_stage != Stage::Selecting) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    event->accept();
    if (event->isAutoRepeat())
        return;
    switch (event->key()) {
    case Qt::Key_Shift:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
        modifiersChanged();
        return;
    case Qt::Key_Space:
        m_spaceHeld = false;
        return;
    default:
        return;
    }
}

// ---- look ----

void OverlayView::setSelection(const std::optional<QRectF> &rect)
{
    m_selection = rect;
    Look look = m_look;
    look.hole = rect && !rect->isEmpty() ? rect : std::nullopt;
    look.border = m_stage == Stage::Selecting && rect && rect->width() > 0 && rect->height() > 0
                      ? rect
                      : std::nullopt;
    setLook(look);
    if (rect && OverlayLayout::isChoice(*rect))
        showSizeChip(*rect);
    else
        m_chip->hide();
}

void OverlayView::setHovered(const std::optional<QRectF> &rect)
{
    if (rect == m_hovered)
        return;
    m_hovered = rect;
    Look look = m_look;
    look.hover = rect;
    look.hole = rect;
    setLook(look);
    if (rect)
        showSizeChip(*rect);
    else
        m_chip->hide();
}

void OverlayView::showSizeChip(const QRectF &rect)
{
    m_chip->setText(OverlayLayout::sizeText(rect.size(), m_pixelScale));
    m_chip->move(OverlayLayout::chipOrigin(rect, m_chip->size(), size()).toPoint());
    m_chip->show();
}

void OverlayView::setLook(const Look &look)
{
    if (look == m_look)
        return;
    // Only what differs is painted again: the dim where the hole grew or shrank, the edges of
    // both holes, both borders with their handles and both hover highlights.
    QRegion dirty = rectRegion(m_look.hole).xored(rectRegion(look.hole));
    for (const Look *l : std::initializer_list<const Look *>{&m_look, &look}) {
        if (l->hole)
            dirty += edgeBand(*l->hole, borderReach);
        dirty += borderRegion(l->border);
        dirty += rectRegion(l->hover, hoverReach);
    }
    m_look = look;
    update(dirty & rect());
}

void OverlayView::resizeEvent(QResizeEvent *)
{
    m_passive->setGeometry(rect());
    if (!m_canvas)
        return;
    const bool hidden = m_canvas->sidebarHidden();
    m_canvas->layout();
    if (m_canvas->sidebarHidden() != hidden)
        m_canvas->updateHint();
    m_canvas->updateChrome();
}

void OverlayView::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    const double s = m_pixelScale;
    const double dpr = devicePixelRatioF();
    const QRectF b(rect());
    // The dim covers the bounds less the hole: four bands around it (or the whole bounds).
    QRectF dimBands[4];
    int bandCount = 0;
    if (!m_look.hole) {
        dimBands[bandCount++] = b;
    } else {
        const QRectF h = m_look.hole->intersected(b);
        dimBands[bandCount++] = QRectF(b.left(), b.top(), b.width(), h.top() - b.top());
        dimBands[bandCount++] = QRectF(b.left(), h.bottom(), b.width(), b.bottom() - h.bottom());
        dimBands[bandCount++] = QRectF(b.left(), h.top(), h.left() - b.left(), h.height());
        dimBands[bandCount++] = QRectF(h.right(), h.top(), b.right() - h.right(), h.height());
    }
    const QColor dim = withAlpha(Qt::black, dimAlpha * m_dimOpacity);
    // Rectangle by rectangle of what needs painting, so that every fill stays small: the frozen
    // picture straight from its pixels, then the dim over it.
    if (!m_showsFrozen) {
        p.fillRect(event->rect(), Qt::white);
        return;
    }
    for (const QRect &r : event->region()) {
        const QRectF target(r);
        p.drawImage(target, m_frozen, QRectF(r.x() * s, r.y() * s, r.width() * s, r.height() * s));
        if (m_dimOpacity <= 0)
            continue;
        for (int i = 0; i < bandCount; ++i) {
            const QRectF piece = dimBands[i].intersected(target);
            if (!piece.isEmpty())
                fillThin(p, piece, dim, dpr);
        }
    }

    if (m_look.border) {
        // A line of 1.5 pt along the selection grown by 0.5 pt, snapped to whole device pixels:
        // round(1.5 × dpr) pixels thick, of which round(0.25 × dpr) lie inside the selection.
        const QColor line = withAlpha(Qt::white, 0.95);
        const double w = std::round(1.5 * dpr) / dpr, in = std::round(0.25 * dpr) / dpr;
        const QRectF o = m_look.border->adjusted(in - w, in - w, w - in, w - in);
        const double side = std::max(0.0, o.height() - 2 * w);
        fillThin(p, QRectF(o.left(), o.top(), o.width(), w), line, dpr);
        fillThin(p, QRectF(o.left(), o.bottom() - w, o.width(), w), line, dpr);
        fillThin(p, QRectF(o.left(), o.top() + w, w, side), line, dpr);
        fillThin(p, QRectF(o.right() - w, o.top() + w, w, side), line, dpr);
    }

    p.setRenderHint(QPainter::Antialiasing);
    if (m_look.hover) {
        const QRectF r = m_look.hover->adjusted(1, 1, -1, -1);
        const QColor accent = accentColor();
        p.setPen(QPen(withAlpha(accent, 0.9), 2));
        p.setBrush(withAlpha(accent, 0.12));
        p.drawRect(r);
    }
    if (m_look.border && OverlayLayout::showsHandles(*m_look.border)) {
        const double radius = OverlayLayout::handleSize / 2, blur = 2.5;
        for (const QPointF &g : OverlayLayout::gripPoints(*m_look.border)) {
            QRadialGradient shadow(g, radius + blur);
            shadow.setColorAt((radius - blur) / (radius + blur), withAlpha(Qt::black, 0.35));
            shadow.setColorAt(1, Qt::transparent);
            p.setPen(Qt::NoPen);
            p.setBrush(shadow);
            p.drawEllipse(g, radius + blur, radius + blur);
            p.setPen(QPen(withAlpha(Qt::black, 0.3), 0.5));
            p.setBrush(Qt::white);
            p.drawEllipse(g, radius, radius);
        }
    }
}
