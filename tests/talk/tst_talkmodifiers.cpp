#include "document/TalkHold.h"
#include "talk/TalkModifiers.h"

#include <QtTest>

namespace {
constexpr quint32 superL = 0xffeb, superR = 0xffec, shiftL = 0xffe1, ctrlL = 0xffe3,
                  ctrlR = 0xffe4, altL = 0xffe9, altR = 0xffea, altGr = 0xfe03, letterA = 0x61;

struct Key {
    quint32 keysym;
    bool pressed;
};
} // namespace
Q_DECLARE_METATYPE(Key)

// X11 key events through the modifier tracker into a hold, as the talk controller feeds them.
class TalkModifiersTest : public QObject {
    Q_OBJECT
private slots:
    void holds_data()
    {
        QTest::addColumn<TalkKey>("talkKey");
        QTest::addColumn<QList<Key>>("keys");
        QTest::addColumn<QStringList>("actions");
        QTest::newRow("right Ctrl, the default")
            << TalkKey::rightCommand << QList<Key>{{ctrlR, true}, {ctrlR, false}}
            << QStringList{"begin", "end"};
        QTest::newRow("left Ctrl is not right Ctrl")
            << TalkKey::rightCommand << QList<Key>{{ctrlL, true}, {ctrlL, false}}
            << QStringList{"none", "none"};
        QTest::newRow("right Ctrl with left Ctrl down begins")
            << TalkKey::rightCommand << QList<Key>{{ctrlL, true}, {ctrlR, true}, {ctrlR, false}}
            << QStringList{"none", "begin", "end"};
        QTest::newRow("either Super for control")
            << TalkKey::control
            << QList<Key>{{superL, true}, {superR, true}, {superL, false}, {superR, false}}
            << QStringList{"begin", "none", "none", "end"};
        QTest::newRow("right Alt with left Alt down")
            << TalkKey::rightOption << QList<Key>{{altL, true}, {altR, true}, {altR, false}}
            << QStringList{"none", "begin", "end"};
        QTest::newRow("AltGr is right Alt") << TalkKey::rightOption
                                            << QList<Key>{{altGr, true}, {altGr, false}}
                                            << QStringList{"begin", "end"};
        QTest::newRow("Shift inside a hold")
            << TalkKey::rightCommand
            << QList<Key>{{ctrlR, true}, {shiftL, true}, {shiftL, false}, {ctrlR, false}}
            << QStringList{"begin", "none", "none", "end"};
        QTest::newRow("Super with Shift down does not begin")
            << TalkKey::control << QList<Key>{{shiftL, true}, {superR, true}}
            << QStringList{"none", "none"};
    }

    void holds()
    {
        QFETCH(TalkKey, talkKey);
        QFETCH(QList<Key>, keys);
        QFETCH(QStringList, actions);
        TalkModifiers modifiers;
        TalkHold hold(talkKey);
        QStringList got;
        double time = 0;
        for (const Key &k : keys) {
            const std::optional<TalkModifiers::Change> c = modifiers.key(k.keysym, k.pressed);
            QVERIFY(c);
            time += 0.5;
            const auto action = hold.handle(c->keyCode, c->flags & TalkKeys::deviceFlags(talkKey),
                                            !(c->flags & TalkKeys::otherModifiers(talkKey)), time);
            got << (!action ? "none"
                    : action == TalkHold::Action::begin ? "begin"
                    : action == TalkHold::Action::end   ? "end"
                                                        : "cancel");
        }
        QCOMPARE(got, actions);
    }

    void otherKeysAndFocusLoss()
    {
        TalkModifiers modifiers;
        QVERIFY(!modifiers.key(letterA, true));
        modifiers.key(ctrlR, true);
        QVERIFY(modifiers.flags() & TalkKeys::deviceFlags(TalkKey::rightCommand));
        modifiers.reset();
        QCOMPARE(modifiers.flags(), quint64(0));
    }
};

QTEST_GUILESS_MAIN(TalkModifiersTest)
#include "tst_talkmodifiers.moc"
