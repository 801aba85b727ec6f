#include "rail/PageRail.h"

#include "platform/ReduceMotion.h"
#include "rail/RailAnimator.h"
#include "rail/RailDocument.h"

#include <QScrollArea>
#include <QScrollBar>

#include <cmath>

namespace {

double distanceTo(const QRectF &r, QPointF p)
{
    const double dx = std::max({r.left() - p.x(), 0.0, p.x() - r.right()});
    const double dy = std::max({r.top() - p.y(), 0.0, p.y() - r.bottom()});
    return std::hypot(dx, dy);
}

} // namespace

void PageRail::layoutThumbs(bool animated, bool keepAnchor, const QSet<RailThumb *> &fresh)
{
    QList<double> heights;
    heights.reserve(m_entries.size());
    for (const Entry &e : std::as_const(m_entries))
        heights.append(RailGrid::thumbHeight(shape.thumb, e.ratio));
    const RailGrid::Frames grid = RailGrid::frames(heights, shape.columns, shape.width, shape.thumb);

    const bool animate = animated && canAnimate();
    const QPointF visibleBefore(0, visibleTop());

    // Where each thumbnail stands in the model before the change. Glides in flight keep running
    // and add up, so a new glide starts from the model's old place, which leaves the thumbnail
    // exactly where it is seen.
    QHash<RailThumb *, QPointF> before;
    if (animate) {
        for (RailThumb *t : std::as_const(m_order)) {
            if (!fresh.contains(t))
                before.insert(t, t->cardFrame().topLeft());
        }
    }
    const std::optional<Anchor> anchor = keepAnchor ? takeAnchor() : std::nullopt;

    const qsizetype n = std::min(m_order.size(), grid.frames.size());
    for (qsizetype i = 0; i < n; ++i) {
        if (m_order.at(i)->cardFrame() != grid.frames.at(i))
            m_order.at(i)->setCardFrame(grid.frames.at(i));
    }
    m_docHeight = grid.height;
    resizeDocument();
    if (anchor)
        restoreAnchor(*anchor);

    if (animate) {
        const QPointF visibleAfter(0, visibleTop());
        for (qsizetype i = 0; i < n; ++i) {
            RailThumb *t = m_order.at(i);
            const auto it = before.constFind(t);
            if (it != before.cend()) {
                const QPointF now = t->cardFrame().topLeft();
                const QPointF d = (*it - visibleBefore) - (now - visibleAfter);
                if (std::abs(d.x()) > 0.5 || std::abs(d.y()) > 0.5) {
                    ++m_glides;
                    m_animator->glide(t, d);
                }
            } else if (fresh.contains(t)) {
                m_animator->appear(t);
            }
        }
    }
    if (!m_order.isEmpty())
        m_laidOut = true;
}

std::optional<PageRail::Anchor> PageRail::takeAnchor() const
{
    if (m_order.isEmpty())
        return std::nullopt;
    const double top = visibleTop();
    RailThumb *thumb = nullptr;
    double reference = 0;
    if (m_pinchAt) {
        double best = std::numeric_limits<double>::max();
        for (RailThumb *t : m_order) {
            const double d = distanceTo(t->cardFrame(), *m_pinchAt);
            if (d < best) {
                best = d;
                thumb = t;
            }
        }
        reference = m_pinchAt->y();
    } else {
        for (RailThumb *t : m_order) {
            if (t->cardFrame().bottom() > top + 1) {
                thumb = t;
                break;
            }
        }
        if (!thumb)
            return std::nullopt;
        reference = std::max(top, thumb->cardFrame().top());
    }
    const QRectF f = thumb->cardFrame();
    double fraction = f.height() > 1 ? (reference - f.top()) / f.height() : reference - f.top();
    fraction = std::clamp(fraction, 0.0, 1.0);
    return Anchor{thumb, fraction, f.top() + fraction * f.height() - top};
}

void PageRail::restoreAnchor(const Anchor &anchor)
{
    const QRectF f = anchor.thumb->cardFrame();
    const double room = std::max(0.0, double(m_doc->height() - m_scroll->viewport()->height()));
    const double y = std::clamp(f.top() + anchor.fraction * f.height() - anchor.offset, 0.0, room);
    if (std::abs(y - visibleTop()) > 0.25)
        scrollTo(y);
}
