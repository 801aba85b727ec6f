#include "app/KeyTap.h"
#include "platform/KeyTable.h"
#include "platform/fake/FakeKeyGrabber.h"

#include "TestEnv.h"

class TestKeyTap : public QObject
{
    Q_OBJECT
private slots:
    void keyRule_data()
    {
        QTest::addColumn<int>("keyCode");
        QTest::addColumn<quint64>("flags");
        QTest::addColumn<bool>("repeat");
        QTest::addColumn<QString>("called"); // "escape", "handle" or ""
        QTest::addColumn<int>("modifiers");
        QTest::newRow("bare Escape") << 53 << quint64(0) << false << "escape" << 0;
        QTest::newRow("Escape with Caps Lock") << 53 << quint64(0x10000) << false << "escape" << 0;
        QTest::newRow("Shift+Escape") << 53 << quint64(EventFlag::Shift) << false << "handle" << 4;
        QTest::newRow("Shift+A") << 0 << quint64(EventFlag::Shift) << false << "handle" << 4;
        QTest::newRow("bare F5") << 96 << quint64(0) << false << "" << 0;
        QTest::newRow("bare A") << 0 << quint64(0) << false << "" << 0;
        QTest::newRow("repeat of Ctrl+Shift+2")
            << 19 << quint64(EventFlag::Command | EventFlag::Shift) << true << "handle" << 12;
        QTest::newRow("Super+Alt+Space")
            << 49 << quint64(EventFlag::Control | EventFlag::Option) << false << "handle" << 3;
    }
    void keyRule()
    {
        QFETCH(int, keyCode);
        QFETCH(quint64, flags);
        QFETCH(bool, repeat);
        QFETCH(QString, called);
        QFETCH(int, modifiers);
        FakeKeyGrabber grabber;
        KeyTap tap(grabber);
        // Unset callbacks swallow nothing.
        QVERIFY(!tap.keyRule(keyCode, flags, repeat));

        QString seen;
        tap.escape = [&] {
            seen = QStringLiteral("escape");
            return true;
        };
        tap.handle = [&](qint64 code, Shortcut::Modifiers mods, bool isRepeat) {
            seen = QStringLiteral("handle");
            return code == keyCode && mods.toInt() == modifiers && isRepeat == repeat;
        };
        QCOMPARE(tap.keyRule(keyCode, flags, repeat), !called.isEmpty());
        QCOMPARE(seen, called);
    }

    void waitsForTheDisplay()
    {
        FakeKeyGrabber grabber;
        grabber.available = false;
        KeyTap tap(grabber);
        int escapes = 0;
        tap.escape = [&] {
            ++escapes;
            return true;
        };
        tap.start();
        QVERIFY(!tap.isInstalled());
        QVERIFY(tap.isWaiting());
        QVERIFY(!grabber.press(53, 0));

        grabber.available = true;
        QTRY_VERIFY_WITH_TIMEOUT(tap.isInstalled(), KeyTap::retryMilliseconds + 2000);
        QVERIFY(!tap.isWaiting());
        QVERIFY(grabber.press(53, 0));
        QCOMPARE(escapes, 1);
        // Installed is final: starting again changes nothing.
        tap.start();
        QVERIFY(!tap.isWaiting());
    }
};

QUILLET_TEST_MAIN_CORE(TestKeyTap)
#include "tst_keytap.moc"
