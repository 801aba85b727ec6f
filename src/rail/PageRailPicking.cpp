#include "rail/PageRail.h"

#include <QLineF>

void PageRail::activate(const Row &row)
{
    if (row.isPage()) {
        if (onSelect)
            onSelect(row.page);
    } else if (onOpenRecent) {
        onOpenRecent(row.recent);
    }
}

void PageRail::picksChanged()
{
    const std::optional<Key> current = currentKey();
    if (current && m_picked.size() == 1 && m_picked.contains(*current))
        m_picked.clear();
    restyle();
    if (onPick)
        onPick();
}

void PageRail::pressThumb(RailThumb *thumb, QPointF windowPos, Qt::KeyboardModifiers modifiers)
{
    if (!thumb || thumb->leaving())
        return;
    m_press = Press{thumb, windowPos, false, false};
    const Key key = thumb->key;
    if (modifiers & Qt::ShiftModifier) {
        const Key anchor = m_anchorKey.value_or(currentKey().value_or(key));
        m_anchorKey = anchor;
        m_leadKey = key;
        const QList<Key> span = RailGrid::span(entryKeys(), anchor, key);
        m_picked = QSet<Key>(span.begin(), span.end());
        picksChanged();
        return;
    }
    if (modifiers & Qt::ControlModifier) {
        if (m_picked.isEmpty()) {
            if (const std::optional<Key> current = currentKey())
                m_picked.insert(*current);
        }
        if (!m_picked.remove(key))
            m_picked.insert(key);
        m_anchorKey = key;
        m_leadKey = key;
        picksChanged();
        return;
    }
    if (m_picked.size() > 1 && m_picked.contains(key)) {
        m_press->collapse = true;
        return;
    }
    m_picked.clear();
    m_anchorKey.reset();
    m_leadKey.reset();
    restyle();
    activate(thumb->row);
}

void PageRail::dragThumb(RailThumb *thumb, QPointF windowPos)
{
    if (!m_press || m_press->thumb != thumb || m_press->dragged)
        return;
    if (QLineF(m_press->at, windowPos).length() <= 4)
        return;
    m_press->dragged = true;
    dragOut(thumb);
}

void PageRail::releaseThumb(RailThumb *thumb)
{
    if (m_press && m_press->thumb == thumb && m_press->collapse && !m_press->dragged) {
        m_picked.clear();
        m_anchorKey.reset();
        m_leadKey.reset();
        restyle();
        activate(thumb->row);
    }
    m_press.reset();
}

void PageRail::clearPicks()
{
    m_anchorKey.reset();
    m_leadKey.reset();
    if (!m_picked.isEmpty()) {
        m_picked.clear();
        restyle();
    }
}

bool PageRail::moveLead(RailGrid::Move move)
{
    const std::optional<Key> anchor = m_anchorKey ? m_anchorKey : currentKey();
    if (!anchor)
        return false;
    const Key lead = m_leadKey.value_or(*anchor);
    const QList<Key> keys = entryKeys();
    const qsizetype at = keys.indexOf(lead);
    if (at < 0)
        return false;
    const std::optional<int> next = RailGrid::step(int(at), move, int(keys.size()));
    if (!next)
        return false;
    m_anchorKey = anchor;
    m_leadKey = keys.at(*next);
    const QList<Key> span = RailGrid::span(keys, *anchor, *m_leadKey);
    m_picked = QSet<Key>(span.begin(), span.end());
    picksChanged();
    scrollIntoView(m_order.at(*next));
    return true;
}

QList<PageRail::Row> PageRail::pickedRows() const
{
    QList<Row> rows;
    for (const Entry &e : m_entries) {
        if (m_picked.contains(e.key))
            rows.append(e.row);
    }
    return rows;
}
