#pragma once
#include "app/HotKeyCenter.h"
#include "app/ShortcutTakeover.h"
#include "platform/KeyTable.h"
#include "platform/Preferences.h"
#include "platform/fake/FakeDialogs.h"
#include "platform/fake/FakeKeyGrabber.h"
#include "platform/fake/FakeLoginItem.h"
#include "platform/fake/FakePermissions.h"
#include "platform/fake/FakeScheduler.h"
#include "platform/fake/MemoryShortcutStore.h"
#include "settings/SettingsWindowController.h"
#include "settings/ShortcutRecorder.h"

#include "TestEnv.h"

#include <QQuickView>

// A settings window over fakes: key grabs, the desktop's shortcut table (with one screenshot
// shortcut on Ctrl+Shift+3), time, permissions, login item and dialogs.
struct SettingsFixture {
    FakeKeyGrabber grabber;
    MemoryShortcutStore store{{{28, QStringLiteral("Save picture of screen as a file"),
                                KeyCode::Digit3, EventFlag::Command | EventFlag::Shift}}};
    FakeScheduler scheduler;
    std::shared_ptr<FakePermissions> permissions = std::make_shared<FakePermissions>();
    std::shared_ptr<FakeLoginItem> login = std::make_shared<FakeLoginItem>();
    std::shared_ptr<FakeDialogs> dialogs = std::make_shared<FakeDialogs>();
    std::unique_ptr<HotKeyCenter> center;
    std::unique_ptr<SettingsWindowController> controller;
    QList<CaptureAction> offered;
    QStringList toasts;
    int languageQuestions = 0;

    SettingsFixture()
    {
        Preferences &prefs = Preferences::shared();
        for (const QString &key : {QStringLiteral("settings.section"), QStringLiteral("reports.contact"),
                                   QStringLiteral("shortcuts.takenFromSystem"), QStringLiteral("dock.hidden")})
            prefs.remove(key);
        for (CaptureAction a : CaptureActions::all)
            prefs.remove(HotKeyCenter::preferenceKey(a));
        GlobalKeyGrabber::setShared(&grabber);
        Permissions::setShared(permissions);
        LoginItem::setShared(login);
        Dialogs::setShared(dialogs);
        SettingsWindowController::offerTakeOverHook = [this](CaptureAction a, HotKeyCenter &) {
            offered << a;
            return false;
        };
        SettingsWindowController::toastHook = [this](const QString &text, double) { toasts << text; };
        SettingsWindowController::supportedLanguages = [this](auto done) {
            ++languageQuestions;
            done({});
        };
        center = std::make_unique<HotKeyCenter>(grabber, store);
        center->registerAll();
    }
    ~SettingsFixture()
    {
        controller.reset();
        center.reset();
        GlobalKeyGrabber::setShared(nullptr);
    }
    SettingsWindowController &make()
    {
        controller = std::make_unique<SettingsWindowController>(*center, scheduler);
        return *controller;
    }
    SettingsModel &model() { return *controller->model(); }
    ShortcutRecorder &recorder(CaptureAction a) { return *controller->recorder(a); }
};

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
