#pragma once
#include <QHash>
#include <QMetaType>
#include <QString>

// What one rail thumbnail stands for: a page of the canvas (by index, from 0) or an earlier
// capture (by its history id).
struct RailRow {
    enum class Kind { page, recent };

    Kind kind = Kind::page;
    int page = 0;
    QString recent;

    static RailRow ofPage(int index) { return {Kind::page, index, {}}; }
    static RailRow ofRecent(const QString &id) { return {Kind::recent, 0, id}; }
    bool isPage() const { return kind == Kind::page; }
    bool isRecent() const { return kind == Kind::recent; }

    friend bool operator==(const RailRow &a, const RailRow &b)
    {
        return a.kind == b.kind && (a.kind == Kind::page ? a.page == b.page : a.recent == b.recent);
    }
};

inline size_t qHash(const RailRow &row, size_t seed = 0)
{
    return row.kind == RailRow::Kind::page ? qHashMulti(seed, 0, row.page) : qHashMulti(seed, 1, row.recent);
}

Q_DECLARE_METATYPE(RailRow)
