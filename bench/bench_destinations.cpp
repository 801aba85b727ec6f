// Reading the installed applications (300 desktop entries, cold and cached), building the "Other
// App…" chooser's list from them, and building the send menu with ten applications listed.
#include "export/AppChooser.h"
#include "export/Destinations.h"
#include "export/SendButton.h"
#include "platform/Preferences.h"
#include "platform/fake/FakeAppRegistry.h"
#include "platform/linux/XdgAppRegistry.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QMenu>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {
struct Entries
{
    QTemporaryDir dir;
    QString folder = dir.filePath("applications");

    Entries()
    {
        QDir().mkpath(folder + "/vendor");
        for (int i = 0; i < 300; ++i) {
            QFile file(folder + (i % 10 ? "/" : "/vendor/") + QStringLiteral("org.example.app%1.desktop").arg(i));
            file.open(QIODevice::WriteOnly);
            QByteArray text = "[Desktop Entry]\nType=Application\nName=Application " + QByteArray::number(i) + "\n";
            for (const char *lang : {"de", "fr", "es", "it", "ja", "pt_BR", "ru", "zh_CN"})
                text += "Name[" + QByteArray(lang) + "]=Anwendung " + QByteArray::number(i) + "\nComment[" + lang
                    + "]=Eine Anwendung, die etwas tut\n";
            text += "Exec=app" + QByteArray::number(i) + " %U\nIcon=app" + QByteArray::number(i)
                + "\nCategories=Utility;Development;\nStartupWMClass=App" + QByteArray::number(i) + "\n"
                + (i % 20 ? "" : "NoDisplay=true\n") + "\n[Desktop Action new]\nName=New Window\nExec=app --new\n";
            file.write(text);
        }
    }
};

void BM_ScanCold(benchmark::State &state)
{
    Entries entries;
    for (auto _ : state) {
        XdgAppRegistry registry({entries.folder}, "de_DE.UTF-8");
        benchmark::DoNotOptimize(registry.find("org.example.app7"));
    }
}
BENCHMARK(BM_ScanCold)->Unit(benchmark::kMillisecond);

void BM_LookupCached(benchmark::State &state)
{
    Entries entries;
    XdgAppRegistry registry({entries.folder}, "de_DE.UTF-8");
    registry.find("org.example.app7");
    int i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(registry.find(QStringLiteral("org.example.app%1").arg(i++ % 300)));
}
BENCHMARK(BM_LookupCached)->Unit(benchmark::kMicrosecond);

// The chooser's list as the user waits for it: the folders read afresh, hidden ones left out,
// sorted by name.
void BM_ChooserListCold(benchmark::State &state)
{
    Entries entries;
    for (auto _ : state) {
        XdgAppRegistry registry({entries.folder}, "de_DE.UTF-8");
        benchmark::DoNotOptimize(AppChooser::choices(registry).size());
    }
}
BENCHMARK(BM_ChooserListCold)->Unit(benchmark::kMillisecond);

// The same with the folders already read (a second "Other App…" in one session).
void BM_ChooserListCached(benchmark::State &state)
{
    Entries entries;
    XdgAppRegistry registry({entries.folder}, "de_DE.UTF-8");
    registry.all();
    for (auto _ : state)
        benchmark::DoNotOptimize(AppChooser::choices(registry).size());
}
BENCHMARK(BM_ChooserListCached)->Unit(benchmark::kMillisecond);

// The whole window with its list, icons left for when rows are shown.
void BM_ChooserWindow(benchmark::State &state)
{
    Entries entries;
    for (auto _ : state) {
        XdgAppRegistry registry({entries.folder}, "de_DE.UTF-8");
        AppChooser chooser(nullptr, &registry);
        benchmark::DoNotOptimize(chooser.shownNames().size());
    }
}
BENCHMARK(BM_ChooserWindow)->Unit(benchmark::kMillisecond);

void BM_SendMenu(benchmark::State &state)
{
    auto apps = std::make_shared<FakeAppRegistry>();
    AppRegistry::setShared(apps);
    QStringList extras;
    for (const QStringList &row : Destinations::suggestedRows())
        apps->add(row.first());
    for (int i = 0; apps->apps.size() < 10; ++i) {
        apps->add(QStringLiteral("org.example.extra%1").arg(i));
        extras << apps->apps.last().id;
    }
    Preferences::shared().setValue("send.extraApps", QJsonArray::fromStringList(extras));
    SendButton button;
    for (auto _ : state) {
        button.rebuildMenu();
        benchmark::DoNotOptimize(button.menu()->actions().size());
    }
}
BENCHMARK(BM_SendMenu)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char **argv)
{
    // Nothing of the user's own settings is read or written.
    static QTemporaryDir home;
    for (const char *var : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"})
        qputenv(var, home.path().toLocal8Bit() + "/" + var);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
