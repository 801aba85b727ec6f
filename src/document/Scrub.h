#pragma once
#include <QString>
#include <QStringList>

// Takes the names of the user out of texts that go into reports.
namespace Scrub {
// Who the texts must not name.
struct Identity {
    QStringList homes; // home folders: $HOME and the account's own from the password database
    QString user;      // account name
    QString host;      // the machine's host name
};

// Replaces the home folder by "~" (also in its JSON-escaped form), "/Users/<user>",
// "/home/<user>", "/media/<user>" and "/run/media/<user>" by the same prefix with "USER", and
// every volume name after "/Volumes/" or "/media/USER/" by "DISK". Plain, case-sensitive
// replacements; never fails.
QString text(const QString &text, const QString &home, const QString &user);

// The same for every home of who, and then the host name and its first label (each at least two
// characters and not "localhost") as whole tokens become "HOST": a name inside a longer word
// such as "rebuild-7x" stays.
QString text(const QString &text, const Identity &who);
} // namespace Scrub
