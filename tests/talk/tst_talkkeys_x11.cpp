#include "FakeTalk.h"
#include "TestEnv.h"
#include "XTestInput.h"
#include "app/PreferenceReaders.h"
#include "platform/Preferences.h"
#include "talk/TalkController.h"

#include <QKeyEvent>

namespace {
constexpr quint32 ctrlR = 0xffe4, shiftL = 0xffe1, superL = 0xffeb, altL = 0xffe9, altR = 0xffea,
                  letterA = 0x61;

// A window that counts the keys it is given.
class KeyWindow final : public QWidget {
public:
    QStringList typed;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (!event->text().isEmpty())
            typed << event->text();
    }
};
} // namespace

// The talk key held for real on an X server: X11 key events of the canvas window reach the
// hold, and the window still gets every key.
class TalkKeysTest : public QObject {
    Q_OBJECT

    KeyWindow *window = nullptr;
    KeyWindow *other = nullptr;
    FakeCanvas *canvas = nullptr;
    TalkController *talk = nullptr;
    QList<std::shared_ptr<FakeListener>> listeners;
    XTestInput input;

    void hold(quint32 keysym, double seconds)
    {
        input.keyDown(keysym);
        QTest::qWait(int(seconds * 1000));
        input.keyUp(keysym);
        QTest::qWait(50);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(input.isValid());
        makeSpeechListener = [this] {
            auto l = std::make_shared<FakeListener>();
            listeners << l;
            return l;
        };
        TalkController::toastHook = [](const QString &, double) {};
        other = new KeyWindow;
        other->setGeometry(700, 100, 200, 200);
        other->show();
        window = new KeyWindow;
        window->setGeometry(100, 100, 400, 300);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        canvas = new FakeCanvas;
        canvas->keyWindow = window;
        talk = new TalkController(*canvas);
    }

    void init()
    {
        Prefs::store().remove("talk.key");
        listeners.clear();
        window->typed.clear();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
    }

    void cleanupTestCase()
    {
        delete talk;
        delete canvas;
        delete window;
        delete other;
    }

    void heldKeys_data()
    {
        QTest::addColumn<QString>("talkKey");
        QTest::addColumn<QList<quint32>>("before"); // held first, let go after
        QTest::addColumn<quint32>("key");
        QTest::addColumn<bool>("begins");
        QTest::newRow("right Ctrl, the default") << "" << QList<quint32>{} << ctrlR << true;
        QTest::newRow("Super for control") << "control" << QList<quint32>{} << superL << true;
        QTest::newRow("right Ctrl is not control") << "control" << QList<quint32>{} << ctrlR << false;
        QTest::newRow("right Alt") << "rightOption" << QList<quint32>{} << altR << true;
        QTest::newRow("right Alt with left Alt down") << "rightOption" << QList<quint32>{altL} << altR << true;
        QTest::newRow("left Alt is not right Alt") << "rightOption" << QList<quint32>{} << altL << false;
        QTest::newRow("not with Shift down") << "" << QList<quint32>{shiftL} << ctrlR << false;
    }
    void heldKeys()
    {
        QFETCH(QString, talkKey);
        QFETCH(QList<quint32>, before);
        QFETCH(quint32, key);
        QFETCH(bool, begins);
        if (!talkKey.isEmpty())
            Prefs::store().setValue("talk.key", talkKey);
        for (quint32 k : before)
            input.keyDown(k);
        input.keyDown(key);
        QTest::qWait(100);
        QCOMPARE(talk->isHolding(), begins);
        QTest::qWait(300);
        input.keyUp(key);
        for (quint32 k : before)
            input.keyUp(k);
        QTest::qWait(50);
        QVERIFY(!talk->isHolding());
        QCOMPARE(listeners.size(), begins ? 1 : 0);
        if (begins)
            QVERIFY(listeners.first()->stopped);
    }

    void shiftInsideAHold()
    {
        input.keyDown(ctrlR);
        QTest::qWait(100);
        input.keyDown(shiftL);
        input.keyUp(shiftL);
        QTest::qWait(300);
        QVERIFY(talk->isHolding());
        input.keyUp(ctrlR);
        QTest::qWait(50);
        QVERIFY(!talk->isHolding());
        QVERIFY(listeners.first()->stopped);
    }

    void letterInterruptsAndReachesTheWindow()
    {
        input.keyDown(ctrlR);
        QTest::qWait(100);
        QVERIFY(talk->isHolding());
        input.keyDown(letterA);
        input.keyUp(letterA);
        input.keyUp(ctrlR);
        QTest::qWait(50);
        QVERIFY(!talk->isHolding());
        QVERIFY(listeners.first()->cancelled);
        // Ctrl was down: the window saw Ctrl+A, which has a control character as its text.
        QCOMPARE(window->typed.size(), 1);
        hold(letterA, 0.05);
        QCOMPARE(window->typed.last(), QStringLiteral("a"));
    }

    void focusLossReleases()
    {
        input.keyDown(ctrlR);
        QTest::qWait(400);
        QVERIFY(talk->isHolding());
        other->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(other));
        QVERIFY(!talk->isHolding());
        QVERIFY(listeners.first()->stopped);
        input.keyUp(ctrlR);
        // Keys of another window never hold.
        hold(ctrlR, 0.3);
        QCOMPARE(listeners.size(), 1);
    }
};

QUILLET_TEST_MAIN(TalkKeysTest)
#include "tst_talkkeys_x11.moc"
