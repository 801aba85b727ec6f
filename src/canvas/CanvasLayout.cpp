// The division of the canvas window (rail, canvas area, command sidebar, toolbar and hint line),
// the rail's width and thumbnail size, the page thumbnail's timing, the edge-pan area and the
// jolt.
#include "canvas/CanvasController.h"

#include "app/PreferenceReaders.h"
#include "app/SelfCheckFlag.h"
#include "canvas/CanvasChrome.h"
#include "canvas/CanvasScrollView.h"
#include "canvas/CommandSidebar.h"
#include "canvas/DisplayImages.h"
#include "document/RailGrid.h"
#include "rail/RailEdge.h"
#include "platform/DisplayProfile.h"
#include "platform/Preferences.h"
#include "platform/ReduceMotion.h"

#include <QElapsedTimer>
#include <QEasingCurve>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVariantAnimation>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace {
// The hint line as it fits in width. While it is too long, whole entries are left out, the latest
// first, but never the first two gestures nor the copy and send keys, which stand in for the
// hidden sidebar's commands; what still does not fit is elided.
QString fittedHint(const QString &full, const QFontMetrics &metrics, int width)
{
    const QString gap = QStringLiteral("    ");
    QStringList entries = full.split(gap);
    const qsizetype copy = entries.indexOf(QStringLiteral("Return: copy"));
    const QStringList commands = copy >= 0 ? entries.mid(copy, 2) : QStringList();
    for (qsizetype i = entries.size() - 1; i >= 2 && metrics.horizontalAdvance(entries.join(gap)) > width; --i) {
        if (!commands.contains(entries.at(i)))
            entries.removeAt(i);
    }
    return metrics.elidedText(entries.join(gap), Qt::ElideRight, width);
}

constexpr double toolbarBottom = 34;
constexpr double hintBottom = 10;
constexpr int barInset = 8; // the least room beside the toolbar and the hint line
constexpr double edgeGripWidth = 22;
constexpr double edgeGripInset = 14;
constexpr double glideSeconds = 0.3;
constexpr int glideTickMs = 8; // about 1/120 s
constexpr double minThumb = 96, maxThumb = 360;
constexpr double joltAmplitude = 7;
constexpr int joltMs = 340;

double roundHalfAway(double v)
{
    return std::round(v);
}
} // namespace

double CanvasController::railRoom() const
{
    if (!host)
        return 0;
    return host->width() - (sidebarShown() ? sidebarWidth : 0);
}

bool CanvasController::sidebarShown() const
{
    return host && host->width() - sidebarWidth - oneColumnRail >= canvasRoom;
}

bool CanvasController::sidebarHidden() const
{
    return commands && commands->isHidden();
}

QRectF CanvasController::visibleArea() const
{
    if (!host)
        return {};
    const double railWidth =
        rail && !rail->isHidden() ? RailGrid::columns(railAsked, railThumb, railRoom()).width : 0;
    return QRectF(railWidth, 0, host->width() - railWidth - (sidebarShown() ? sidebarWidth : 0), host->height());
}

void CanvasController::layout()
{
    if (!host)
        return;
    const double w = host->width(), h = host->height();
    const QRectF area = visibleArea();
    scrollView->setGeometry(area.toRect().translated(m_shake.toPoint()));
    chrome->setGeometry(QRect(m_shake.toPoint(), host->size()));
    chrome->setCanvasArea(area);
    const RailGrid::Shape shape = RailGrid::columns(railAsked, railThumb, railRoom());
    const double widest = std::max(railRoom() - canvasRoom, narrowestRail);
    commands->setGeometry(QRect(int(w - sidebarWidth), 0, int(sidebarWidth), int(h)));
    commands->setHidden(!sidebarShown());
    rail->setGeometry(QRect(0, 0, int(shape.width), int(h)));
    rail->widest = widest;
    if (!(rail->shape == shape)) {
        const bool columnsChanged = rail->shape.columns != shape.columns;
        rail->shape = shape;
        rail->layoutThumbs(columnsChanged, true);
    }
    railEdge->setGeometry(QRect(int(shape.width - edgeGripInset), 0, int(edgeGripWidth), int(h)));
    railEdge->setRailWidth(shape.width);
    railEdge->setLimits(shape.width > narrowestRail + 0.5, shape.width < widest - 0.5);
    railEdge->setHidden(rail->isHidden() || widest <= narrowestRail + 0.5);
    // The toolbar and the hint line keep inside the canvas area, off the rail and the sidebar.
    toolbar->setRoom(int(area.width()) - 2 * barInset);
    const QRectF toolbarFrame(roundHalfAway(area.center().x() - toolbar->width() / 2.0),
                              h - toolbar->height() - toolbarBottom, toolbar->width(), toolbar->height());
    toolbar->move(toolbarFrame.topLeft().toPoint());
    const QString shownHint = fittedHint(m_hintText, hint->fontMetrics(), std::max(int(area.width()) - 2 * barInset, 0));
    if (hint->text() != shownHint)
        hint->setText(shownHint);
    hint->adjustSize();
    hint->move(int(roundHalfAway(area.center().x() - hint->width() / 2.0)), int(h - hint->height() - hintBottom));
}

void CanvasController::setRailSize(double width, double thumbnail)
{
    const RailGrid::Shape before = RailGrid::columns(railAsked, railThumb, railRoom());
    const QRectF oldArea = visibleArea();
    railAsked = width;
    railThumb = thumbnail;
    const RailGrid::Shape after = RailGrid::columns(railAsked, railThumb, railRoom());
    if (after == before && rail->shape == after)
        return;
    layout();
    visibleAreaChanged(oldArea, visibleArea());
    updateChrome();
}

void CanvasController::writeRailPreferences()
{
    Prefs::store().setValue(QStringLiteral("canvas.railWidth"), railAsked);
    Prefs::store().setValue(QStringLiteral("canvas.railThumb"), std::clamp(railThumb, minThumb, maxThumb));
}

void CanvasController::stopGlide()
{
    if (!railGlide)
        return;
    railGlide->stop();
    railGlide->deleteLater();
    railGlide = nullptr;
}

void CanvasController::setRailColumns(int n)
{
    stopGlide();
    const RailGrid::Shape now = RailGrid::columns(railAsked, railThumb, railRoom());
    const double current = now.width;
    const int columns = std::max(n, 1);
    const double target = std::min(std::max(railRoom() - canvasRoom, narrowestRail),
                                   now.thumb * columns + 52 + (columns - 1) * 18.0);
    if (std::abs(target - current) > 0.5 && !SelfCheckFlag::isSet() && !ReduceMotion::isOn()) {
        railGlide = new QTimer(this);
        railGlide->setInterval(glideTickMs);
        railGlide->setTimerType(Qt::PreciseTimer);
        auto started = std::make_shared<QElapsedTimer>();
        started->start();
        connect(railGlide, &QTimer::timeout, this, [this, started, current, target] {
            const double t = std::min(started->elapsed() / 1000.0 / glideSeconds, 1.0);
            setRailSize(current + (target - current) * (1 - std::pow(1 - t, 3)), railThumb);
            if (t >= 1) {
                stopGlide();
                writeRailPreferences();
            }
        });
        railGlide->start();
        return;
    }
    setRailSize(target, railThumb);
    writeRailPreferences();
}

void CanvasController::setRailWidth(double x, bool save)
{
    stopGlide();
    const double room = railRoom();
    const double w = std::min(std::max(room - canvasRoom, narrowestRail), std::max(x, narrowestRail));
    double thumb = railThumb;
    if (w < railThumb + 52)
        thumb = std::clamp(std::floor(w - 52), minThumb, maxThumb);
    setRailSize(w, thumb);
    if (save)
        writeRailPreferences();
}

void CanvasController::scaleRailThumbnails(double factor, bool save)
{
    stopGlide();
    const double room = railRoom();
    double thumb = std::clamp(railThumb * factor, minThumb, maxThumb);
    thumb = std::min(thumb, std::max(std::max(room - canvasRoom, narrowestRail) - 52, minThumb));
    setRailSize(railAsked, thumb);
    if (save)
        writeRailPreferences();
}

void CanvasController::resetRailSize()
{
    stopGlide();
    setRailSize(oneColumnRail, 132);
    writeRailPreferences();
}

void CanvasController::refreshRail(bool pagesOnly)
{
    const bool wasHidden = rail->isHidden();
    if (!pagesOnly)
        recentShown = recentsToShow();
    const bool hidden = pages.size() <= 1 && recentShown.isEmpty();
    rail->setHidden(hidden);
    QList<QImage> pictures;
    QList<PageRail::Key> keys;
    QSet<int> done;
    for (int i = 0; i < pages.size(); ++i) {
        const Page &page = pages[i];
        const Markup &m = i == currentPage ? markup : page.markup;
        keys << (m.shots.isEmpty() ? QString::number(i) : m.shots.first().id.toString(QUuid::WithoutBraces));
        pictures << page.picture.value_or(QImage());
        if (page.done)
            done.insert(i);
    }
    rail->reload(pictures, keys, currentPage, recentShown, done, railRows());
    if (hidden != wasHidden)
        layout();
    // The page keys come and go with the second page, whenever the rail was shown.
    if ((hidden != wasHidden && !pagesOnly) || (pages.size() > 1) != m_hintHasPages)
        updateHint();
}

void CanvasController::scheduleThumbnail(bool markStale, int tries, double delay)
{
    if (markStale)
        pictureStale = true;
    Scheduler &clock = *scheduler();
    const double due = clock.now() + delay;
    if (thumbnailDue && thumbnailWork && *thumbnailDue <= due)
        return;
    clock.cancel(thumbnailWork);
    thumbnailDue = due;
    QPointer<CanvasController> self(this);
    thumbnailWork = clock.after(delay, [self, tries] {
        if (self)
            self->runThumbnail(tries);
    });
}

void CanvasController::runThumbnail(int tries)
{
    thumbnailDue.reset();
    thumbnailWork = 0;
    if (currentPage < 0 || currentPage >= pages.size())
        return;
    if (samplersReady() || tries > 11) {
        makePagePicture();
        if (!rail->isHidden())
            refreshRail(true);
        return;
    }
    scheduleThumbnail(false, tries + 1, 0.15);
}

QColorSpace CanvasController::displaySpace() const
{
    return DisplayProfile::colorSpace();
}

void CanvasController::warmDisplayImages()
{
    display->setSpace(displaySpace());
    QList<int> order;
    for (int i = 0; i < pages.size(); ++i)
        order << i;
    std::stable_sort(order.begin(), order.end(),
                     [this](int a, int b) { return std::abs(a - currentPage) < std::abs(b - currentPage); });
    QList<DisplayImages::Job> urgent, all;
    for (int k = 0; k < order.size(); ++k) {
        const int i = order[k];
        const bool live = i == currentPage;
        const Markup &m = live ? markup : pages[i].markup;
        const ShotImages &pictures = live ? images : pages[i].images;
        for (const Shot &shot : m.shots) {
            const auto found = pictures.constFind(shot.id);
            if (found == pictures.constEnd())
                continue;
            all << DisplayImages::Job{shot.id, *found};
            if (k < 7)
                urgent << DisplayImages::Job{shot.id, *found};
        }
    }
    display->update(urgent, all);
}

// ---- the edge-pan area and the jolt ----

QRectF CanvasController::panArea() const
{
    const QRectF bounds(scrollView->rect());
    if (!host)
        return bounds;
    const QRectF tb(scrollView->mapFrom(host, toolbar->geometry().topLeft()), QSizeF(toolbar->size()));
    if (tb.center().y() > bounds.center().y())
        return QRectF(bounds.left(), bounds.top(), bounds.width(), std::max(tb.top() - bounds.top(), 0.0));
    return QRectF(bounds.left(), tb.bottom(), bounds.width(), std::max(bounds.bottom() - tb.bottom(), 0.0));
}

double CanvasController::joltOffset(double t)
{
    // Key frames 0, 1, -0.5, 0.22, 0 at 0, 0.2, 0.5, 0.78 and 1 of the run, eased out between.
    static const double times[] = {0, 0.2, 0.5, 0.78, 1};
    static const double values[] = {0, 1, -0.5, 0.22, 0};
    t = std::clamp(t, 0.0, 1.0);
    int i = 0;
    while (i < 3 && t > times[i + 1])
        ++i;
    const double local = (t - times[i]) / (times[i + 1] - times[i]);
    const double eased = QEasingCurve(QEasingCurve::OutQuad).valueForProgress(local);
    return values[i] + (values[i + 1] - values[i]) * eased;
}

void CanvasController::jolt(int dx, int dy)
{
    ++joltsForTest;
    // No haptic feedback on this desktop; the shake is all there is.
    if (ReduceMotion::isOn())
        return;
    if (m_jolt)
        m_jolt->stop();
    auto *run = new QVariantAnimation(this);
    run->setStartValue(0.0);
    run->setEndValue(1.0);
    run->setDuration(joltMs);
    // The canvas and the chrome shake together, 7 screen points at most.
    connect(run, &QVariantAnimation::valueChanged, this, [this, dx, dy](const QVariant &v) {
        const double w = joltOffset(v.toDouble()) * joltAmplitude;
        m_shake = QPointF(dx * w, dy * w);
        layout();
    });
    connect(run, &QVariantAnimation::finished, this, [this] {
        m_shake = QPointF();
        layout();
    });
    m_jolt = run;
    run->start(QAbstractAnimation::DeleteWhenStopped);
}
