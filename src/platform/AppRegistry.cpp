#include "platform/AppRegistry.h"

#include "platform/linux/XdgAppRegistry.h"

#include <QFileInfo>

#include <algorithm>

namespace {
std::shared_ptr<AppRegistry> &slot()
{
    static std::shared_ptr<AppRegistry> instance;
    return instance;
}

bool same(const QString &a, const QString &b)
{
    return !a.isEmpty() && a.compare(b, Qt::CaseInsensitive) == 0;
}
} // namespace

AppRegistry &AppRegistry::shared()
{
    if (!slot())
        slot() = std::make_shared<XdgAppRegistry>(XdgAppRegistry::standardFolders());
    return *slot();
}

void AppRegistry::setShared(std::shared_ptr<AppRegistry> registry)
{
    slot() = std::move(registry);
}

QIcon AppRegistry::icon(const InstalledApp &app)
{
    if (app.icon.isEmpty())
        return {};
    if (QFileInfo(app.icon).isAbsolute())
        return QFileInfo::exists(app.icon) ? QIcon(app.icon) : QIcon();
    return QIcon::fromTheme(app.icon);
}

std::optional<InstalledApp> AppRegistry::forWindow(const WindowClass &window)
{
    QString hint = window.desktopFile;
    if (hint.endsWith(QLatin1String(".desktop")))
        hint.chop(8);
    if (!hint.isEmpty()) {
        if (auto app = find(hint))
            return app;
    }
    const QList<InstalledApp> apps = all();
    const auto first = [&](auto test) -> std::optional<InstalledApp> {
        const auto it = std::find_if(apps.begin(), apps.end(), test);
        return it == apps.end() ? std::nullopt : std::optional<InstalledApp>(*it);
    };
    const auto byClass = [&](const QString &name) {
        return same(name, window.instance) || same(name, window.className);
    };
    if (auto app = first([&](const InstalledApp &a) { return same(a.id, hint); }))
        return app;
    if (auto app = first([&](const InstalledApp &a) { return same(a.startupWMClass, window.className); }))
        return app;
    if (auto app = first([&](const InstalledApp &a) { return byClass(a.id); }))
        return app;
    return first([&](const InstalledApp &a) { return byClass(a.id.section(u'.', -1)); });
}
