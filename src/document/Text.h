#pragma once
#include <QString>

namespace Text {
// The end of text that fits in maxBytes UTF-8 bytes: the whole text when it fits, otherwise the
// last maxBytes bytes moved forward to the first line start inside them (or unchanged when no
// line starts inside them). A character split at the cut is replaced by U+FFFD.
QString tail(const QString &text, qint64 maxBytes);
}
