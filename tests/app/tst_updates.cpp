#include "TestEnv.h"

#include "app/ActivityLog.h"
#include "app/Updates.h"
#include "platform/BuildInfo.h"
#include "platform/Preferences.h"

#include <QWidget>

namespace {
// Stands in for the updater: counts what the agent asks of it.
class FakeUpdater : public Updater
{
public:
    bool automaticallyChecksForUpdates() const override { return true; }
    void checkForUpdatesInBackground() override { ++backgroundChecks; }
    void checkForUpdates() override { ++userChecks; }
    int backgroundChecks = 0;
    int userChecks = 0;
};

QStringList logMessages()
{
    QFile file(ActivityLog::logPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList messages;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        messages.append(line.section(QLatin1Char(' '), 1));
    return messages;
}

void setBuild(const QString &version, const QString &feed, const QString &key)
{
    BuildInfo::overrideValue(QStringLiteral("CFBundleShortVersionString"), version);
    BuildInfo::overrideValue(QStringLiteral("CFBundleVersion"), QStringLiteral("57"));
    BuildInfo::overrideValue(QStringLiteral("SUFeedURL"), feed);
    BuildInfo::overrideValue(QStringLiteral("SUPublicEDKey"), key);
}

const QString feed = QStringLiteral("https://example.org/appcast.xml");
const QString key = QStringLiteral("MCowBQYDK2VwAyEAGb9ECWmEzf6FQbrBZ9w7lshQhqowtrbLDFw4rXAxZuE=");
} // namespace

class TestUpdates : public QObject
{
    Q_OBJECT

    struct Agent
    {
        Updates updates;
        FakeUpdater *updater = nullptr;
        int factoryCalls = 0;
        QList<QPair<QString, double>> toasts;
        bool session = false;
        bool titledWindow = false;
        int installs = 0;

        Agent()
        {
            updates.makeUpdater = [this](Updates &) {
                ++factoryCalls;
                auto made = std::make_unique<FakeUpdater>();
                updater = made.get();
                return std::unique_ptr<Updater>(std::move(made));
            };
            updates.showToast = [this](const QString &text, double s) { toasts.append({text, s}); };
            updates.captureSessionExists = [this] { return session; };
            updates.titledWindowVisible = [this] { return titledWindow; };
        }
        std::function<void()> installCallback()
        {
            return [this] { ++installs; };
        }
    };

private slots:
    void init()
    {
        ActivityLog::closeForTesting();
        QFile::remove(ActivityLog::logPath());
        Preferences::shared().remove(QStringLiteral("updates.lastVersion"));
        setBuild(QStringLiteral("1.4"), QString(), QString());
    }

    void versionChange_data()
    {
        QTest::addColumn<QString>("stored"); // "-" for a first launch
        QTest::addColumn<QString>("current");
        QTest::addColumn<bool>("announced");
        QTest::newRow("1.9 to 1.10") << "1.9" << "1.10" << true;
        QTest::newRow("downgrade") << "1.10" << "1.9" << false;
        QTest::newRow("same version") << "1.4" << "1.4" << false;
        QTest::newRow("first launch") << "-" << "1.4" << false;
    }
    void versionChange()
    {
        QFETCH(QString, stored);
        QFETCH(QString, current);
        QFETCH(bool, announced);
        if (stored != QLatin1String("-"))
            Preferences::shared().setValue(QStringLiteral("updates.lastVersion"), stored);
        setBuild(current, QString(), QString());
        Agent agent;
        agent.updates.start();

        QCOMPARE(Preferences::shared().stringValue(QStringLiteral("updates.lastVersion")), current);
        QCOMPARE(logMessages().contains(QStringLiteral("update: now running %1, was %2").arg(current, stored)),
                 announced);
        QTest::qWait(1000);
        QVERIFY(agent.toasts.isEmpty()); // not before 1.5 s
        if (announced) {
            QTRY_COMPARE_WITH_TIMEOUT(agent.toasts.size(), 1, 3000);
            QCOMPARE(agent.toasts.first().first, QStringLiteral("Quillet™ updated to ") + current);
            QCOMPARE(agent.toasts.first().second, 0.9);
        } else {
            QTest::qWait(800);
            QVERIFY(agent.toasts.isEmpty());
            QVERIFY(logMessages().isEmpty());
        }
    }

    void updaterOnlyInReleaseBuilds_data()
    {
        QTest::addColumn<QString>("feedUrl");
        QTest::addColumn<QString>("publicKey");
        QTest::addColumn<bool>("made");
        QTest::newRow("development build") << "" << key << false;
        QTest::newRow("no signing key") << feed << "" << false;
        QTest::newRow("release build") << feed << key << true;
    }
    void updaterOnlyInReleaseBuilds()
    {
        QFETCH(QString, feedUrl);
        QFETCH(QString, publicKey);
        QFETCH(bool, made);
        Preferences::shared().setValue(QStringLiteral("updates.lastVersion"), QStringLiteral("1.3"));
        setBuild(QStringLiteral("1.4"), feedUrl, publicKey);
        Agent agent;
        agent.updates.start();
        QCOMPARE(agent.factoryCalls, made ? 1 : 0);
        QCOMPARE(agent.updates.controller() != nullptr, made);
        if (made)
            QCOMPARE(agent.updater->backgroundChecks, 1);
        // Every build notes a version change.
        QVERIFY(logMessages().contains(QStringLiteral("update: now running 1.4, was 1.3")));
        agent.updates.checkForUpdates();
        if (made)
            QCOMPARE(agent.updater->userChecks, 1);
    }

    void downloadedUpdateWaitsForIdle()
    {
        Agent agent;
        UpdateItem item;
        item.displayVersion = QStringLiteral("1.10");
        item.buildVersion = QStringLiteral("58");
        agent.updates.updaterFoundValidUpdate(item);
        QVERIFY(agent.updates.updaterWillInstallOnQuit(item, agent.installCallback()));
        QVERIFY(agent.updates.idleTimer());
        QCOMPARE(agent.updates.idleTimer()->interval(), 15000);
        QCOMPARE(logMessages(), QStringList({QStringLiteral("update: found 1.10 (58)"),
                                             QStringLiteral("update: 1.10 (58) downloaded, installs when the app is idle or quits")}));

        // Ticks faster than the product's 15 s, so the test does not wait.
        agent.updates.idleTimer()->setInterval(20);
        agent.session = true;
        QTest::qWait(100);
        QCOMPARE(agent.installs, 0);
        agent.session = false;
        agent.titledWindow = true;
        QTest::qWait(100);
        QCOMPARE(agent.installs, 0);
        agent.titledWindow = false;
        QTRY_COMPARE(agent.installs, 1);
        QTRY_VERIFY(!agent.updates.idleTimer());
        QCOMPARE(logMessages().last(), QStringLiteral("update: installing now, the app is idle"));
        QVERIFY(!agent.updates.installNowIfReady());
        QTest::qWait(100);
        QCOMPARE(agent.installs, 1);
    }

    void restartInstallsAWaitingUpdate()
    {
        Agent agent;
        QVERIFY(!agent.updates.installNowIfReady());
        UpdateItem item;
        item.displayVersion = QStringLiteral("1.10");
        item.buildVersion = QStringLiteral("58");
        agent.updates.updaterWillInstallOnQuit(item, [] {}); // replaced by the next one
        agent.updates.updaterWillInstallOnQuit(item, agent.installCallback());
        agent.session = true;
        QVERIFY(agent.updates.installNowIfReady());
        QCOMPARE(agent.installs, 1);
        QVERIFY(!agent.updates.idleTimer());
        QCOMPARE(logMessages().last(), QStringLiteral("update: installing now, a restart was asked for"));
        QVERIFY(!agent.updates.installNowIfReady());
    }

    void titledWindowsOfTheApplication()
    {
        Updates updates;
        QVERIFY(!updates.titledWindowVisible());
        QWidget frameless(nullptr, Qt::FramelessWindowHint);
        frameless.show();
        QWidget tip(nullptr, Qt::ToolTip);
        tip.show();
        QWidget panel(nullptr, Qt::Tool | Qt::FramelessWindowHint);
        panel.show();
        QVERIFY(!updates.titledWindowVisible());
        QWidget titled;
        titled.setWindowTitle(QStringLiteral("Settings"));
        titled.show();
        QVERIFY(updates.titledWindowVisible());
        titled.hide();
        QVERIFY(!updates.titledWindowVisible());
    }

    void aborts_data()
    {
        QTest::addColumn<QString>("domain");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("logged"); // empty: nothing
        const QString ours = Updater::errorDomain;
        QTest::newRow("no update is silent") << ours << 1001 << "";
        QTest::newRow("bad signature") << ours << 3001
                                       << "update: stopped, app.quillet.updater 3001 why";
        QTest::newRow("1001 of another domain") << "network" << 1001 << "update: stopped, network 1001 why";
    }
    void aborts()
    {
        QFETCH(QString, domain);
        QFETCH(int, code);
        QFETCH(QString, logged);
        Agent agent;
        agent.updates.updaterAborted({domain, code, QStringLiteral("why")});
        QCOMPARE(logMessages(), logged.isEmpty() ? QStringList() : QStringList(logged));
        QVERIFY(agent.updates.packageManagerNote().isEmpty());
    }

    void systemInstallNamesThePackageManager()
    {
        Agent agent;
        QSignalSpy changed(&agent.updates, &Updates::packageManagerNoteChanged);
        UpdateItem item;
        item.displayVersion = QStringLiteral("1.10");
        item.buildVersion = QStringLiteral("58");
        agent.updates.updaterFoundValidUpdate(item);
        agent.updates.updaterAborted({Updater::errorDomain, Updater::installedBySystem,
                                      QStringLiteral("1.10 comes from the package manager")});
        QCOMPARE(changed.size(), 1);
        QCOMPARE(agent.updates.packageManagerNote(),
                 QStringLiteral("Quillet™ 1.10 is available from the package manager"));
        QCOMPARE(logMessages().last(), QStringLiteral("update: 1.10 comes from the package manager"));
    }
};

QUILLET_TEST_MAIN(TestUpdates)
#include "tst_updates.moc"
