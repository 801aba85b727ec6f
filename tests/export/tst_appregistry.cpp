#include "TestEnv.h"

#include "platform/DesktopEntry.h"
#include "platform/fake/FakeAppRegistry.h"
#include "platform/linux/XdgAppRegistry.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

namespace {
void write(const QString &path, const QByteArray &text)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

QByteArray app(const QByteArray &name, const QByteArray &extra = {})
{
    return "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=true\n" + extra;
}
} // namespace

class TestAppRegistry : public QObject
{
    Q_OBJECT
private slots:
    void localizedNames_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("name");
        QTest::newRow("language") << "de_AT.UTF-8" << "Bildschirmfoto";
        QTest::newRow("language and country first") << "de_DE.UTF-8" << "Bildschirmfoto (DE)";
        QTest::newRow("country before modifier") << "sr_RS@latin" << "Снимак";
        QTest::newRow("modifier") << "sr_ME@latin" << "Snimak";
        QTest::newRow("C") << "C.UTF-8" << "Screenshot";
        QTest::newRow("unknown language") << "fr_FR" << "Screenshot";
    }
    void localizedNames()
    {
        QFETCH(QString, locale);
        QFETCH(QString, name);
        const auto entry = DesktopEntry::parse("# comment\n\n[Desktop Entry]\nName=Screenshot\nName[de]=Bildschirmfoto\n"
                                               "Name[de_DE]=Bildschirmfoto (DE)\nName[sr@latin]=Snimak\n"
                                               "Name[sr_RS]=Снимак\n");
        QVERIFY(entry);
        QCOMPARE(entry->localized("Name", locale), name);
    }

    void valuesAndLists()
    {
        const auto entry = DesktopEntry::parse("[Desktop Entry]\r\nComment = two\\slines\\nhere \\\\ ok\r\n"
                                               "Categories=System;TerminalEmulator;;\n"
                                               "Keywords=a\\;b;c\nHidden=true\n[Other]\nName=x\n");
        QVERIFY(entry);
        QCOMPARE(entry->string("Comment"), QStringLiteral("two lines\nhere \\ ok"));
        QCOMPARE(entry->list("Categories"), (QStringList{"System", "TerminalEmulator"}));
        QCOMPARE(entry->list("Keywords"), (QStringList{"a;b", "c"}));
        QVERIFY(entry->boolean("Hidden"));
        QVERIFY(!entry->boolean("NoDisplay"));
        QCOMPARE(entry->raw("Other", "Name"), std::optional<QString>("x"));
    }

    void refused_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("line without =") << QByteArray("[Desktop Entry]\nName=a\njust words\n");
        QTest::newRow("key before a group") << QByteArray("Name=a\n[Desktop Entry]\n");
        QTest::newRow("group twice") << QByteArray("[Desktop Entry]\nName=a\n[Desktop Entry]\nName=b\n");
        QTest::newRow("bad key") << QByteArray("[Desktop Entry]\nNa me=a\n");
        QTest::newRow("bad locale") << QByteArray("[Desktop Entry]\nName[de=a\n");
        QTest::newRow("unclosed group") << QByteArray("[Desktop Entry\nName=a\n");
        QTest::newRow("not UTF-8") << QByteArray("[Desktop Entry]\nName=\xff\xfe\n");
        QTest::newRow("no main group") << QByteArray("[Other]\nName=a\n");
        QTest::newRow("2 MiB") << (QByteArray("[Desktop Entry]\nName=a\nComment=") + QByteArray(2 * 1024 * 1024, 'x'));
    }
    void refused()
    {
        QFETCH(QByteArray, data);
        QVERIFY(!DesktopEntry::parse(data));
    }

    void execSplitting_data()
    {
        QTest::addColumn<QByteArray>("exec"); // as written in the file
        QTest::addColumn<QStringList>("command");
        QTest::newRow("field codes dropped") << QByteArray("firefox %u --new %F") << QStringList{"firefox", "--new"};
        QTest::newRow("code inside an argument") << QByteArray("app --file=%f") << QStringList{"app", "--file="};
        QTest::newRow("percent") << QByteArray("app 100%%") << QStringList{"app", "100%"};
        QTest::newRow("quoted program") << QByteArray("\"/opt/My App/run\" -x") << QStringList{"/opt/My App/run", "-x"};
        QTest::newRow("escapes in quotes") << QByteArray("sh -c \"echo \\\\\"a b\\\\\" \\\\$HOME\"")
                                           << QStringList{"sh", "-c", "echo \"a b\" $HOME"};
        QTest::newRow("empty quoted argument") << QByteArray("app \"\" b") << QStringList{"app", "", "b"};
        QTest::newRow("spaces") << QByteArray("  app   a  ") << QStringList{"app", "a"};
        QTest::newRow("unterminated quote") << QByteArray("app \"a b") << QStringList{};
        QTest::newRow("only a field code") << QByteArray("%U") << QStringList{};
        QTest::newRow("empty") << QByteArray("") << QStringList{};
    }
    void execSplitting()
    {
        QFETCH(QByteArray, exec);
        QFETCH(QStringList, command);
        const auto entry = DesktopEntry::parse("[Desktop Entry]\nExec=" + exec + "\n");
        QVERIFY(entry);
        QCOMPARE(DesktopEntry::splitExec(entry->string("Exec")).value_or(QStringList()), command);
    }

    void scanOfFolders()
    {
        QTemporaryDir dir;
        const QString home = dir.filePath("home/applications");
        const QString system = dir.filePath("system/applications");
        write(home + "/shadowed.desktop", app("Mine"));
        write(system + "/shadowed.desktop", app("System's"));
        write(home + "/removed.desktop", app("Removed", "Hidden=true\n"));
        write(system + "/removed.desktop", app("Still here"));
        write(home + "/broken.desktop", "[Desktop Entry]\nnonsense\n");
        write(system + "/broken.desktop", app("Readable"));
        write(system + "/link.desktop", "[Desktop Entry]\nType=Link\nName=Site\nURL=https://example.org\n");
        write(system + "/kde4/org.kde.tool.desktop", app("Tool", "Name[de]=Werkzeug\n"));
        write(system + "/noname.desktop", "[Desktop Entry]\nType=Application\nExec=true\n");
        write(system + "/huge.desktop", app("Huge", "Comment=" + QByteArray(2 * 1024 * 1024, 'x') + "\n"));
        write(system + "/notes.txt", app("Not an entry"));

        XdgAppRegistry registry({home, system}, "de_DE.UTF-8");
        QCOMPARE(registry.find("shadowed")->name, QStringLiteral("Mine"));
        QVERIFY(!registry.find("removed"));
        QCOMPARE(registry.find("broken")->name, QStringLiteral("Readable"));
        QVERIFY(!registry.find("link"));
        QCOMPARE(registry.find("kde4-org.kde.tool")->name, QStringLiteral("Werkzeug"));
        QCOMPARE(registry.find("noname")->name, QStringLiteral("noname"));
        QVERIFY(!registry.find("huge"));
        QVERIFY(!registry.find("notes"));
        QStringList ids;
        for (const InstalledApp &a : registry.all())
            ids << a.id;
        QCOMPARE(ids, (QStringList{"broken", "kde4-org.kde.tool", "noname", "shadowed"}));
        QCOMPARE(registry.scans(), 1);
    }

    void iconsFromAFileOrTheTheme()
    {
        QTemporaryDir dir;
        QImage picture(32, 32, QImage::Format_ARGB32);
        picture.fill(Qt::red);
        QVERIFY(picture.save(dir.filePath("own.png")));
        InstalledApp app;
        app.icon = dir.filePath("own.png");
        QVERIFY(!AppRegistry::icon(app).isNull());
        app.icon = dir.filePath("missing.png");
        QVERIFY(AppRegistry::icon(app).isNull());
        app.icon.clear();
        QVERIFY(AppRegistry::icon(app).isNull());
    }

    void rescansWhenAFolderChanges()
    {
        QTemporaryDir dir;
        const QString home = dir.filePath("home/applications"); // missing at first
        const QString system = dir.filePath("system/applications");
        write(system + "/one.desktop", app("One"));
        XdgAppRegistry registry({home, system}, "C");
        QVERIFY(registry.find("one"));
        QVERIFY(registry.find("one"));
        QCOMPARE(registry.scans(), 1);

        write(home + "/two.desktop", app("Two"));
        QCOMPARE(registry.find("two")->name, QStringLiteral("Two"));
        write(system + "/sub/three.desktop", app("Three"));
        QVERIFY(registry.find("sub-three"));
        write(system + "/sub/four.desktop", app("Four")); // a change inside a subfolder only
        QVERIFY(registry.find("sub-four"));
        QVERIFY(QFile::remove(system + "/one.desktop"));
        QVERIFY(!registry.find("one"));
        QCOMPARE(registry.scans(), 5);
    }

    void idOfAChosenFile()
    {
        QTemporaryDir dir;
        const QString home = dir.filePath("home/applications");
        const QString system = dir.filePath("system/applications");
        write(system + "/vendor/editor.desktop", app("Editor"));
        write(system + "/gone.desktop", app("Gone", "Hidden=true\n"));
        write(dir.filePath("elsewhere/vendor-editor.desktop"), app("Copy"));
        write(dir.filePath("elsewhere/stranger.desktop"), app("Stranger"));
        XdgAppRegistry registry({home, system}, "C");
        QCOMPARE(registry.idForFile(system + "/vendor/editor.desktop"), std::optional<QString>("vendor-editor"));
        QCOMPARE(registry.idForFile(dir.filePath("elsewhere/vendor-editor.desktop")), std::optional<QString>("vendor-editor"));
        QVERIFY(!registry.idForFile(dir.filePath("elsewhere/stranger.desktop")));
        QVERIFY(!registry.idForFile(system + "/gone.desktop"));
        QVERIFY(!registry.idForFile(system + "/vendor"));
    }

    void launchStartsTheCommandWithoutAShell()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath("applications");
        const QString marker = dir.filePath("launched; $(rm -rf x)");
        write(folder + "/toucher.desktop", app("Toucher").replace("Exec=true", "Exec=touch \"" + marker.toUtf8() + "\" %U"));
        write(folder + "/broken.desktop", app("Broken").replace("Exec=true", "Exec=\"unterminated"));
        write(folder + "/missing.desktop", app("Missing").replace("Exec=true", "Exec=/nonexistent/program"));
        XdgAppRegistry registry({folder}, "C");

        QList<std::pair<QString, bool>> done;
        QList<qint64> pids;
        for (const char *id : {"toucher", "broken", "missing", "not-installed"})
            registry.launch(id, [&done, &pids, id](bool started, qint64 pid) {
                done << std::make_pair(QString(id), started);
                pids << pid;
            });
        QVERIFY(done.isEmpty()); // always afterwards, on the event loop
        QTRY_COMPARE(done.size(), 4);
        QVERIFY(pids[0] > 0); // the started process, for finding its windows
        QCOMPARE(pids.mid(1), (QList<qint64>{0, 0, 0}));
        QCOMPARE(done, (QList<std::pair<QString, bool>>{
                           {"toucher", true}, {"broken", false}, {"missing", false}, {"not-installed", false}}));
        QTRY_VERIFY(QFile::exists(marker));
    }

    void entryOfAWindow_data()
    {
        QTest::addColumn<QString>("instance");
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<QString>("id");
        QTest::newRow("desktop-file hint") << "navigator" << "firefox" << "org.mozilla.firefox.desktop" << "org.mozilla.firefox";
        QTest::newRow("hint in other case") << "x" << "y" << "ORG.MOZILLA.FIREFOX" << "org.mozilla.firefox";
        QTest::newRow("StartupWMClass") << "code" << "Code" << "" << "com.visualstudio.code";
        QTest::newRow("id is the instance") << "kitty" << "Kitty" << "" << "kitty";
        QTest::newRow("id is the class") << "alacritty-x" << "Alacritty" << "" << "Alacritty";
        QTest::newRow("last dotted part") << "konsole" << "konsole" << "" << "org.kde.konsole";
        QTest::newRow("unknown hint falls back") << "kitty" << "kitty" << "nothing.here" << "kitty";
        QTest::newRow("none") << "xterm" << "XTerm" << "" << "";
    }
    void entryOfAWindow()
    {
        QFETCH(QString, instance);
        QFETCH(QString, className);
        QFETCH(QString, hint);
        QFETCH(QString, id);
        FakeAppRegistry registry;
        registry.add("org.mozilla.firefox");
        registry.add("com.visualstudio.code").startupWMClass = "code";
        registry.add("kitty");
        registry.add("Alacritty");
        registry.add("org.kde.konsole");
        const auto found = registry.forWindow(WindowClass{instance, className, hint});
        QCOMPARE(found ? found->id : QString(), id);
    }
};

QUILLET_TEST_MAIN(TestAppRegistry)
#include "tst_appregistry.moc"
