#include "export/Destinations.h"

#include "export/DestinationChanges.h"
#include "export/DestinationSymbols.h"
#include "platform/AppRegistry.h"
#include "platform/Preferences.h"

#include <QGuiApplication>
#include <QJsonArray>
#include <QPalette>
#include <QPixmap>

namespace Destinations {
namespace {
const QString sendTo = QStringLiteral("send.to");
const QString extraApps = QStringLiteral("send.extraApps");

bool sameId(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QColor labelColor()
{
    return QGuiApplication::palette().color(QPalette::WindowText);
}
} // namespace

const QList<QStringList> &suggestedRows()
{
    static const QList<QStringList> rows{
        {QStringLiteral("org.gnome.Terminal"), QStringLiteral("org.gnome.Console"), QStringLiteral("org.kde.konsole"),
         QStringLiteral("xfce4-terminal")},
        {QStringLiteral("com.mitchellh.ghostty")},
        {QStringLiteral("dev.warp.Warp")},
        {QStringLiteral("com.slack.Slack"), QStringLiteral("slack")},
        {QStringLiteral("org.telegram.desktop"), QStringLiteral("telegramdesktop")},
        {QStringLiteral("com.discordapp.Discord"), QStringLiteral("discord")},
        {QStringLiteral("code"), QStringLiteral("com.visualstudio.code"), QStringLiteral("code-oss")},
        {QStringLiteral("cursor")},
        {QStringLiteral("org.mozilla.Thunderbird"), QStringLiteral("thunderbird")},
    };
    return rows;
}

QStringList suggestedApps()
{
    QStringList ids;
    for (const QStringList &row : suggestedRows())
        ids << row;
    return ids;
}

const QStringList &terminals()
{
    static const QStringList ids{
        QStringLiteral("org.gnome.Terminal"), QStringLiteral("org.gnome.Console"), QStringLiteral("org.kde.konsole"),
        QStringLiteral("xfce4-terminal"), QStringLiteral("com.mitchellh.ghostty"), QStringLiteral("dev.warp.Warp"),
        QStringLiteral("kitty"), QStringLiteral("Alacritty"), QStringLiteral("org.wezfurlong.wezterm"),
    };
    return ids;
}

bool isTerminal(const QString &id)
{
    for (const QString &terminal : terminals()) {
        if (sameId(terminal, id))
            return true;
    }
    const std::optional<InstalledApp> app = AppRegistry::shared().find(id);
    return app && app->isTerminal();
}

QStringList listedApps()
{
    AppRegistry &registry = AppRegistry::shared();
    QStringList listed;
    for (const QStringList &row : suggestedRows()) {
        for (const QString &id : row) {
            if (registry.find(id)) {
                listed << id;
                break;
            }
        }
    }
    const QStringList suggested = suggestedApps();
    for (const QString &id : Preferences::shared().stringList(extraApps).value_or(QStringList())) {
        if (!suggested.contains(id) && !listed.contains(id) && registry.find(id))
            listed << id;
    }
    return listed;
}

QString displayName(const QString &id, const std::optional<RunningApp> &previous)
{
    if (const std::optional<InstalledApp> app = AppRegistry::shared().find(id))
        return app->name;
    if (previous && sameId(previous->identifier, id) && !previous->name.isEmpty())
        return previous->name;
    return id;
}

QString actionTitle(const std::optional<RunningApp> &previous)
{
    const std::optional<QString> id = Destination::current().bundleID(previous);
    if (!id)
        return QStringLiteral("copy only");
    return QStringLiteral("paste into ") + displayName(*id, previous);
}

QString menuTitle(const Destination &destination, const std::optional<RunningApp> &previous)
{
    switch (destination.kind()) {
    case Destination::Kind::Clipboard:
        return QStringLiteral("Clipboard only");
    case Destination::Kind::Previous:
        if (previous && !previous->identifier.isEmpty())
            return QStringLiteral("The app you were in (") + displayName(previous->identifier, previous) + u')';
        return QStringLiteral("The app you were in");
    case Destination::Kind::App:
        break;
    }
    return displayName(destination.appId(), previous);
}

QIcon icon(const Destination &destination, const std::optional<RunningApp> &previous)
{
    using DestinationSymbols::Symbol;
    switch (destination.kind()) {
    case Destination::Kind::Clipboard:
        return DestinationSymbols::icon(Symbol::Clipboard, labelColor());
    case Destination::Kind::Previous:
        if (previous) {
            const QIcon own = appIcon(previous->identifier);
            if (!own.isNull())
                return own;
        }
        return DestinationSymbols::icon(Symbol::Back, labelColor());
    case Destination::Kind::App:
        break;
    }
    return appIcon(destination.appId());
}

QIcon appIcon(const QString &id, int points)
{
    const std::optional<InstalledApp> app = AppRegistry::shared().find(id);
    if (!app)
        return {};
    const QIcon themed = AppRegistry::icon(*app);
    if (themed.isNull())
        return {};
    // A copy at the size asked for, so that the menu does not pick another of the theme's sizes.
    QIcon sized;
    for (const qreal ratio : {1.0, 2.0}) {
        QPixmap pixmap = themed.pixmap(QSize(points, points), ratio);
        if (!pixmap.isNull())
            sized.addPixmap(pixmap);
    }
    return sized.isNull() ? themed : sized;
}

QString chordText(bool terminal)
{
    return terminal ? QStringLiteral("Ctrl+Shift+V") : QStringLiteral("Ctrl+V");
}

void choose(const Destination &destination)
{
    Preferences::shared().setValue(sendTo, destination.stored());
    emit DestinationChanges::shared().changed();
}

void chooseOther(const QString &id)
{
    Preferences &prefs = Preferences::shared();
    QStringList extras = prefs.stringList(extraApps).value_or(QStringList());
    if (!suggestedApps().contains(id) && !extras.contains(id)) {
        extras << id;
        prefs.setValue(extraApps, QJsonArray::fromStringList(extras));
    }
    choose(Destination(id));
}

} // namespace Destinations
