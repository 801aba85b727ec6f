#include "platform/KeyTable.h"
#include "platform/linux/GnomeShortcutStore.h"

#include "TestEnv.h"

#include <QJsonArray>
#include <QProcess>
#include <QStandardPaths>

namespace {
const QString wm = QStringLiteral("org.gnome.desktop.wm.keybindings");

QString gsettings(const QStringList &arguments)
{
    QProcess p;
    p.start(QStringLiteral("gsettings"), arguments);
    p.waitForFinished(5000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

QJsonObject entry(bool enabled, int keyCode, quint64 flags)
{
    return QJsonObject{{"enabled", enabled},
                       {"value", QJsonObject{{"parameters", QJsonArray{65535, keyCode, double(flags)}},
                                             {"type", "standard"}}}};
}
} // namespace

class TestGnomeShortcutStore : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // Settings go to a key file in the test's own config folder, never the user's.
        qputenv("GSETTINGS_BACKEND", "keyfile");
    }

    void parseAccelerator_data()
    {
        QTest::addColumn<QString>("accelerator");
        QTest::addColumn<int>("keyCode"); // -1: not expressible
        QTest::addColumn<quint64>("flags");
        QTest::newRow("super space") << "<Super>space" << 49 << quint64(EventFlag::Control);
        QTest::newRow("shift super space") << "<Shift><Super>space" << 49
                                           << quint64(EventFlag::Shift | EventFlag::Control);
        QTest::newRow("primary shift 3") << "<Primary><Shift>3" << 20
                                         << quint64(EventFlag::Command | EventFlag::Shift);
        QTest::newRow("ctrl alt letter") << "<Ctrl><Alt>A" << 0
                                         << quint64(EventFlag::Command | EventFlag::Option);
        QTest::newRow("function key") << "F5" << 96 << quint64(0);
        QTest::newRow("print") << "<Shift>Print" << -1 << quint64(0);
        QTest::newRow("media key") << "XF86Keyboard" << -1 << quint64(0);
        QTest::newRow("unknown modifier") << "<Hyper>a" << -1 << quint64(0);
    }
    void parseAccelerator()
    {
        QFETCH(QString, accelerator);
        QFETCH(int, keyCode);
        QFETCH(quint64, flags);
        const auto parsed = GnomeShortcutStore::parseAccelerator(accelerator);
        QCOMPARE(parsed.has_value(), keyCode >= 0);
        if (parsed) {
            QCOMPARE(parsed->first, keyCode);
            QCOMPARE(parsed->second, flags);
        }
    }

    void parseList()
    {
        QCOMPARE(GnomeShortcutStore::parseList("['<Super>space', 'XF86Keyboard']"),
                 (QStringList{"<Super>space", "XF86Keyboard"}));
        QCOMPARE(GnomeShortcutStore::parseList("@as []"), QStringList());
        QVERIFY(!GnomeShortcutStore::parseList(""));
        QVERIFY(!GnomeShortcutStore::parseList("No such schema"));
    }

    void missingToolGivesAnEmptyStore()
    {
        GnomeShortcutStore store(QStringLiteral("/nonexistent/gsettings"));
        QVERIFY(store.builtIns().isEmpty());
        QVERIFY(!store.read());
    }

    void readsAndSwitchesTheInputSourceKeys()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("gsettings")).isEmpty())
            QSKIP("gsettings is not installed");
        if (!gsettings({"list-schemas"}).split('\n').contains(wm))
            QSKIP("GNOME's keybinding schema is not installed");
        GnomeShortcutStore store;
        QVERIFY(store.isAvailable());
        QList<int> ids;
        for (const auto &b : store.builtIns())
            ids.append(b.id);
        QVERIFY(ids.contains(4) && ids.contains(5));

        // Defaults: Super+Space on, the first accelerator the key table knows stands for it.
        gsettings({"set", wm, "switch-input-source-backward", "['XF86Keyboard', '<Primary><Shift>3']"});
        QJsonObject settings = *store.read();
        QCOMPARE(settings.value("4").toObject(), entry(true, 49, EventFlag::Control));
        QCOMPARE(settings.value("5").toObject(), entry(true, 20, EventFlag::Command | EventFlag::Shift));

        // Off empties the binding; on brings back GNOME's default.
        QJsonObject off = settings;
        off.insert("4", entry(false, 49, EventFlag::Control));
        QVERIFY(store.write(off));
        QCOMPARE(gsettings({"get", wm, "switch-input-source"}), QStringLiteral("@as []"));
        QCOMPARE(store.read()->value("4").toObject(), entry(false, 49, EventFlag::Control));
        QCOMPARE(store.read()->value("5"), settings.value("5")); // untouched

        off.insert("4", entry(true, 49, EventFlag::Control));
        QVERIFY(store.write(off));
        QCOMPARE(gsettings({"get", wm, "switch-input-source"}), QStringLiteral("['<Super>space', 'XF86Keyboard']"));
        gsettings({"reset", wm, "switch-input-source-backward"});
    }
};

QUILLET_TEST_MAIN_CORE(TestGnomeShortcutStore)
#include "tst_gnomeshortcutstore.moc"
