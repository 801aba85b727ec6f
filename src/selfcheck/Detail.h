#pragma once
#include <QDateTime>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <optional>

// How the self-check writes measured values into the details of its failed checks: numbers as
// the shortest decimal that reads back as the same value ("1440", "0.5"), points "(x, y)",
// sizes "(w, h)", rectangles "(x, y, w, h)", truth values "true"/"false", lists "[a, b]" with
// texts in double quotes, and a missing value "none".
namespace Autopilot::Detail {

QString text(double value);
QString text(int value);
QString text(qint64 value);
QString text(bool value);
QString text(QPointF point);
QString text(QSizeF size);
QString text(const QRectF &rect);
// A date as local time "yyyy-MM-dd HH:mm:ss.zzz"; "none" when invalid.
QString text(const QDateTime &date);
inline QString text(const QString &value) { return value; }
// A text as a literal: in double quotes, with backslashes, quotes, line feeds, carriage returns
// and tabs escaped.
QString quoted(const QString &value);

template <class T>
QString text(const std::optional<T> &value)
{
    return value ? text(*value) : QStringLiteral("none");
}

// A list element: texts are quoted, everything else written as on its own.
template <class T>
QString element(const T &value)
{
    return text(value);
}
inline QString element(const QString &value) { return quoted(value); }

template <class T>
QString text(const QList<T> &values)
{
    QStringList parts;
    for (const T &value : values)
        parts.append(element(value));
    return QLatin1Char('[') + parts.join(QStringLiteral(", ")) + QLatin1Char(']');
}

// Two values joined by " vs ", and a change from one to the other as "a -> b".
template <class A, class B>
QString versus(const A &a, const B &b)
{
    return text(a) + QStringLiteral(" vs ") + text(b);
}
template <class A, class B>
QString change(const A &from, const B &to)
{
    return text(from) + QStringLiteral(" -> ") + text(to);
}

} // namespace Autopilot::Detail
