#include "Scrub.h"

namespace Scrub {
namespace {
QString jsonEscaped(QString path)
{
    return path.replace(QLatin1Char('/'), QLatin1String("\\/"));
}

void replaceVolumes(QString &s, const QString &prefix, const QString &replacement)
{
    qsizetype pos = 0;
    for (;;) {
        const qsizetype at = s.indexOf(prefix, pos);
        if (at < 0)
            return;
        qsizetype end = at + prefix.size();
        while (end < s.size()) {
            const QChar c = s.at(end);
            if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char('"')
                || c == QLatin1Char('\n'))
                break;
            ++end;
        }
        s.replace(at, end - at, replacement);
        pos = at + replacement.size();
    }
}
} // namespace

QString text(const QString &input, const QString &home, const QString &user)
{
    QString s = input;
    if (home.size() >= 2) {
        s.replace(jsonEscaped(home), QStringLiteral("~"));
        s.replace(home, QStringLiteral("~"));
    }
    if (!user.isEmpty()) {
        // The account name inside the usual places for home folders and removable media.
        for (const char *root : {"/Users/", "/home/", "/media/"}) {
            const QString prefix = QLatin1String(root);
            s.replace(prefix + user, prefix + QStringLiteral("USER"));
            s.replace(jsonEscaped(prefix) + user, jsonEscaped(prefix) + QStringLiteral("USER"));
        }
    }
    replaceVolumes(s, QStringLiteral("/Volumes/"), QStringLiteral("/Volumes/DISK"));
    replaceVolumes(s, QStringLiteral("\\/Volumes\\/"), QStringLiteral("\\/Volumes\\/DISK"));
    return s;
}

} // namespace Scrub
