// The settings window: a refresh that finds nothing new, the first and a later show (QML load to
// the first frame on screen), and a switch of section to its next frame.
#include "app/HotKeyCenter.h"
#include "platform/GlobalKeyGrabber.h"
#include "platform/fake/FakeKeyGrabber.h"
#include "platform/fake/FakeLoginItem.h"
#include "platform/fake/FakePermissions.h"
#include "platform/fake/MemoryShortcutStore.h"
#include "settings/SettingsWindowController.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QQuickView>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {
struct Fixture {
    FakeKeyGrabber grabber;
    MemoryShortcutStore store;
    std::unique_ptr<HotKeyCenter> center;
    Fixture()
    {
        GlobalKeyGrabber::setShared(&grabber);
        Permissions::setShared(std::make_shared<FakePermissions>());
        LoginItem::setShared(std::make_shared<FakeLoginItem>());
        center = std::make_unique<HotKeyCenter>(grabber, store);
        center->registerAll();
    }
};

Fixture &fixture()
{
    static Fixture f;
    return f;
}

// Waits until the window has drawn a new frame.
void waitForFrame(QQuickView *view)
{
    QEventLoop loop;
    QObject::connect(view, &QQuickWindow::frameSwapped, &loop, &QEventLoop::quit);
    view->update();
    loop.exec();
}
} // namespace

static void BM_RefreshUnchanged(benchmark::State &state)
{
    SettingsWindowController controller(*fixture().center);
    int notifications = 0;
    QObject::connect(controller.model(), &SettingsModel::shortcutsChanged, [&] { ++notifications; });
    for (auto _ : state)
        controller.refresh();
    state.counters["notifications"] = notifications;
}
BENCHMARK(BM_RefreshUnchanged)->Unit(benchmark::kMicrosecond);

static void BM_FirstShow(benchmark::State &state)
{
    for (auto _ : state) {
        SettingsWindowController controller(*fixture().center);
        controller.show();
        waitForFrame(controller.window());
    }
}
BENCHMARK(BM_FirstShow)->Unit(benchmark::kMillisecond)->Iterations(5);

static void BM_LaterShow(benchmark::State &state)
{
    SettingsWindowController controller(*fixture().center);
    controller.show();
    waitForFrame(controller.window());
    for (auto _ : state) {
        state.PauseTiming();
        controller.window()->close();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        controller.show();
        waitForFrame(controller.window());
    }
}
BENCHMARK(BM_LaterShow)->Unit(benchmark::kMillisecond)->Iterations(10);

static void BM_SectionSwitch(benchmark::State &state)
{
    SettingsWindowController controller(*fixture().center);
    controller.show();
    waitForFrame(controller.window());
    int i = 0;
    for (auto _ : state) {
        controller.select(SettingsSections::all[size_t(i++ % 7)]);
        waitForFrame(controller.window());
    }
}
BENCHMARK(BM_SectionSwitch)->Unit(benchmark::kMillisecond)->Iterations(20);

int main(int argc, char **argv)
{
    // Nothing of the user's own settings is read or written.
    static QTemporaryDir home;
    for (const char *var : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"})
        qputenv(var, home.path().toLocal8Bit() + "/" + var);
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND"))
        qputenv("QT_QUICK_BACKEND", "software");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
