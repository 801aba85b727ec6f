#pragma once
#include <QUrl>

#include <functional>

// Opens a web page or a new mail in the user's programs. Tests replace `open` to see the URLs.
namespace UrlOpener {
extern std::function<bool(const QUrl &)> open;
}
