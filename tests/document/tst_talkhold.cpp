#include "document/TalkHold.h"

#include <QtTest>

using Action = TalkHold::Action;
Q_DECLARE_METATYPE(std::optional<TalkHold::Action>)

namespace {
// Device bits of the physical modifier keys, and the independent ones.
constexpr quint64 leftControl = 0x0001, rightControl = 0x2000, rightOption = 0x40,
                  leftOption = 0x20, rightCommand = 0x10;
constexpr quint64 shift = TalkKeys::shiftFlag, control = TalkKeys::controlFlag,
                  option = TalkKeys::optionFlag, command = TalkKeys::commandFlag;

// One modifier change: the key that changed and every flag down after it.
struct Change {
    quint16 code;
    quint64 flags;
    double time;
};

} // namespace
Q_DECLARE_METATYPE(Change)
namespace {

QString describe(const std::optional<Action> &a)
{
    if (!a)
        return QStringLiteral("none");
    return a == Action::begin ? QStringLiteral("begin")
           : a == Action::end ? QStringLiteral("end")
                              : QStringLiteral("cancel");
}
} // namespace

class TalkHoldTest : public QObject {
    Q_OBJECT
private slots:
    void keyTable()
    {
        QCOMPARE(TalkKeys::rawValue(TalkKey::rightOption), QStringLiteral("rightOption"));
        for (TalkKey k : TalkKeys::allCases)
            QCOMPARE(TalkKeys::fromRawValue(TalkKeys::rawValue(k)), k);
        QCOMPARE(TalkKeys::fromRawValue(QStringLiteral("Control")), std::nullopt);
        QCOMPARE(TalkKeys::fromRawValue(QString()), std::nullopt);
        QCOMPARE(TalkKeys::otherModifiers(TalkKey::control), quint64(0x1A0000));
        QCOMPARE(TalkKeys::otherModifiers(TalkKey::rightOption), quint64(0x160000));
        QCOMPARE(TalkKeys::otherModifiers(TalkKey::rightCommand), quint64(0x0E0000));
        QCOMPARE(TalkKeys::symbol(TalkKey::rightCommand), QStringLiteral("right \u2318"));
    }

    // Each row feeds modifier changes as the controller computes them from an event's flags and
    // lists the action after each one.
    void sequences_data()
    {
        QTest::addColumn<TalkKey>("key");
        QTest::addColumn<QList<Change>>("changes");
        QTest::addColumn<QStringList>("actions");
        QTest::newRow("right control alone begins, release ends")
            << TalkKey::control
            << QList<Change>{{62, rightControl | control, 0}, {62, 0, 1}}
            << QStringList{"begin", "end"};
        QTest::newRow("control with shift down does not begin")
            << TalkKey::control << QList<Change>{{56, shift, 0}, {59, leftControl | control | shift, 0.1}}
            << QStringList{"none", "none"};
        QTest::newRow("left option never begins rightOption")
            << TalkKey::rightOption << QList<Change>{{58, leftOption | option, 0}, {58, 0, 1}}
            << QStringList{"none", "none"};
        QTest::newRow("right option with left option down begins; its release ends")
            << TalkKey::rightOption
            << QList<Change>{{58, leftOption | option, 0},
                             {61, leftOption | rightOption | option, 0.1},
                             {61, leftOption | option, 1.0}}
            << QStringList{"none", "begin", "end"};
        QTest::newRow("right option with command down does not begin")
            << TalkKey::rightOption
            << QList<Change>{{55, command, 0}, {61, rightOption | option | command, 0.1}}
            << QStringList{"none", "none"};
        QTest::newRow("shift during a hold changes nothing")
            << TalkKey::control
            << QList<Change>{{59, leftControl | control, 0}, {56, leftControl | control | shift, 0.2},
                             {56, leftControl | control, 0.3}, {59, 0, 0.5}}
            << QStringList{"begin", "none", "none", "end"};
        QTest::newRow("one of two control keys released gives nothing")
            << TalkKey::control
            << QList<Change>{{59, leftControl | control, 0},
                             {62, leftControl | rightControl | control, 0.1},
                             {59, rightControl | control, 0.4}, {62, 0, 0.6}}
            << QStringList{"begin", "none", "none", "end"};
        QTest::newRow("right command alone")
            << TalkKey::rightCommand << QList<Change>{{54, rightCommand | command, 0}, {54, 0, 0.1}}
            << QStringList{"begin", "cancel"};
        QTest::newRow("key-up while idle")
            << TalkKey::rightCommand << QList<Change>{{54, 0, 0}} << QStringList{"none"};
        QTest::newRow("0.24 s without words cancels")
            << TalkKey::control << QList<Change>{{59, leftControl | control, 1000}, {59, 0, 1000.24}}
            << QStringList{"begin", "cancel"};
        QTest::newRow("exactly 0.25 s ends")
            << TalkKey::control << QList<Change>{{59, leftControl | control, 1000}, {59, 0, 1000.25}}
            << QStringList{"begin", "end"};
    }

    void sequences()
    {
        QFETCH(TalkKey, key);
        QFETCH(QList<Change>, changes);
        QFETCH(QStringList, actions);
        TalkHold hold(key);
        QStringList got;
        for (const Change &c : changes) {
            const bool down = c.flags & TalkKeys::deviceFlags(key);
            const bool alone = !(c.flags & TalkKeys::otherModifiers(key));
            got << describe(hold.handle(c.code, down, alone, c.time));
        }
        QCOMPARE(got, actions);
        QVERIFY(!hold.isHolding());
    }

    void wordsAndOutsideEnds()
    {
        TalkHold hold(TalkKey::control);
        QCOMPARE(hold.release(5), std::nullopt);
        QCOMPARE(hold.interrupt(), std::nullopt);
        hold.markHeard();
        QVERIFY(!hold.heard); // nothing while idle

        // Words keep a short hold.
        QCOMPARE(hold.handle(62, true, true, 1000), Action::begin);
        hold.markHeard();
        QCOMPARE(hold.handle(62, false, true, 1000.24), Action::end);

        // The next hold starts without words; an interrupt after 5 s without words cancels.
        QCOMPARE(hold.handle(62, true, true, 2000), Action::begin);
        QVERIFY(!hold.heard);
        QCOMPARE(hold.interrupt(), Action::cancel);
        QVERIFY(!hold.isHolding());

        QCOMPARE(hold.handle(62, true, true, 3000), Action::begin);
        QCOMPARE(hold.release(3000.1), Action::cancel);
        QCOMPARE(hold.handle(62, true, true, 4000), Action::begin);
        QCOMPARE(hold.release(4000.3), Action::end);
        QCOMPARE(hold.handle(62, true, true, 5000), Action::begin);
        hold.markHeard();
        QCOMPARE(hold.interrupt(), Action::end);
    }
};

QTEST_GUILESS_MAIN(TalkHoldTest)
#include "tst_talkhold.moc"
