#include "app/HotKeyCenter.h"
#include "platform/KeyTable.h"
#include "platform/Preferences.h"
#include "platform/fake/FakeKeyGrabber.h"
#include "platform/fake/MemoryShortcutStore.h"

#include "TestEnv.h"

namespace {
const quint64 ctrlShift = EventFlag::Command | EventFlag::Shift;
const quint64 ctrlShiftSuper = ctrlShift | EventFlag::Control;
const Shortcut areaDefault{KeyCode::Digit2, Shortcut::Command | Shortcut::Shift, QStringLiteral("2")};
using Status = HotKeyCenter::Status;
} // namespace

class TestHotKeyCenter : public QObject
{
    Q_OBJECT
    FakeKeyGrabber grabber;
    MemoryShortcutStore store;
    std::unique_ptr<HotKeyCenter> center;
    QList<CaptureAction> fired;
    int changes = 0;

private slots:
    void init()
    {
        for (CaptureAction a : CaptureActions::all)
            Preferences::shared().remove(HotKeyCenter::preferenceKey(a));
        grabber.heldByOthers.clear();
        store.setTable({});
        store.setSettings(std::nullopt);
        fired.clear();
        changes = 0;
        center = std::make_unique<HotKeyCenter>(grabber, store);
        center->onFire = [this](CaptureAction a) { fired.append(a); };
        center->onChange = [this] { ++changes; };
    }
    void cleanup()
    {
        center.reset();
        QVERIFY(grabber.taken.isEmpty()); // the centre's grabs go with it
    }

    void freshPreferencesGiveTheDefaults()
    {
        QCOMPARE(center->shortcut(CaptureAction::areaToCanvas), areaDefault);
        QCOMPARE(center->shortcut(CaptureAction::areaToClipboard),
                 (Shortcut{19, Shortcut::Command | Shortcut::Shift | Shortcut::Control, "2"}));
        QVERIFY(center->statuses().empty());
        center->registerAll();
        QCOMPARE(changes, 1);
        QCOMPARE(center->statuses().size(), size_t(6));
        QCOMPARE(center->status(CaptureAction::areaToCanvas), Status{Status::active});
        QCOMPARE(center->status(CaptureAction::areaToClipboard), Status{Status::active});
        for (CaptureAction a : {CaptureAction::fullScreenToCanvas, CaptureAction::repeatLastArea,
                                CaptureAction::reopenLast, CaptureAction::markUpClipboard})
            QCOMPARE(center->status(a), Status{Status::unassigned});
        QVERIFY(grabber.holds(KeyCode::Digit2, ctrlShift));
        QVERIFY(grabber.holds(KeyCode::Digit2, ctrlShiftSuper));
        QCOMPARE(grabber.taken.size(), 2);
    }

    void settingAnotherActionsShortcutClearsIt()
    {
        center->setShortcut(areaDefault, CaptureAction::fullScreenToCanvas);
        QCOMPARE(Preferences::shared().value(QStringLiteral("shortcut.areaToCanvas")), QJsonValue(QString()));
        QCOMPARE(center->shortcut(CaptureAction::areaToCanvas), std::nullopt);
        QCOMPARE(center->shortcut(CaptureAction::fullScreenToCanvas), areaDefault);
        QCOMPARE(center->status(CaptureAction::areaToCanvas), Status{Status::unassigned});
        QCOMPARE(center->status(CaptureAction::fullScreenToCanvas), Status{Status::active});
        QCOMPARE(Preferences::shared().value(QStringLiteral("shortcut.fullScreenToCanvas")).toObject(),
                 areaDefault.toJson());

        grabber.press(KeyCode::Digit2, ctrlShift);
        QCOMPARE(fired, QList<CaptureAction>{CaptureAction::fullScreenToCanvas});

        center->restoreDefaults();
        QCOMPARE(center->shortcut(CaptureAction::areaToCanvas), areaDefault);
        QCOMPARE(center->shortcut(CaptureAction::fullScreenToCanvas), std::nullopt);
        QCOMPARE(center->status(CaptureAction::areaToCanvas), Status{Status::active});
    }

    void clearingStoresEmptyData()
    {
        center->setShortcut(std::nullopt, CaptureAction::areaToClipboard);
        QCOMPARE(Preferences::shared().value(QStringLiteral("shortcut.areaToClipboard")), QJsonValue(QString()));
        QCOMPARE(center->status(CaptureAction::areaToClipboard), Status{Status::unassigned});
        QVERIFY(!grabber.holds(KeyCode::Digit2, ctrlShiftSuper));
        // Data that does not decode counts as no shortcut as well.
        Preferences::shared().setValue(QStringLiteral("shortcut.areaToCanvas"), 42);
        center->registerAll();
        QCOMPARE(center->status(CaptureAction::areaToCanvas), Status{Status::unassigned});
        center->restoreDefaults();
        QCOMPARE(center->status(CaptureAction::areaToClipboard), Status{Status::active});
        QCOMPARE(center->status(CaptureAction::areaToCanvas), Status{Status::active});
    }

    void desktopShortcutIsNotRegistered()
    {
        store.setTable({{1, QStringLiteral("Take a screenshot"), KeyCode::Digit3, ctrlShift}});
        // The key text differs; key code and modifiers clash all the same.
        center->setShortcut(Shortcut{KeyCode::Digit3, Shortcut::Command | Shortcut::Shift, "#"},
                            CaptureAction::reopenLast);
        QCOMPARE(center->status(CaptureAction::reopenLast), Status::systemShortcut("Take a screenshot"));
        QVERIFY(!grabber.holds(KeyCode::Digit3, ctrlShift));
        QVERIFY(!center->handleKey(KeyCode::Digit3, Shortcut::Command | Shortcut::Shift, false));
    }

    void refusedGrabIsTakenByApp()
    {
        grabber.heldByOthers.append({KeyCode::Digit2, ctrlShiftSuper});
        center->registerAll();
        QCOMPARE(center->status(CaptureAction::areaToClipboard), Status{Status::takenByApp});
        QCOMPARE(center->status(CaptureAction::areaToCanvas), Status{Status::active});
        QVERIFY(!center->handleKey(19, Shortcut::Command | Shortcut::Shift | Shortcut::Control, false));
        QVERIFY(!grabber.press(KeyCode::Digit2, ctrlShiftSuper));
        QVERIFY(fired.isEmpty());
    }

    void handleKeyFiresOnceAfterTheEvent()
    {
        center->registerAll();
        const auto mods = Shortcut::Command | Shortcut::Shift;
        QVERIFY(center->handleKey(19, mods, false));
        QVERIFY(fired.isEmpty()); // queued behind the current event
        QVERIFY(center->handleKey(19, mods, true));
        QVERIFY(center->handleKey(19, mods, true));
        QTRY_COMPARE(fired, QList<CaptureAction>{CaptureAction::areaToCanvas});
        QTest::qWait(20);
        QCOMPARE(fired.size(), 1);
        QVERIFY(!center->handleKey(19, Shortcut::Command, false));
        QVERIFY(!center->handleKey(20, mods, false));
        // A centre gone before the queued call does nothing.
        QVERIFY(center->handleKey(19, mods, false));
        center.reset();
        QTest::qWait(20);
        QCOMPARE(fired.size(), 1);
    }

    void grabbedPressFiresUnlessRepeat()
    {
        center->registerAll();
        QVERIFY(grabber.press(KeyCode::Digit2, ctrlShift));
        QVERIFY(grabber.press(KeyCode::Digit2, ctrlShift, true));
        QCOMPARE(fired, QList<CaptureAction>{CaptureAction::areaToCanvas});
        QVERIFY(!grabber.press(KeyCode::Digit2, EventFlag::Command));
    }

    void reRegistrationReplacesGrabsAndIds()
    {
        center->registerAll();
        const auto before = grabber.taken;
        center->registerAll();
        QCOMPARE(grabber.taken.size(), before.size());
        // A keymap change asks for a new registration.
        emit grabber.registrationNeeded();
        QCOMPARE(changes, 3);
        QVERIFY(grabber.press(KeyCode::Digit2, ctrlShift));
        QCOMPARE(fired.size(), 1);
    }

    void hotKeyIdsGrowAndUngrabOnDestruction()
    {
        quint32 first = 0;
        {
            HotKey a(grabber, KeyCode::F5, {}, [] {});
            first = a.id();
            QVERIFY(grabber.holds(KeyCode::F5, 0));
        }
        QVERIFY(!grabber.holds(KeyCode::F5, 0));
        HotKey b(grabber, KeyCode::F5, {}, [] {});
        QVERIFY(b.id() > first);
        grabber.heldByOthers.append({KeyCode::F6, 0});
        try {
            HotKey c(grabber, KeyCode::F6, {}, [] {});
            QFAIL("a refused grab must throw");
        } catch (const HotKey::Failed &failed) {
            QCOMPARE(failed.status, GlobalKeyGrabber::BadAccess);
        }
    }
};

QUILLET_TEST_MAIN_CORE(TestHotKeyCenter)
#include "tst_hotkeycenter.moc"
