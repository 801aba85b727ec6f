#include "app/SystemShortcuts.h"
#include "platform/KeyTable.h"

#include "TestEnv.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {
using BuiltIn = SystemShortcutStore::BuiltIn;
const quint64 shiftSuper = EventFlag::Shift | EventFlag::Control;

// A desktop with two screenshot keys and an input-source switch.
QList<BuiltIn> table()
{
    return {
        {4, QStringLiteral("Switch to next input source"), KeyCode::Space, EventFlag::Control},
        {1, QStringLiteral("Take a screenshot"), KeyCode::Digit3, EventFlag::Command | EventFlag::Shift},
        {2, QStringLiteral("Take a screenshot of a window"), KeyCode::Digit4, shiftSuper},
    };
}

QJsonObject settings(const char *json)
{
    return QJsonDocument::fromJson(json).object();
}

QList<int> ids(const QList<SystemShortcuts::Entry> &entries)
{
    QList<int> out;
    for (const auto &e : entries)
        out.append(e.id);
    return out;
}
} // namespace

class TestSystemShortcuts : public QObject
{
    Q_OBJECT
private slots:
    void entriesPicksEnabledOnes_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("empty: the table, sorted") << QByteArray("{}") << QList<int>{1, 2, 4};
        QTest::newRow("listed off stays off") << QByteArray(R"({"1":{"enabled":false}})")
                                              << QList<int>{2, 4};
        QTest::newRow("enabled as number")
            << QByteArray(R"({"7":{"enabled":1,"value":{"parameters":[65535,0,1048576]}},
                              "8":{"enabled":0,"value":{"parameters":[65535,0,1048576]}}})")
            << QList<int>{1, 2, 4, 7};
        QTest::newRow("enabled text counts as off")
            << QByteArray(R"({"7":{"enabled":"yes","value":{"parameters":[65535,0,1048576]}}})")
            << QList<int>{1, 2, 4};
        QTest::newRow("two parameters skipped")
            << QByteArray(R"({"7":{"enabled":true,"value":{"parameters":[65535,0]}}})")
            << QList<int>{1, 2, 4};
        QTest::newRow("no key skipped")
            << QByteArray(R"({"7":{"enabled":true,"value":{"parameters":[65535,65535,1048576]}}})")
            << QList<int>{1, 2, 4};
        QTest::newRow("text parameter skipped")
            << QByteArray(R"({"7":{"enabled":true,"value":{"parameters":[65535,"0",1048576]}}})")
            << QList<int>{1, 2, 4};
        QTest::newRow("listed but malformed hides the default")
            << QByteArray(R"({"4":{"enabled":true,"value":{}}})") << QList<int>{1, 2};
        QTest::newRow("id with sign") << QByteArray(R"({"+9":{"enabled":true,"value":{"parameters":[1,0,1048576]}}})")
                                      << QList<int>{1, 2, 4, 9};
        QTest::newRow("key not a number skipped")
            << QByteArray(R"({"x9":{"enabled":true,"value":{"parameters":[1,0,1048576]}}, "1":7})")
            << QList<int>{1, 2, 4};
    }
    void entriesPicksEnabledOnes()
    {
        QFETCH(QByteArray, json);
        QFETCH(QList<int>, expected);
        QCOMPARE(ids(SystemShortcuts::entries(settings(json), table())), expected);
    }

    void unknownIdIsNamedInOurWords()
    {
        const auto list = SystemShortcuts::entries(
            settings(R"({"300":{"enabled":true,"value":{"parameters":[65535,18,1179648],"type":"standard"}}})"),
            {});
        QCOMPARE(list.size(), 1);
        QCOMPARE(list[0], (SystemShortcuts::Entry{300, QStringLiteral("The system shortcut 300"), 18,
                                                  Shortcut::Shift | Shortcut::Command}));
    }

    void desktopWithoutShortcutsInventsNone()
    {
        QVERIFY(SystemShortcuts::entries(std::nullopt, {}).isEmpty());
        QVERIFY(SystemShortcuts::entries(QJsonObject(), {}).isEmpty());
        // Unreadable settings: the table's defaults count as on.
        QCOMPARE(ids(SystemShortcuts::entries(std::nullopt, table())), (QList<int>{1, 2, 4}));
    }

    void entryMatchesKeyAndExactModifiers()
    {
        const auto list = SystemShortcuts::entries(QJsonObject(), table());
        const Shortcut ctrlShift3{KeyCode::Digit3, Shortcut::Command | Shortcut::Shift, QStringLiteral("#")};
        QCOMPARE(SystemShortcuts::entry(ctrlShift3, list)->id, 1); // the key text is not compared
        QVERIFY(!SystemShortcuts::entry({KeyCode::Digit3, Shortcut::Command, QStringLiteral("3")}, list));
        QVERIFY(!SystemShortcuts::entry({KeyCode::Digit2, Shortcut::Command | Shortcut::Shift, QStringLiteral("2")}, list));
        QCOMPARE(SystemShortcuts::entry({KeyCode::Space, Shortcut::Control, QStringLiteral("Space")}, list)->name,
                 QStringLiteral("Switch to next input source"));
    }

    void settingEnabled()
    {
        const QJsonObject start = settings(
            R"({"2":{"enabled":true,"value":{"parameters":[65535,21,131072],"type":"standard"}},
                "50":{"enabled":true}})");
        // A listed entry keeps its keys and changes only "enabled".
        QJsonObject off = SystemShortcuts::settingEnabled(2, false, start, table());
        QCOMPARE(off.value("2").toObject().value("enabled"), QJsonValue(false));
        QCOMPARE(off.value("2").toObject().value("value"), start.value("2").toObject().value("value"));
        QCOMPARE(off.value("50"), start.value("50"));
        // A table entry that is not listed is created with its default keys.
        const QJsonObject created = SystemShortcuts::settingEnabled(1, false, start, table());
        QCOMPARE(created.value("1").toObject(),
                 settings(R"({"enabled":false,"value":{"parameters":[65535,20,1179648],"type":"standard"}})"));
        QCOMPARE(ids(SystemShortcuts::entries(created, table())), (QList<int>{2, 4}));
        // Neither listed nor in the table: unchanged.
        QCOMPARE(SystemShortcuts::settingEnabled(999, false, start, table()), start);
        QCOMPARE(SystemShortcuts::settingEnabled(999, true, std::nullopt, table()), QJsonObject());
    }
};

QUILLET_TEST_MAIN_CORE(TestSystemShortcuts)
#include "tst_systemshortcuts.moc"
