#include "Reports.h"

#include "app/PreferenceReaders.h"
#include "platform/BuildInfo.h"
#include "platform/Preferences.h"

#include <QUuid>

#include <cmath>

namespace Reports {

Report::App appInfo()
{
    return {BuildInfo::version(), BuildInfo::build(), BuildInfo::bundleIdentifier(), BuildInfo::commit()};
}

Report::System systemInfo()
{
    const SystemProbe &probe = SystemProbe::current();
    Report::System s;
    s.os = probe.os();
    s.model = probe.model();
    s.arch = probe.arch();
    s.locale = probe.locale();
    s.memoryGB = std::llround(double(probe.memoryBytes()) / 1073741824.0);
    for (const SystemProbe::Screen &screen : probe.screens())
        s.screens << screenText(screen);
    return s;
}

QString screenText(const SystemProbe::Screen &screen)
{
    return QStringLiteral("%1x%2@%3")
        .arg(qint64(screen.width * screen.scale))
        .arg(qint64(screen.height * screen.scale))
        .arg(qint64(screen.scale));
}

QString installID()
{
    const QString key = QStringLiteral("reports.install");
    if (const std::optional<QString> stored = Prefs::store().stringValue(key); stored && !stored->isEmpty())
        return *stored;
    const QString id = QUuid::createUuid().toString(QUuid::WithoutBraces).toLower();
    Prefs::store().setValue(key, id);
    return id;
}

} // namespace Reports
