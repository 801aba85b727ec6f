#pragma once
#include "document/Markup.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QUuid>

#include <optional>

namespace Recents {

// The page document of an entry, its "canvas.json": the page's markup with its shots as saved,
// the pixel scale of the first shot, the scale of every shot by its UUID text, when the page was
// first captured, and its canvas group and place in it. Absent optional values are left out.
struct Saved {
    Markup markup;
    double pixelScale = 1;
    std::optional<QHash<QString, double>> scales;
    QDateTime created;
    std::optional<QString> group;
    std::optional<qint64> order;

    // Fails on a number that is not finite.
    std::optional<QByteArray> encode(QString *error = nullptr) const;
    // Needs "markup", "pixelScale" and "created" and the right type for every key it knows;
    // ignores others.
    static std::optional<Saved> decode(const QByteArray &json, QString *error = nullptr);
};

// The upper-case hyphenated text of a UUID, as shot file names and "scales" keys use it.
QString uuidText(const QUuid &id);

// Dates are stored as seconds since 2001-01-01 00:00:00 UTC, with fractions.
double referenceSeconds(const QDateTime &date);
std::optional<QDateTime> fromReferenceSeconds(double seconds);

} // namespace Recents
