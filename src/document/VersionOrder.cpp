#include "VersionOrder.h"

namespace VersionOrder {
namespace {
// The digit run that starts at i, without its leading zeros; i moves past the run.
QStringView digitRun(const QString &s, qsizetype &i)
{
    const qsizetype start = i;
    while (i < s.size() && s.at(i).isDigit())
        ++i;
    qsizetype first = start;
    while (first < i - 1 && s.at(first) == QLatin1Char('0'))
        ++first;
    return QStringView(s).mid(first, i - first);
}
} // namespace

int compare(const QString &a, const QString &b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a.at(i).isDigit() && b.at(j).isDigit()) {
            const QStringView x = digitRun(a, i);
            const QStringView y = digitRun(b, j);
            // Without leading zeros the longer run is the larger number; equal lengths compare
            // digit by digit, so runs of any length work.
            if (x.size() != y.size())
                return x.size() < y.size() ? -1 : 1;
            if (const int c = x.compare(y); c != 0)
                return c < 0 ? -1 : 1;
            continue;
        }
        if (a.at(i) != b.at(j))
            return a.at(i) < b.at(j) ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size())
        return 1;
    if (j < b.size())
        return -1;
    return 0;
}
} // namespace VersionOrder
