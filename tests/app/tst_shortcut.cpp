#include "app/CaptureAction.h"
#include "app/Shortcut.h"
#include "platform/KeyTable.h"

#include "TestEnv.h"

#include <QJsonDocument>

class TestShortcut : public QObject
{
    Q_OBJECT
private slots:
    void displayText_data()
    {
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("shown");
        QTest::newRow("all four") << 15 << "A" << "Ctrl+Alt+Shift+Super+A";
        QTest::newRow("none") << 0 << "A" << "A";
        QTest::newRow("default area") << 12 << "2" << "Ctrl+Shift+2";
        QTest::newRow("default clipboard") << 13 << "2" << "Ctrl+Shift+Super+2";
        QTest::newRow("return") << 8 << QString(QChar(0x21A9)) << "Ctrl+Return";
        QTest::newRow("space") << 2 << "Space" << "Alt+Space";
    }
    void displayText()
    {
        QFETCH(int, modifiers);
        QFETCH(QString, key);
        QFETCH(QString, shown);
        QCOMPARE((Shortcut{0, Shortcut::Modifiers::fromInt(modifiers), key}.displayText()), shown);
    }

    void json_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("decodes");
        QTest::newRow("complete") << QByteArray(R"({"keyCode":19,"modifiers":12,"key":"2"})") << true;
        QTest::newRow("no keyCode") << QByteArray(R"({"modifiers":12,"key":"2"})") << false;
        QTest::newRow("no modifiers") << QByteArray(R"({"keyCode":19,"key":"2"})") << false;
        QTest::newRow("no key") << QByteArray(R"({"keyCode":19,"modifiers":12})") << false;
        QTest::newRow("text keyCode") << QByteArray(R"({"keyCode":"19","modifiers":12,"key":"2"})") << false;
        QTest::newRow("fraction") << QByteArray(R"({"keyCode":19.5,"modifiers":12,"key":"2"})") << false;
        QTest::newRow("number key") << QByteArray(R"({"keyCode":19,"modifiers":12,"key":2})") << false;
        QTest::newRow("array") << QByteArray(R"([19,12,"2"])") << false;
    }
    void json()
    {
        QFETCH(QByteArray, json);
        QFETCH(bool, decodes);
        const QJsonDocument doc = QJsonDocument::fromJson(json);
        const QJsonValue value = doc.isObject() ? QJsonValue(doc.object()) : QJsonValue(doc.array());
        const auto s = Shortcut::fromJson(value);
        QCOMPARE(s.has_value(), decodes);
        if (decodes) {
            QCOMPARE(*s, (Shortcut{19, Shortcut::Shift | Shortcut::Command, QStringLiteral("2")}));
            QCOMPARE(Shortcut::fromJson(s->toJson()), s);
        }
    }

    void eventFlags()
    {
        const auto all = Shortcut::Control | Shortcut::Option | Shortcut::Shift | Shortcut::Command;
        QCOMPARE(Shortcut::eventFlags(all), quint64(0x1e0000));
        QCOMPARE(Shortcut::eventFlags(Shortcut::Shift | Shortcut::Command), quint64(0x120000));
        QCOMPARE(Shortcut::modifiersFromEventFlags(0x1e0000), all);
        // Caps Lock, the function key and device bits never count.
        QCOMPARE(Shortcut::modifiersFromEventFlags(0x120000 | 0x10000 | 0x800000 | 0x2),
                 Shortcut::Shift | Shortcut::Command);
    }

    void acceptable_data()
    {
        QTest::addColumn<int>("keyCode");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("acceptable");
        QTest::newRow("bare F5") << 96 << 0 << true;
        QTest::newRow("A with shift") << 0 << 4 << false;
        QTest::newRow("A bare") << 0 << 0 << false;
        QTest::newRow("A with option") << 0 << 2 << true;
        QTest::newRow("A with control") << 0 << 1 << true;
        QTest::newRow("2 with command") << 19 << 8 << true;
        QTest::newRow("Escape bare") << 53 << 0 << false;
    }
    void acceptable()
    {
        QFETCH(int, keyCode);
        QFETCH(int, modifiers);
        QFETCH(bool, acceptable);
        QCOMPARE(Shortcut::isAcceptable(keyCode, Shortcut::Modifiers::fromInt(modifiers)), acceptable);
    }

    void keyName_data()
    {
        QTest::addColumn<int>("keyCode");
        QTest::addColumn<QVariant>("characters");
        QTest::addColumn<QString>("name");
        QTest::newRow("space") << 49 << QVariant(QStringLiteral(" ")) << "Space";
        QTest::newRow("a") << 0 << QVariant(QStringLiteral("a")) << "A";
        QTest::newRow("F17") << 64 << QVariant(QString()) << "F17";
        QTest::newRow("return") << 36 << QVariant(QStringLiteral("\r")) << QString(QChar(0x21A9));
        QTest::newRow("page down") << 121 << QVariant() << QString(QChar(0x21DF));
        QTest::newRow("no characters") << 0 << QVariant() << "?";
        QTest::newRow("empty characters") << 0 << QVariant(QString()) << "";
    }
    void keyName()
    {
        QFETCH(int, keyCode);
        QFETCH(QVariant, characters);
        QFETCH(QString, name);
        const std::optional<QString> chars =
            characters.isValid() ? std::optional<QString>(characters.toString()) : std::nullopt;
        QCOMPARE(Shortcut::keyName(keyCode, chars), name);
        QCOMPARE(Shortcut::isFunctionKey(keyCode), name == QLatin1String("F17"));
    }

    void captureActions()
    {
        const QStringList raw = {"areaToCanvas",   "fullScreenToCanvas", "areaToClipboard",
                                 "repeatLastArea", "reopenLast",         "markUpClipboard"};
        const QStringList titles = {"Capture area",           "Capture full screen",
                                    "Capture area to clipboard", "Capture last area again",
                                    "Reopen last capture",    "Mark up clipboard image"};
        for (int i = 0; i < 6; ++i) {
            const CaptureAction a = CaptureActions::all[i];
            QCOMPARE(CaptureActions::rawValue(a), raw[i]);
            QCOMPARE(CaptureActions::title(a), titles[i]);
            QCOMPARE(CaptureActions::fromRawValue(raw[i]), a);
        }
        QVERIFY(!CaptureActions::fromRawValue(QStringLiteral("areatocanvas")));
        QVERIFY(!CaptureActions::fromRawValue(QString()));
    }
};

QUILLET_TEST_MAIN_CORE(TestShortcut)
#include "tst_shortcut.moc"
