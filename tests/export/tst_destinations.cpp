#include "TestEnv.h"

#include "export/AppChooser.h"
#include "export/DestinationChanges.h"
#include "export/Destinations.h"
#include "export/SendButton.h"
#include "platform/fake/FakeAppRegistry.h"
#include "platform/KeyTable.h"
#include "platform/Preferences.h"

#include <QPushButton>
#include <QLineEdit>
#include <QJsonArray>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QTimer>

namespace {
const RunningApp firefox{9, 1234, "Firefox Web Browser", "org.mozilla.firefox"};

void setSendTo(const QString &value)
{
    Preferences::shared().setValue("send.to", value);
}

void setExtras(const QStringList &ids)
{
    Preferences::shared().setValue("send.extraApps", QJsonArray::fromStringList(ids));
}

// The menu as lines: separators "-", disabled items "[title]", marked items with "*" in front
// (and in bold).
QStringList menuLines(QMenu *menu)
{
    QStringList lines;
    for (QAction *a : menu->actions()) {
        if (a->isSeparator())
            lines << QStringLiteral("-");
        else if (!a->isEnabled())
            lines << "[" + a->text() + "]";
        else
            lines << (a->isChecked() && a->font().bold() ? "*" : a->isChecked() || a->font().bold() ? "?" : "") + a->text();
    }
    return lines;
}

QAction *item(QMenu *menu, const QString &text)
{
    for (QAction *a : menu->actions()) {
        if (a->text() == text)
            return a;
    }
    return nullptr;
}
} // namespace

class TestDestinations : public QObject
{
    Q_OBJECT
    std::shared_ptr<FakeAppRegistry> apps;

private slots:
    void init()
    {
        apps = std::make_shared<FakeAppRegistry>();
        AppRegistry::setShared(apps);
        apps->add("org.mozilla.firefox", "Firefox Web Browser");
        apps->add("org.gnome.Terminal", "Terminal", {"TerminalEmulator"});
        apps->add("org.kde.konsole", "Konsole", {"TerminalEmulator"}); // same row as Terminal
        apps->add("slack", "Slack");
        apps->add("code", "Visual Studio Code");
        apps->add("org.example.Editor", "Editor");
        apps->add("org.example.Shell", "Shell", {"TerminalEmulator"});
        Preferences::shared().remove("send.to");
        Preferences::shared().remove("send.extraApps");
    }

    void destinationFromStoredText_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("withPrevious");
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("id");
        QTest::newRow("clipboard") << "clipboard" << true << "clipboard" << "";
        QTest::newRow("previous") << "previous" << true << "previous" << "org.mozilla.firefox";
        QTest::newRow("previous, none") << "previous" << false << "previous" << "";
        QTest::newRow("empty is previous") << "" << true << "previous" << "org.mozilla.firefox";
        QTest::newRow("installed") << "code" << false << "code" << "code";
        QTest::newRow("gone") << "com.example.Gone" << true << "com.example.Gone" << "";
    }
    void destinationFromStoredText()
    {
        QFETCH(QString, stored);
        QFETCH(bool, withPrevious);
        QFETCH(QString, form);
        QFETCH(QString, id);
        const Destination destination(stored);
        QCOMPARE(destination.stored(), form);
        QCOMPARE(destination.bundleID(withPrevious ? std::optional(firefox) : std::nullopt).value_or(QString()), id);
    }

    void previousWithoutAnEntryKeepsItsOwnName()
    {
        const RunningApp xterm{4, 55, "XTerm", "xterm"};
        QCOMPARE(Destination::previous().bundleID(xterm), std::optional<QString>("xterm"));
        QCOMPARE(Destinations::actionTitle(xterm), QStringLiteral("paste into XTerm"));
        QCOMPARE(Destinations::menuTitle(Destination::previous(), xterm), QStringLiteral("The app you were in (XTerm)"));
        QCOMPARE(Destinations::menuTitle(Destination::previous(), std::nullopt), QStringLiteral("The app you were in"));
    }

    void listedApps()
    {
        // Firefox is not suggested; Konsole loses to Terminal in their row; Slack is suggested and
        // added, so it stays in its suggested place; a gone extra is dropped.
        setExtras({"org.example.Editor", "slack", "com.example.Gone", "org.mozilla.firefox", "org.example.Editor"});
        QCOMPARE(Destinations::listedApps(),
                 (QStringList{"org.gnome.Terminal", "slack", "code", "org.example.Editor", "org.mozilla.firefox"}));
        apps->apps.removeFirst(); // no firefox
        apps->apps.removeFirst(); // no GNOME Terminal: Konsole stands for the row
        QCOMPARE(Destinations::listedApps().mid(0, 2), (QStringList{"org.kde.konsole", "slack"}));
    }

    void tipFollowsTheDestination_data()
    {
        QTest::addColumn<QString>("sendTo"); // "-": unset
        QTest::addColumn<bool>("withPrevious");
        QTest::addColumn<QString>("tip");
        const QString end = QStringLiteral(". Click to choose where it goes");
        QTest::newRow("unset") << "-" << true << "Ctrl+Return: paste into Firefox Web Browser" + end;
        QTest::newRow("unset, no previous") << "-" << false << "Ctrl+Return: copy only" + end;
        QTest::newRow("clipboard") << "clipboard" << true << "Ctrl+Return: copy only" + end;
        QTest::newRow("app") << "org.gnome.Terminal" << true << "Ctrl+Return: paste into Terminal" + end;
        QTest::newRow("gone app") << "com.example.Gone" << true << "Ctrl+Return: copy only" + end;
    }
    void tipFollowsTheDestination()
    {
        QFETCH(QString, sendTo);
        QFETCH(bool, withPrevious);
        QFETCH(QString, tip);
        if (sendTo != "-")
            setSendTo(sendTo);
        SendButton button;
        button.previous = [withPrevious]() -> std::optional<RunningApp> {
            return withPrevious ? std::optional(firefox) : std::nullopt;
        };
        button.refresh();
        QCOMPARE(button.tip(), tip);
        // The toolbar's bubble shows the tip; a tool tip of the button's own would be a second one.
        QCOMPARE(button.toolTip(), QString());
        QCOMPARE(button.accessibleDescription(), tip);
        QCOMPARE(button.text(), QStringLiteral("Ctrl+Return"));
    }

    void menuOrderAndMarks()
    {
        setExtras({"org.example.Shell", "org.example.Editor"});
        setSendTo("code");
        SendButton button;
        button.previous = [] { return std::optional(firefox); };
        button.menu()->addAction("left over");
        button.rebuildMenu();
        QCOMPARE(menuLines(button.menu()), (QStringList{
                                               "Send Now",
                                               "-",
                                               "[Ctrl+Return sends to]",
                                               "Clipboard only",
                                               "The app you were in (Firefox Web Browser)",
                                               "-",
                                               "Terminal  (pastes with Ctrl+Shift+V)",
                                               "Slack",
                                               "*Visual Studio Code",
                                               "Shell  (pastes with Ctrl+Shift+V)",
                                               "Editor",
                                               "-",
                                               "Other App…",
                                           }));
        QCOMPARE(item(button.menu(), "Send Now")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Return));

        setSendTo("com.example.Gone"); // marks nothing
        button.rebuildMenu();
        QVERIFY(!menuLines(button.menu()).join(' ').contains('*'));
        setSendTo("clipboard");
        button.rebuildMenu();
        QVERIFY(item(button.menu(), "Clipboard only")->isChecked());
    }

    void pickingStoresAndAnnounces()
    {
        SendButton button;
        SendButton other; // a second button (another canvas) follows as well
        QSignalSpy changes(&DestinationChanges::shared(), &DestinationChanges::changed);
        button.rebuildMenu();
        item(button.menu(), "Slack")->trigger();
        QCOMPARE(Preferences::shared().stringValue("send.to"), std::optional<QString>("slack"));
        QCOMPARE(changes.size(), 1);
        QCOMPARE(other.tip(), QStringLiteral("Ctrl+Return: paste into Slack. Click to choose where it goes"));
        button.rebuildMenu();
        item(button.menu(), "The app you were in")->trigger();
        QCOMPARE(Preferences::shared().stringValue("send.to"), std::optional<QString>("previous"));
        QCOMPARE(other.tip(), QStringLiteral("Ctrl+Return: copy only. Click to choose where it goes"));
    }

    void otherApp_data()
    {
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<QString>("sendTo");
        QTest::addColumn<QStringList>("extras");
        QTest::newRow("suggested app") << QStringList{"code"} << "code" << QStringList{};
        QTest::newRow("same app twice") << QStringList{"org.example.Editor", "org.example.Editor"}
                                        << "org.example.Editor" << QStringList{"org.example.Editor"};
        QTest::newRow("not installed") << QStringList{"stranger"} << "-" << QStringList{};
    }
    void otherApp()
    {
        QFETCH(QStringList, chosen);
        QFETCH(QString, sendTo);
        QFETCH(QStringList, extras);
        SendButton button;
        QSignalSpy changes(&DestinationChanges::shared(), &DestinationChanges::changed);
        for (const QString &id : chosen)
            button.otherAppChosen(id);
        QCOMPARE(Preferences::shared().stringValue("send.to").value_or("-"), sendTo);
        QCOMPARE(Preferences::shared().stringList("send.extraApps").value_or(QStringList()), extras);
        QCOMPARE(changes.size(), sendTo == "-" ? 0 : chosen.size());
    }

    // "Other App…" opens the chooser over the button's window; typing and Return choose.
    void otherAppChooser()
    {
        QWidget window;
        auto *button = new SendButton(&window);
        window.show();
        button->otherApp();
        auto *chooser = window.findChild<AppChooser *>();
        QVERIFY(chooser);
        QTRY_VERIFY(chooser->isVisible());
        QCOMPARE(chooser->windowModality(), Qt::WindowModal);
        QCOMPARE(chooser->confirmButton()->text(), QStringLiteral("Paste Into This App"));
        QCOMPARE(chooser->findChild<QLabel *>("message")->text(),
                 QStringLiteral("Ctrl+Return will paste the picture into the app you choose."));
        QTest::keyClicks(chooser->search(), "edit");
        QCOMPARE(chooser->shownNames(), QStringList{"Editor"});
        QTest::keyClick(chooser->search(), Qt::Key_Return);
        QCOMPARE(Preferences::shared().stringValue("send.to"), std::optional<QString>("org.example.Editor"));
        QCOMPARE(Preferences::shared().stringList("send.extraApps"), std::optional<QStringList>(QStringList{"org.example.Editor"}));
        QTRY_VERIFY(!window.findChild<AppChooser *>());
    }

    void keysWhileTheMenuIsOpen()
    {
        int sent = 0;
        QList<int> offered;
        bool captureTakesIt = false;
        SendButton::shortcutKeyHook = [&](int keyCode, quint64) {
            offered << keyCode;
            return captureTakesIt;
        };
        SendButton button;
        button.onSend = [&sent] { ++sent; };
        button.show();
        QTimer::singleShot(0, &button, [&] {
            QTRY_VERIFY(button.menu()->isVisible());
            QTest::keyClick(button.menu(), Qt::Key_Return, Qt::ControlModifier);
        });
        button.showMenu();
        QCOMPARE(sent, 1);
        QCOMPARE(offered, QList<int>{KeyCode::Return});
        QVERIFY(!button.menu()->isVisible());

        captureTakesIt = true;
        QTimer::singleShot(0, &button, [&] {
            QTRY_VERIFY(button.menu()->isVisible());
            QTest::keyClick(button.menu(), Qt::Key_Return, Qt::ControlModifier);
            button.menu()->close();
        });
        button.showMenu();
        QCOMPARE(sent, 1);
        SendButton::shortcutKeyHook = nullptr;
    }
};

QUILLET_TEST_MAIN(TestDestinations)
#include "tst_destinations.moc"
