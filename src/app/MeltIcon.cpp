#include "app/MeltIcon.h"

#include "document/Melt.h"
#include "platform/Preferences.h"

#include <QGuiApplication>
#include <QHash>
#include <QIcon>
#include <QPixmap>

static void initMeltResources()
{
    // The pictures are compiled into this static library; register them once.
    static const bool done = [] {
        Q_INIT_RESOURCE(MeltIcons);
        return true;
    }();
    Q_UNUSED(done);
}

namespace {
struct MeltState
{
    QHash<int, QPixmap> cache;
    std::optional<int> shown;
    QString folder = QStringLiteral(":/MeltIcons");
};

MeltState &state()
{
    static MeltState s;
    return s;
}
} // namespace

void refreshMeltIcon(bool force)
{
    initMeltResources();
    MeltState &s = state();
    const qint64 captures = Preferences::shared().intValue(QStringLiteral("melt.captures")).value_or(0);
    const int stage = captures < 1 ? 0 : Melt::stage(captures);
    if (!force && s.shown == stage)
        return;
    if (!s.cache.contains(stage)) {
        QPixmap picture(s.folder + QStringLiteral("/melt-%1.png").arg(stage));
        if (!picture.isNull())
            s.cache.insert(stage, picture);
    }
    const auto found = s.cache.constFind(stage);
    if (found == s.cache.constEnd())
        return;
    QGuiApplication::setWindowIcon(QIcon(*found));
    s.shown = stage;
}

std::optional<int> MeltIcon::shownStage()
{
    return state().shown;
}

QString MeltIcon::folder()
{
    return state().folder;
}

void MeltIcon::setFolderForTesting(const QString &folder)
{
    state().folder = folder;
}

void MeltIcon::resetForTesting()
{
    state() = MeltState();
}
