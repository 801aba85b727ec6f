#pragma once
#include <QString>

// Takes the names of the user out of texts that go into reports.
namespace Scrub {
// Replaces the home folder by "~" (also in its JSON-escaped form), "/Users/<user>",
// "/home/<user>" and "/media/<user>" by the same prefix with "USER", and every volume name after
// "/Volumes/" by "DISK". Plain, case-sensitive replacements; never fails.
QString text(const QString &text, const QString &home, const QString &user);
}
