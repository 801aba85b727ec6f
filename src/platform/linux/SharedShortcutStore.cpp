#include "GnomeShortcutStore.h"

#include <QProcessEnvironment>
#include <QStandardPaths>

namespace {
// The store of a desktop whose shortcuts we cannot read: nothing to clash with.
class NoShortcutStore : public SystemShortcutStore
{
public:
    QList<BuiltIn> builtIns() const override { return {}; }
    std::optional<QJsonObject> read() const override { return std::nullopt; }
    bool write(const QJsonObject &) override { return false; }
};

SystemShortcutStore *overridden = nullptr;

bool onGnome()
{
    const QString desktop = QProcessEnvironment::systemEnvironment().value(
        QStringLiteral("XDG_CURRENT_DESKTOP"));
    return desktop.contains(QLatin1String("GNOME"), Qt::CaseInsensitive);
}
} // namespace

SystemShortcutStore &SystemShortcutStore::shared()
{
    if (overridden)
        return *overridden;
    static SystemShortcutStore *const desktop = []() -> SystemShortcutStore * {
        if (onGnome() && !QStandardPaths::findExecutable(QStringLiteral("gsettings")).isEmpty())
            return new GnomeShortcutStore;
        return new NoShortcutStore;
    }();
    return *desktop;
}

void SystemShortcutStore::setShared(SystemShortcutStore *store)
{
    overridden = store;
}
