#include "Text.h"

#include <QByteArray>

namespace Text {

QString tail(const QString &text, qint64 maxBytes)
{
    const QByteArray bytes = text.toUtf8();
    const qint64 n = bytes.size();
    if (maxBytes >= n)
        return text;
    if (maxBytes <= 0)
        return QString();
    qint64 start = n - maxBytes;
    for (qint64 i = start; i < n; ++i) {
        if (i > 0 && bytes.at(i - 1) == '\n') {
            start = i;
            break;
        }
    }
    // fromUtf8 replaces a broken sequence at the cut with U+FFFD.
    return QString::fromUtf8(bytes.constData() + start, n - start);
}

} // namespace Text
