#include "TestEnv.h"

#include "app/HotKeyCenter.h"
#include "launch/Menus.h"
#include "launch/StatusMenu.h"
#include "platform/fake/FakeKeyGrabber.h"
#include "platform/fake/MemoryShortcutStore.h"

#include <QMenu>
#include <QProcess>
#include <QSystemTrayIcon>

#include <memory>

// The tray icon under a real X server, with trayer as the tray host (an XEmbed tray).
class TestTrayIcon : public QObject
{
    Q_OBJECT

    QProcess trayer;
    FakeKeyGrabber grabber;
    MemoryShortcutStore store;

    void startTrayHost()
    {
        trayer.setProgram(QStringLiteral("trayer"));
        trayer.setArguments({"--edge", "top", "--align", "right", "--widthtype", "request",
                             "--height", "24", "--SetDockType", "true", "--expand", "true"});
        trayer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        trayer.start();
        QVERIFY2(trayer.waitForStarted(5000), qPrintable(trayer.errorString()));
        QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 10000);
    }

private slots:
    void initTestCase()
    {
        // No status-notifier host here: the icon goes to the XEmbed tray.
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
    }

    void cleanupTestCase()
    {
        if (trayer.state() != QProcess::NotRunning) {
            trayer.terminate();
            if (!trayer.waitForFinished(3000)) {
                trayer.kill();
                trayer.waitForFinished(3000);
            }
        }
    }

    void iconWaitsForATrayHostThatStartsLater()
    {
        // At login the panel may come up after the application.
        HotKeyCenter hotKeys(grabber, store);
        Menus menus(hotKeys, MenuActions(), {});
        QSystemTrayIcon *icon = menus.statusMenu().statusItem();
        QTest::qWait(200);
        QVERIFY(icon->geometry().isEmpty());
        startTrayHost();
        QTRY_VERIFY_WITH_TIMEOUT(!icon->geometry().isEmpty(), 10000);
    }

    void iconIsEmbeddedAndOpensItsMenu()
    {
        QVERIFY(QSystemTrayIcon::isSystemTrayAvailable());
        HotKeyCenter hotKeys(grabber, store);
        QList<bool> opened;
        MenuActions actions;
        actions.statusMenuOpen = [&](bool open) { opened << open; };
        Menus menus(hotKeys, actions, {});
        QSystemTrayIcon *icon = menus.statusMenu().statusItem();
        QVERIFY(icon->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!icon->geometry().isEmpty(), 10000);
        QVERIFY(icon->geometry().width() >= 16);

        // A click opens the menu, as the context menu does.
        emit icon->activated(QSystemTrayIcon::Trigger);
        QMenu *menu = menus.statusMenu().menu();
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(opened, QList<bool>({true}));
        menu->close();
        QTRY_VERIFY(!menu->isVisible());
        QCOMPARE(opened, QList<bool>({true, false}));
    }
};

QUILLET_TEST_MAIN(TestTrayIcon)
#include "tst_trayicon_x11.moc"
