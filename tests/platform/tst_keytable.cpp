#include "platform/KeyTable.h"
#include "platform/PlatformText.h"

#include "TestEnv.h"

class TestKeyTable : public QObject
{
    Q_OBJECT
private slots:
    void roundTrip_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("qtKey");
        QTest::addColumn<bool>("keypad");
        QTest::addColumn<quint32>("keysym");
        QTest::newRow("Return") << 36 << int(Qt::Key_Return) << false << 0xff0du;
        QTest::newRow("keypad Enter") << 76 << int(Qt::Key_Enter) << true << 0xff8du;
        QTest::newRow("Delete") << 51 << int(Qt::Key_Backspace) << false << 0xff08u;
        QTest::newRow("Forward Delete") << 117 << int(Qt::Key_Delete) << false << 0xffffu;
        QTest::newRow("Escape") << 53 << int(Qt::Key_Escape) << false << 0xff1bu;
        QTest::newRow("Space") << 49 << int(Qt::Key_Space) << false << 0x20u;
        QTest::newRow("Left") << 123 << int(Qt::Key_Left) << false << 0xff51u;
        QTest::newRow("Right") << 124 << int(Qt::Key_Right) << false << 0xff53u;
        QTest::newRow("Down") << 125 << int(Qt::Key_Down) << false << 0xff54u;
        QTest::newRow("Up") << 126 << int(Qt::Key_Up) << false << 0xff52u;
        QTest::newRow("0") << 29 << int(Qt::Key_0) << false << 0x30u;
        QTest::newRow("1") << 18 << int(Qt::Key_1) << false << 0x31u;
        QTest::newRow("2") << 19 << int(Qt::Key_2) << false << 0x32u;
        QTest::newRow("5") << 23 << int(Qt::Key_5) << false << 0x35u;
        QTest::newRow("9") << 25 << int(Qt::Key_9) << false << 0x39u;
        QTest::newRow("A") << 0 << int(Qt::Key_A) << false << 0x61u;
        QTest::newRow("F") << 3 << int(Qt::Key_F) << false << 0x66u;
        QTest::newRow("S") << 1 << int(Qt::Key_S) << false << 0x73u;
        QTest::newRow("Z") << 6 << int(Qt::Key_Z) << false << 0x7au;
        QTest::newRow("F1") << 122 << int(Qt::Key_F1) << false << 0xffbeu;
        QTest::newRow("F5") << 96 << int(Qt::Key_F5) << false << 0xffc2u;
        QTest::newRow("F12") << 111 << int(Qt::Key_F12) << false << 0xffc9u;
        QTest::newRow("F20") << 90 << int(Qt::Key_F20) << false << 0xffd1u;
        QTest::newRow("keypad 5") << 87 << int(Qt::Key_5) << true << 0xffb5u;
        QTest::newRow("Command") << 55 << int(Qt::Key_Control) << false << 0xffe3u;
    }
    void roundTrip()
    {
        QFETCH(int, code);
        QFETCH(int, qtKey);
        QFETCH(bool, keypad);
        QFETCH(quint32, keysym);
        bool isKeypad = !keypad;
        QCOMPARE(KeyTable::toQtKey(code, &isKeypad), std::optional<int>(qtKey));
        QCOMPARE(isKeypad, keypad);
        QCOMPARE(KeyTable::fromQtKey(qtKey, keypad ? Qt::KeypadModifier : Qt::NoModifier),
                 std::optional<int>(code));
        QCOMPARE(KeyTable::toKeysym(code), std::optional<quint32>(keysym));
        QCOMPARE(KeyTable::fromKeysym(keysym), std::optional<int>(code));
    }

    void shiftedSymbolsReadAsTheirKey()
    {
        QCOMPARE(KeyTable::fromQtKey(Qt::Key_At, Qt::ShiftModifier), std::optional<int>(19));
        QCOMPARE(KeyTable::fromKeysym(0x46 /* F */), std::optional<int>(3));
        QVERIFY(!KeyTable::fromQtKey(Qt::Key_unknown).has_value());
    }

    void modifierFlags()
    {
        const auto mods = Qt::ControlModifier | Qt::ShiftModifier;
        QCOMPARE(KeyTable::flagsFromQt(mods), EventFlag::Command | EventFlag::Shift);
        QCOMPARE(KeyTable::flagsFromQt(Qt::MetaModifier | Qt::AltModifier),
                 EventFlag::Control | EventFlag::Option);
        QCOMPARE(KeyTable::qtFromFlags(EventFlag::Command | EventFlag::Shift), mods);
    }

    void words_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        QTest::newRow("shift command 2") << QString::fromUtf8("⇧⌘2") << "Ctrl+Shift+2";
        QTest::newRow("all four") << QString::fromUtf8("⌃⌥⇧⌘2") << "Ctrl+Alt+Shift+Super+2";
        QTest::newRow("return") << QString::fromUtf8("⌘↩") << "Ctrl+Return";
        QTest::newRow("arrows") << QString::fromUtf8("(⌘↑ and ⌘↓ move)") << "(Ctrl+Up and Ctrl+Down move)";
        QTest::newRow("in a sentence") << QString::fromUtf8("Press ⇧⌘2 to capture.")
                                       << "Press Ctrl+Shift+2 to capture.";
        QTest::newRow("finder") << "Show in Finder" << "Show in the file manager";
        QTest::newRow("dock") << "Hide in Dock" << "Hide in taskbar";
        QTest::newRow("menu bar") << "lives in the menu bar" << "lives in the tray";
        QTest::newRow("macOS mid") << "taken from macOS" << "taken from the system";
        QTest::newRow("macOS start") << "macOS uses it." << "The system uses it.";
        QTest::newRow("glyphs named alone")
            << QString::fromUtf8("Add ⌘, ⌃ or ⌥, or use a function key.")
            << "Add Ctrl, Super or Alt, or use a function key.";
        QTest::newRow("comma key at the end") << QString::fromUtf8("Settings ⌘,") << "Settings Ctrl+,";
        QTest::newRow("this Mac") << "This Mac’s language" << "This computer’s language";
        QTest::newRow("modifier drag") << QString::fromUtf8("Box: ⌘-drag, or ⌥-drag") << "Box: Ctrl+drag, or Alt+drag";
        QTest::newRow("glyph before a colon") << QString::fromUtf8("Hold right ⌥: talk    ⌃: talk")
                                              << "Hold right Alt: talk    Super: talk";
        QTest::newRow("either arrow") << QString::fromUtf8("⌘↑↓: shots") << QString::fromUtf8("Ctrl+↑↓: shots");
    }
    void words()
    {
        QFETCH(QString, in);
        QFETCH(QString, out);
        QCOMPARE(PlatformText::words(in), out);
    }
};

QUILLET_TEST_MAIN(TestKeyTable)
#include "tst_keytable.moc"
