#include "Scrub.h"
#include <algorithm>

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

void replaceHome(QString &s, const QString &home)
{
    if (home.size() < 2)
        return;
    s.replace(jsonEscaped(home), QStringLiteral("~"));
    s.replace(home, QStringLiteral("~"));
}

void replaceUserAndVolumes(QString &s, const QString &user)
{
    if (!user.isEmpty()) {
        // The account name inside the usual places for home folders and removable media
        // ("/run/media/<user>" contains "/media/<user>").
        for (const char *root : {"/Users/", "/home/", "/media/"}) {
            const QString prefix = QLatin1String(root);
            s.replace(prefix + user, prefix + QStringLiteral("USER"));
            s.replace(jsonEscaped(prefix) + user, jsonEscaped(prefix) + QStringLiteral("USER"));
        }
    }
    const QString volumes = QStringLiteral("/Volumes/");
    const QString media = QStringLiteral("/media/USER/");
    for (const QString &prefix : {volumes, media}) {
        replaceVolumes(s, prefix, prefix + QStringLiteral("DISK"));
        replaceVolumes(s, jsonEscaped(prefix), jsonEscaped(prefix) + QStringLiteral("DISK"));
    }
}

bool isTokenChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_');
}

void replaceToken(QString &s, const QString &token, const QString &replacement)
{
    if (token.size() < 2 || token == QLatin1String("localhost"))
        return;
    qsizetype pos = 0;
    for (;;) {
        const qsizetype at = s.indexOf(token, pos);
        if (at < 0)
            return;
        const qsizetype end = at + token.size();
        const bool whole = (at == 0 || !isTokenChar(s.at(at - 1))) && (end == s.size() || !isTokenChar(s.at(end)));
        if (whole) {
            s.replace(at, token.size(), replacement);
            pos = at + replacement.size();
        } else {
            pos = at + 1;
        }
    }
}
} // namespace

QString text(const QString &input, const QString &home, const QString &user)
{
    QString s = input;
    replaceHome(s, home);
    replaceUserAndVolumes(s, user);
    return s;
}

QString text(const QString &input, const Identity &who)
{
    QString s = input;
    // The longer home first, so that one inside the other is not cut in half.
    QStringList homes = who.homes;
    std::sort(homes.begin(), homes.end(), [](const QString &a, const QString &b) { return a.size() > b.size(); });
    for (const QString &home : homes)
        replaceHome(s, home);
    replaceUserAndVolumes(s, who.user);
    replaceToken(s, who.host, QStringLiteral("HOST"));
    const QString firstLabel = who.host.section(QLatin1Char('.'), 0, 0);
    if (firstLabel != who.host)
        replaceToken(s, firstLabel, QStringLiteral("HOST"));
    return s;
}

} // namespace Scrub
