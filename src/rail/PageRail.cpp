#include "rail/PageRail.h"

#include "platform/ReduceMotion.h"
#include "platform/PlatformText.h"
#include "platform/Scheduler.h"
#include "rail/RailAnimator.h"
#include "rail/RailDocument.h"
#include "rail/RailEdge.h"

#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace {

const QString pageHint = QStringLiteral("  (⌘↑ and ⌘↓ move between shots; ");
const QString pickHint = QStringLiteral("Shift-click picks several)");
const QString recentTip = QStringLiteral("Open this capture here to keep working on it (Shift-click picks several)");

} // namespace

PageRail::PageRail(QWidget *parent) : PageRail(Scheduler::system(), parent) {}

PageRail::PageRail(Scheduler &scheduler, QWidget *parent)
    : QWidget(parent), m_scheduler(scheduler), m_animator(std::make_unique<RailAnimator>(scheduler))
{
    shape = RailGrid::columns(184, 132, std::numeric_limits<double>::max());

    m_scroll = new QScrollArea(this);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_scroll->setWidgetResizable(false);
    m_scroll->viewport()->setAutoFillBackground(false);
    m_scroll->setStyleSheet(QStringLiteral(
        "QScrollArea { background: transparent; }"
        "QScrollBar:vertical { background: transparent; width: 8px; margin: 14px 1px 14px 0; }"
        "QScrollBar::handle:vertical { background: rgba(0,0,0,70); border-radius: 3px; min-height: 24px; }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
        "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: transparent; }"));
    m_doc = new RailDocument;
    m_doc->rail = this;
    m_scroll->setWidget(m_doc);
    m_scroll->viewport()->installEventFilter(this);
    setCursor(Qt::ArrowCursor);
}

PageRail::~PageRail()
{
    m_scheduler.cancel(m_wheelEnd);
}

void PageRail::showEvent(QShowEvent *)
{
    // Ctrl+wheel over the grip beside the rail sizes the thumbnails too.
    if (QWidget *parent = parentWidget()) {
        for (RailEdge *edge : parent->findChildren<RailEdge *>(Qt::FindDirectChildrenOnly))
            takePinchesFrom(edge);
    }
}

void PageRail::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF panel = QRectF(rect()).adjusted(10, 10, -10, -10);
    if (panel.isEmpty())
        return;
    // a frosted panel: light, slightly translucent, with a hairline edge
    p.setPen(QPen(QColor(255, 255, 255, 150), 1));
    p.setBrush(QColor(238, 238, 242, 218));
    p.drawRoundedRect(panel.adjusted(0.5, 0.5, -0.5, -0.5), 22, 22);
    p.setPen(QPen(QColor(0, 0, 0, 28), 0.5));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(panel.adjusted(0.25, 0.25, -0.25, -0.25), 22, 22);
}

void PageRail::resizeEvent(QResizeEvent *)
{
    const QRect inner = rect().adjusted(10, 10, -10, -10);
    m_scroll->setGeometry(inner.isValid() ? inner : QRect());
    if (inner.isValid()) {
        QPainterPath path;
        path.addRoundedRect(QRectF(0, 0, inner.width(), inner.height()), 22, 22);
        m_scroll->setMask(QRegion(path.toFillPolygon().toPolygon()));
    }
    resizeDocument();
}

void PageRail::resizeDocument()
{
    const QSize vp = m_scroll->viewport()->size();
    m_doc->resize(vp.width(), int(std::ceil(std::max(m_docHeight, double(vp.height())))));
}

double PageRail::visibleTop() const
{
    return m_scroll->verticalScrollBar()->value();
}

void PageRail::scrollTo(double y)
{
    m_scroll->verticalScrollBar()->setValue(int(std::round(y)));
}

std::optional<double> PageRail::ratioFor(const Key &key) const
{
    const auto it = m_shapes.constFind(key);
    if (it == m_shapes.cend())
        return std::nullopt;
    return *it;
}

double PageRail::shapeRatio(const Key &key, const QImage &picture)
{
    const bool has = !picture.isNull() && picture.width() > 0;
    const double fresh = has ? std::max(double(picture.height()) / picture.width(), 0.5) : 0.62;
    const auto it = m_shapes.constFind(key);
    if (it != m_shapes.cend() && (!has || std::abs(fresh - *it) <= *it * 0.02))
        return *it;
    if (has)
        m_shapes.insert(key, fresh);
    return fresh;
}

QString PageRail::agoText(const QDateTime &date, const QDateTime &now)
{
    const double s = date.msecsTo(now) / 1000.0;
    if (s < 60)
        return QStringLiteral("now");
    if (s < 3600)
        return QString::number(qint64(s / 60)) + QStringLiteral(" min ago");
    if (s < 86400)
        return QString::number(qint64(s / 3600)) + QStringLiteral(" h ago");
    const qint64 days = date.toLocalTime().date().daysTo(now.toLocalTime().date());
    if (days < 2)
        return QStringLiteral("yesterday");
    if (days > 6)
        return QLocale::system().toString(date.toLocalTime().date(), QLocale::ShortFormat);
    return QString::number(days) + QStringLiteral(" days ago");
}

void PageRail::reload(const QList<QImage> &pictures, const QList<Key> &keys, int current,
                      const QList<Recent> &recents, const QSet<int> &done,
                      const std::optional<QList<Row>> &rows)
{
    m_count = int(pictures.size());
    QHash<QString, const Recent *> byId;
    for (const Recent &r : recents) {
        if (!byId.contains(r.id))
            byId.insert(r.id, &r);
    }
    QList<Row> shown;
    if (rows) {
        shown = *rows;
    } else {
        for (int i = 0; i < m_count; ++i)
            shown.append(Row::ofPage(i));
        for (const Recent &r : recents)
            shown.append(Row::ofRecent(r.id));
    }

    const QDateTime now = QDateTime::currentDateTime();
    QList<Entry> entries;
    QSet<Key> used;
    QHash<Key, double> remembered;
    for (const Row &row : shown) {
        Entry e;
        e.row = row;
        if (row.isPage()) {
            const int i = row.page;
            if (i < 0 || i >= m_count)
                continue;
            e.key = i < keys.size() ? keys.at(i) : QString::number(i);
            const QString n = QString::number(i + 1);
            const bool isDone = done.contains(i);
            e.look.badge = isDone ? QStringLiteral("✓ ") + n : n;
            e.look.picture = pictures.at(i);
            e.look.isCurrent = i == current;
            e.look.tip = PlatformText::words(QStringLiteral("Shot ") + n
                                             + (isDone ? QStringLiteral(", done") : QString()) + pageHint
                                             + pickHint);
        } else {
            const Recent *r = byId.value(row.recent);
            if (!r)
                continue;
            e.key = r->key;
            e.look.badge = agoText(r->date, now);
            e.look.picture = r->picture;
            e.look.tip = recentTip;
        }
        if (used.contains(e.key))
            e.key = e.key + QLatin1Char(' ') + QString::number(entries.size());
        used.insert(e.key);
        e.ratio = shapeRatio(e.key, e.look.picture);
        if (const auto kept = m_shapes.constFind(e.key); kept != m_shapes.cend())
            remembered.insert(e.key, *kept);
        entries.append(e);
    }
    m_shapes = remembered;

    QHash<Key, RailThumb *> thumbs;
    QList<RailThumb *> order;
    QSet<RailThumb *> fresh;
    QList<std::pair<int, RailThumb *>> pages;
    for (const Entry &e : std::as_const(entries)) {
        RailThumb *thumb = m_thumbs.value(e.key);
        if (!thumb) {
            thumb = new RailThumb(e.key, m_doc);
            thumb->rail = this;
            thumb->show();
            fresh.insert(thumb);
        }
        thumb->row = e.row;
        thumbs.insert(e.key, thumb);
        order.append(thumb);
        if (e.row.isPage())
            pages.append({e.row.page, thumb});
    }
    std::stable_sort(pages.begin(), pages.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    QList<RailThumb *> pageThumbs;
    for (const auto &p : pages)
        pageThumbs.append(p.second);

    const bool animate = canAnimate();
    for (RailThumb *old : std::as_const(m_order)) {
        if (!thumbs.contains(old->key) || thumbs.value(old->key) != old)
            removeLeaving(old, animate);
    }
    m_thumbs = thumbs;
    m_order = order;
    m_pageThumbs = pageThumbs;
    m_entries = entries;

    for (auto it = m_picked.begin(); it != m_picked.end();) {
        if (m_thumbs.contains(*it))
            ++it;
        else
            it = m_picked.erase(it);
    }
    if (m_anchorKey && !m_thumbs.contains(*m_anchorKey))
        m_anchorKey.reset();
    if (m_leadKey && !m_thumbs.contains(*m_leadKey))
        m_leadKey.reset();

    restyle();
    layoutThumbs(true, false, fresh);

    if (m_count >= 2) {
        for (int i = 0; i < m_entries.size(); ++i) {
            if (m_entries.at(i).look.isCurrent) {
                scrollIntoView(m_order.at(i));
                break;
            }
        }
    }
}

bool PageRail::canAnimate() const
{
    return m_laidOut && isVisible() && !ReduceMotion::isOn();
}

void PageRail::removeLeaving(RailThumb *thumb, bool animate)
{
    thumb->setLeaving(true);
    if (!animate) {
        m_animator->forget(thumb);
        thumb->hide();
        thumb->deleteLater();
        return;
    }
    QPointer<RailThumb> guard(thumb);
    m_animator->leave(thumb, [guard] {
        if (guard) {
            guard->hide();
            guard->deleteLater();
        }
    });
}

void PageRail::restyle()
{
    for (int i = 0; i < m_order.size() && i < m_entries.size(); ++i)
        m_order.at(i)->apply(m_entries.at(i).look, m_picked.contains(m_entries.at(i).key));
}

QList<PageRail::Key> PageRail::entryKeys() const
{
    QList<Key> keys;
    keys.reserve(m_entries.size());
    for (const Entry &e : m_entries)
        keys.append(e.key);
    return keys;
}

std::optional<PageRail::Key> PageRail::currentKey() const
{
    for (const Entry &e : m_entries) {
        if (e.look.isCurrent)
            return e.key;
    }
    return std::nullopt;
}

void PageRail::scrollIntoView(RailThumb *thumb)
{
    const QRectF f = thumb->cardFrame().adjusted(0, -10, 0, 10);
    const double top = visibleTop();
    const double height = m_scroll->viewport()->height();
    if (f.top() < top)
        scrollTo(f.top());
    else if (f.bottom() > top + height)
        scrollTo(std::min(f.top(), f.bottom() - height));
}

QList<double> PageRail::thumbHeights() const
{
    QList<double> out;
    for (const RailThumb *t : m_order)
        out.append(t->cardFrame().height());
    return out;
}

QList<QRectF> PageRail::thumbFrames() const
{
    QList<QRectF> out;
    for (const RailThumb *t : m_order)
        out.append(t->cardFrame());
    return out;
}

QPointF PageRail::centerOfThumb(const RailThumb *thumb) const
{
    const QPointF inDoc = thumb->cardFrame().translated(thumb->shownOffset()).center();
    const QPointF global = m_doc->mapToGlobal(inDoc);
    return parentWidget() ? parentWidget()->mapFromGlobal(global) : mapFromGlobal(global);
}

std::optional<QPointF> PageRail::pageThumbCenter(int page) const
{
    if (page < 0 || page >= m_pageThumbs.size())
        return std::nullopt;
    return centerOfThumb(m_pageThumbs.at(page));
}

int PageRail::glidingCount() const
{
    return m_animator->glidingCount();
}
