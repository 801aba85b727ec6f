#pragma once
#include "platform/AppRegistry.h"

#include <QFileInfo>
#include <QStringList>

// An application registry that tests fill by hand. Launching records the id and, unless told to
// fail, runs onLaunch (where a test makes the application appear) before done.
class FakeAppRegistry : public AppRegistry
{
public:
    QList<InstalledApp> apps;
    QStringList launches;
    bool launchFails = false;
    std::function<void(const QString &id)> onLaunch;

    // Adds an application; its name is the id unless given.
    InstalledApp &add(const QString &id, const QString &name = {}, const QStringList &categories = {})
    {
        InstalledApp app;
        app.id = id;
        app.name = name.isEmpty() ? id : name;
        app.path = QStringLiteral("/usr/share/applications/") + id + QStringLiteral(".desktop");
        app.categories = categories;
        apps << app;
        return apps.last();
    }

    std::optional<InstalledApp> find(const QString &id) override
    {
        for (const InstalledApp &app : std::as_const(apps)) {
            if (app.id == id)
                return app;
        }
        return std::nullopt;
    }
    QList<InstalledApp> all() override { return apps; }
    std::optional<QString> idForFile(const QString &path) override
    {
        QString id = QFileInfo(path).fileName();
        if (!id.endsWith(QLatin1String(".desktop")))
            return std::nullopt;
        id.chop(8);
        if (path.contains(QLatin1String("/applications/")))
            id = path.section(QStringLiteral("/applications/"), -1).chopped(8).replace(u'/', u'-');
        return find(id) ? std::optional<QString>(id) : std::nullopt;
    }
    // The process id a launch reports.
    qint64 launchPid = 4242;

    void launch(const QString &id, Launched done) override
    {
        launches << id;
        const bool started = !launchFails && find(id).has_value();
        if (started && onLaunch)
            onLaunch(id);
        if (done)
            done(started, started ? launchPid : 0);
    }
};
