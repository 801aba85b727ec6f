// The welcome window: the first show (QML load to the first frame on screen), one poll tick that
// finds nothing new, and "Install for this user", fresh and when the copy is current.
#include "app/HotKeyCenter.h"
#include "onboarding/InstallWindow.h"
#include "onboarding/OnboardingWindowController.h"
#include "platform/GlobalKeyGrabber.h"
#include "platform/fake/FakeKeyGrabber.h"
#include "platform/fake/FakeLoginItem.h"
#include "platform/fake/FakePermissions.h"
#include "platform/fake/FakeScheduler.h"
#include "platform/fake/MemoryShortcutStore.h"

#include <QApplication>
#include <QDir>
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

void waitForFrame(QQuickView *view)
{
    QEventLoop loop;
    QObject::connect(view, &QQuickWindow::frameSwapped, &loop, &QEventLoop::quit);
    view->update();
    loop.exec();
}
} // namespace

static void BM_FirstShow(benchmark::State &state)
{
    for (auto _ : state) {
        OnboardingWindowController controller(*fixture().center);
        controller.show();
        waitForFrame(controller.window());
    }
}
BENCHMARK(BM_FirstShow)->Unit(benchmark::kMillisecond)->Iterations(5);

static void BM_PollTickUnchanged(benchmark::State &state)
{
    FakeScheduler scheduler;
    OnboardingWindowController controller(*fixture().center, scheduler);
    controller.show();
    scheduler.advance(OnboardingWindowController::pollSeconds); // the first tick only records
    int notifications = 0;
    for (auto signal : {&WelcomeModel::screenChanged, &WelcomeModel::accessChanged, &WelcomeModel::shortcutChanged,
                        &WelcomeModel::statusChanged, &WelcomeModel::stepsChanged, &WelcomeModel::chosenChanged,
                        &WelcomeModel::openStepChanged, &WelcomeModel::screenReasonChanged,
                        &WelcomeModel::accessReasonChanged})
        QObject::connect(controller.model(), signal, [&] { ++notifications; });
    for (auto _ : state)
        scheduler.advance(OnboardingWindowController::pollSeconds);
    state.counters["notifications"] = notifications;
}
BENCHMARK(BM_PollTickUnchanged)->Unit(benchmark::kMicrosecond);

static void BM_Install(benchmark::State &state)
{
    const bool current = state.range(0) == 1;
    const QString executable = QCoreApplication::applicationFilePath();
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir home;
        InstallWindow::Places places;
        places.home = home.path();
        places.binary = home.path() + QStringLiteral("/.local/bin/quillet");
        places.desktopEntry = home.path() + QStringLiteral("/.local/share/applications/quillet.desktop");
        places.icon = home.path() + QStringLiteral("/.local/share/icons/hicolor/scalable/apps/quillet.svg");
        places.madeFrom = home.path() + QStringLiteral("/.cache/Quillet/install");
        if (current)
            InstallWindow::install(executable, places);
        state.ResumeTiming();
        if (InstallWindow::install(executable, places))
            state.SkipWithError("the install failed");
    }
}
BENCHMARK(BM_Install)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char **argv)
{
    // Nothing of the user's own settings is read or written.
    static QTemporaryDir home;
    for (const char *var : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME", "XDG_CACHE_HOME"})
        qputenv(var, home.path().toLocal8Bit() + "/" + var);
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND"))
        qputenv("QT_QUICK_BACKEND", "software");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
