#include "TestEnv.h"

#include "export/AppChooser.h"
#include "platform/linux/XdgAppRegistry.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>

namespace {
void write(const QString &path, const QByteArray &text)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

QByteArray entry(const QByteArray &name, const QByteArray &extra = {})
{
    return "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=true\n" + extra;
}
} // namespace

class TestAppChooser : public QObject
{
    Q_OBJECT

    QTemporaryDir system; // a data folder of XDG_DATA_DIRS besides the user's own
    QString iconFile;
    std::unique_ptr<XdgAppRegistry> registry;

private slots:
    void initTestCase()
    {
        const QString home = qEnvironmentVariable("XDG_DATA_HOME") + "/applications";
        const QString extra = system.filePath("share/applications");
        qputenv("XDG_DATA_DIRS", (system.filePath("share") + ":/nonexistent").toLocal8Bit());
        iconFile = system.filePath("zeta.png");
        QImage icon(16, 16, QImage::Format_ARGB32);
        icon.fill(Qt::red);
        QVERIFY(icon.save(iconFile));

        write(home + "/org.example.Zeta.desktop", entry("Zeta Viewer", "Icon=" + iconFile.toUtf8() + "\n"));
        // The user's own entry stands in for the system's of the same id.
        write(home + "/org.example.Shadowed.desktop", entry("Mine"));
        write(extra + "/org.example.Shadowed.desktop", entry("Theirs"));
        write(extra + "/org.example.alpha.desktop", entry("alpha editor"));
        write(extra + "/vendor/beta.desktop", entry("Beta 10"));
        write(extra + "/vendor/beta2.desktop", entry("Beta 9"));
        write(extra + "/helper.desktop", entry("Helper", "NoDisplay=true\n"));
        write(extra + "/gone.desktop", entry("Gone", "Hidden=true\n"));
        write(extra + "/link.desktop", "[Desktop Entry]\nType=Link\nName=Link\nURL=https://example.org\n");
        registry = std::make_unique<XdgAppRegistry>(XdgAppRegistry::standardFolders(), "C");
    }

    // Every data folder's applications by name as people sort them, without the hidden ones.
    void listsTheApplicationsOfEveryDataFolder()
    {
        const QList<InstalledApp> apps = AppChooser::choices(*registry);
        QStringList names;
        for (const InstalledApp &app : apps)
            names << app.name;
        QCOMPARE(names, (QStringList{"alpha editor", "Beta 9", "Beta 10", "Mine", "Zeta Viewer"}));
        QCOMPARE(apps.at(2).id, QStringLiteral("vendor-beta"));

        AppChooser chooser(nullptr, registry.get());
        QCOMPARE(chooser.shownNames(), names);
        const QModelIndex zeta = chooser.list()->model()->index(4, 0);
        QVERIFY(!zeta.data(Qt::DecorationRole).value<QIcon>().isNull());
    }

    void typingNarrowsTheList_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("part of a name") << "VIEW" << QStringList{"Zeta Viewer"};
        QTest::newRow("several") << "beta" << QStringList{"Beta 9", "Beta 10"};
        QTest::newRow("part of an id") << "example.alpha" << QStringList{"alpha editor"};
        QTest::newRow("a hidden one") << "helper" << QStringList{};
        QTest::newRow("nothing") << "qqq" << QStringList{};
    }
    void typingNarrowsTheList()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, shown);
        AppChooser chooser(nullptr, registry.get());
        QString chosen;
        chooser.onChoose = [&chosen](const QString &id) { chosen = id; };
        chooser.show();
        QVERIFY(!chooser.confirmButton()->isEnabled()); // nothing chosen yet
        QTest::keyClicks(chooser.search(), typed);
        QCOMPARE(chooser.shownNames(), shown);
        // The first one left is ready for Return.
        QCOMPARE(chooser.confirmButton()->isEnabled(), !shown.isEmpty());
        QTest::keyClick(chooser.search(), Qt::Key_Return);
        QCOMPARE(chosen.isEmpty(), shown.isEmpty());
        QCOMPARE(chooser.isVisible(), shown.isEmpty());
    }

    void arrowKeysInTheFieldMoveThroughTheList()
    {
        AppChooser chooser(nullptr, registry.get());
        QString chosen;
        chooser.onChoose = [&chosen](const QString &id) { chosen = id; };
        chooser.show();
        QTest::keyClicks(chooser.search(), "e"); // every one has an e
        QCOMPARE(chooser.shownNames().size(), 5);
        QTest::keyClick(chooser.search(), Qt::Key_Down);
        QTest::keyClick(chooser.search(), Qt::Key_Down);
        QCOMPARE(chooser.search()->text(), QStringLiteral("e"));
        QTest::keyClick(chooser.search(), Qt::Key_Return);
        QCOMPARE(chosen, QStringLiteral("vendor-beta")); // alpha editor, Beta 9, then Beta 10
    }
};

QUILLET_TEST_MAIN(TestAppChooser)
#include "tst_appchooser.moc"
