#include "UrlOpener.h"

#include <QDesktopServices>

namespace UrlOpener {
std::function<bool(const QUrl &)> open = [](const QUrl &url) { return QDesktopServices::openUrl(url); };
}
