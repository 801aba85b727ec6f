// What a second start does to the running instance: nothing over a window of ours; without a tray
// host, the status menu at the pointer (and a word at launch about where the menu went).
#include "launch/AppDelegate.h"
#include "launch/Menus.h"
#include "launch/StatusMenu.h"

#include "app/ChromeViews.h"
#include "app/Toast.h"
#include "platform/Preferences.h"
#include "platform/fake/FakeScreenSource.h"

#include "TestEnv.h"

#include <QDir>
#include <QMenu>

namespace {
QString toastText()
{
    QWidget *panel = Toast::current();
    auto *label = panel ? panel->findChild<GlassLabel *>() : nullptr;
    return label ? label->label()->text() : QString();
}
} // namespace

class TestSecondStart : public QObject
{
    Q_OBJECT

    std::unique_ptr<AppDelegate> launch(bool tray)
    {
        auto fake = std::make_shared<FakeScreenSource>();
        fake->screenList = {{11, "A", QRect(0, 0, 800, 600), 1.0}};
        auto delegate = std::make_unique<AppDelegate>(QStringList{"quillet"}, fake);
        delegate->trayAvailable = [tray] { return tray; };
        delegate->showWelcome = [] {};
        delegate->applicationDidFinishLaunching();
        return delegate;
    }

private slots:
    void init()
    {
        if (QWidget *t = Toast::current())
            t->close();
        // A new desktop session: the word about the missing tray has not been said.
        QDir runtime(qEnvironmentVariable("XDG_RUNTIME_DIR"));
        for (const QString &mark : runtime.entryList({QStringLiteral("quillet-no-tray-*")}, QDir::Files))
            runtime.remove(mark);
    }

    void overAVisibleWindowNothingHappens_data()
    {
        QTest::addColumn<bool>("tray");
        QTest::newRow("with a tray") << true;
        QTest::newRow("without a tray") << false;
    }
    void overAVisibleWindowNothingHappens()
    {
        QFETCH(bool, tray);
        auto delegate = launch(tray);
        QWidget window; // an alert, the welcome or the settings window
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        delegate->handleArguments({"quillet"});
        QVERIFY(!toastText().startsWith("Nothing captured yet")); // what openApp would say
        QVERIFY(!delegate->menus()->statusMenu().menu()->isVisible());
    }

    void withoutATrayTheMenuComesToThePointer()
    {
        auto delegate = launch(false);
        QTRY_VERIFY2(toastText().contains("open Quillet™ again to see its menu"), qPrintable(toastText()));
        QVERIFY(toastText().contains("Ctrl+Shift+2"));
        QMenu *menu = delegate->menus()->statusMenu().menu();
        QVERIFY(!menu->isVisible());
        delegate->handleArguments({"quillet"});
        QTRY_VERIFY(menu->isVisible());
        menu->close();
    }

    // The word about the missing tray waits until no window of ours is shown (it would cover a
    // welcome or crash window), and comes once in a desktop session.
    void theNoTrayWordComesOncePerSession()
    {
        QWidget window; // the welcome window, say
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto first = launch(false);
        QTest::qWait(1500);
        QCOMPARE(toastText(), QString());
        window.close();
        QTRY_VERIFY2(toastText().startsWith("Quillet™ has no tray icon on this desktop."), qPrintable(toastText()));
        Toast::current()->close();
        first.reset();
        auto second = launch(false);
        QTest::qWait(1500);
        QCOMPARE(toastText(), QString());
    }

    // The welcome window also comes when pasting into other applications cannot work.
    void welcomeWhenKeysCannotBeSynthesized_data()
    {
        QTest::addColumn<bool>("keys");
        QTest::addColumn<int>("welcomes");
        QTest::newRow("keys can be synthesized") << true << 0;
        QTest::newRow("no XTest") << false << 1;
    }
    void welcomeWhenKeysCannotBeSynthesized()
    {
        QFETCH(bool, keys);
        QFETCH(int, welcomes);
        Preferences::shared().setValue("onboarding.done", true);
        auto fake = std::make_shared<FakeScreenSource>();
        fake->screenList = {{11, "A", QRect(0, 0, 800, 600), 1.0}};
        AppDelegate delegate(QStringList{"quillet"}, fake);
        delegate.trayAvailable = [] { return true; };
        delegate.screenCaptureAllowed = [] { return true; };
        delegate.keysCanBeSynthesized = [keys] { return keys; };
        int shown = 0;
        delegate.showWelcome = [&shown] { ++shown; };
        delegate.applicationDidFinishLaunching();
        QCOMPARE(shown, welcomes);
        Preferences::shared().remove("onboarding.done");
    }

    void withATrayASecondStartOpensTheApp()
    {
        auto delegate = launch(true);
        QCOMPARE(toastText(), QString()); // nothing to say at launch
        delegate->handleArguments({"quillet"});
        QVERIFY(toastText().startsWith("Nothing captured yet."));
        QVERIFY(!delegate->menus()->statusMenu().menu()->isVisible());
    }
};

QUILLET_TEST_MAIN(TestSecondStart)
#include "tst_secondstart.moc"
