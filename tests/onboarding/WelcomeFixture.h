#pragma once
#include "app/HotKeyCenter.h"
#include "onboarding/OnboardingWindowController.h"
#include "platform/KeyTable.h"
#include "platform/Preferences.h"
#include "platform/fake/FakeKeyGrabber.h"
#include "platform/fake/FakeLoginItem.h"
#include "platform/fake/FakePermissions.h"
#include "platform/fake/FakeScheduler.h"
#include "platform/fake/MemoryShortcutStore.h"
#include "settings/ShortcutRecorder.h"

#include <QQuickItem>
#include <QQuickView>

// A welcome window over fakes: key grabs, the desktop's shortcut table (a screenshot shortcut on
// Ctrl+Shift+3), time, permissions and the login item.
struct WelcomeFixture {
    FakeKeyGrabber grabber;
    MemoryShortcutStore store{{{28, QStringLiteral("Save picture of screen as a file"),
                                KeyCode::Digit3, EventFlag::Command | EventFlag::Shift}}};
    FakeScheduler scheduler;
    std::shared_ptr<FakePermissions> permissions = std::make_shared<FakePermissions>();
    std::shared_ptr<FakeLoginItem> login = std::make_shared<FakeLoginItem>();
    std::unique_ptr<HotKeyCenter> center;
    std::unique_ptr<OnboardingWindowController> controller;
    int offered = 0;
    int registrations = 0;
    QStringList toasts;
    QStringList legal;

    WelcomeFixture()
    {
        Preferences &prefs = Preferences::shared();
        for (const char *key : {"onboarding.done", "onboarding.permissionsSeen", "shortcuts.takenFromSystem"})
            prefs.remove(QString::fromLatin1(key));
        for (CaptureAction a : CaptureActions::all)
            prefs.remove(HotKeyCenter::preferenceKey(a));
        GlobalKeyGrabber::setShared(&grabber);
        Permissions::setShared(permissions);
        LoginItem::setShared(login);
        OnboardingWindowController::offerTakeOverHook = [this](CaptureAction, HotKeyCenter &) {
            ++offered;
            return false;
        };
        OnboardingWindowController::toastHook = [this](const QString &text, double) { toasts << text; };
        OnboardingWindowController::openLegalHook = [this](const QString &path) { legal << path; };
        ShortcutRecorder::beep = [] {};
        center = std::make_unique<HotKeyCenter>(grabber, store);
        center->onChange = [this] { ++registrations; };
        center->registerAll();
    }
    ~WelcomeFixture()
    {
        controller.reset();
        center.reset();
        GlobalKeyGrabber::setShared(nullptr);
        Permissions::setShared(nullptr);
        LoginItem::setShared(nullptr);
    }
    OnboardingWindowController &make()
    {
        controller = std::make_unique<OnboardingWindowController>(*center, scheduler);
        return *controller;
    }
    WelcomeModel &model() { return *controller->model(); }
    QQuickView &window() { return *controller->window(); }
};

inline QQuickItem *findItem(QQuickItem *item, const QString &name)
{
    if (!item)
        return nullptr;
    if (item->objectName() == name)
        return item;
    for (QQuickItem *child : item->childItems())
        if (QQuickItem *hit = findItem(child, name))
            return hit;
    return nullptr;
}

// Whether the item and every item above it are visible.
inline bool shown(QQuickItem *item)
{
    return item && item->isVisible();
}

// The Qt Quick views draw with the software renderer on the offscreen platform.
#define QUILLET_QUICK_TEST_MAIN(TestObject)                                                        \
    int main(int argc, char **argv)                                                                \
    {                                                                                              \
        TestEnv::prepare();                                                                        \
        qputenv("QT_QUICK_BACKEND", "software");                                                   \
        QApplication app(argc, argv);                                                              \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
