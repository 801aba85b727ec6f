#include "app/ClashAlert.h"
#include "app/HotKeyCenter.h"
#include "app/ShortcutTakeover.h"
#include "app/SystemShortcuts.h"
#include "app/Toast.h"
#include "platform/KeyTable.h"
#include "platform/Preferences.h"
#include "platform/fake/FakeKeyGrabber.h"
#include "platform/fake/MemoryShortcutStore.h"

#include "TestEnv.h"

#include <QJsonArray>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace {
const quint64 ctrlShift = EventFlag::Command | EventFlag::Shift;
const Shortcut ctrlShift3{KeyCode::Digit3, Shortcut::Command | Shortcut::Shift, QStringLiteral("3")};
const Shortcut superSpace{KeyCode::Space, Shortcut::Control, QStringLiteral("Space")};
using Status = HotKeyCenter::Status;

struct Alert {
    QString text, informative;
    QStringList buttons;
};

// Answers the next alerts by clicking the buttons named, in turn, and records what they said.
class AlertAnswerer : public QObject
{
public:
    explicit AlertAnswerer(QStringList answers) : m_answers(std::move(answers))
    {
        startTimer(10);
    }
    QList<Alert> seen;

protected:
    void timerEvent(QTimerEvent *) override
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || m_answers.isEmpty() || box == m_last)
            return;
        m_last = box;
        Alert alert{box->text(), box->informativeText(), {}};
        QAbstractButton *chosen = nullptr;
        for (QAbstractButton *b : box->buttons()) {
            alert.buttons.append(b->text());
            if (b->text() == m_answers.first())
                chosen = b;
        }
        seen.append(alert);
        m_answers.removeFirst();
        if (chosen)
            chosen->click();
        else
            box->reject();
    }

private:
    QStringList m_answers;
    QPointer<QMessageBox> m_last;
};

QString toastText()
{
    QWidget *t = Toast::current();
    if (!t)
        return {};
    const auto labels = t->findChildren<QLabel *>();
    return labels.isEmpty() ? QString() : labels.first()->text();
}

QJsonValue taken()
{
    return Preferences::shared().value(QStringLiteral("shortcuts.takenFromSystem"));
}
} // namespace

class TestShortcutTakeover : public QObject
{
    Q_OBJECT
    FakeKeyGrabber grabber;
    MemoryShortcutStore store;
    std::unique_ptr<HotKeyCenter> center;
    int changes = 0;

private slots:
    void init()
    {
        for (CaptureAction a : CaptureActions::all)
            Preferences::shared().remove(HotKeyCenter::preferenceKey(a));
        Preferences::shared().remove(QStringLiteral("shortcuts.takenFromSystem"));
        grabber.heldByOthers.clear();
        store.place.clear();
        store.setTable({{1, QStringLiteral("Take a screenshot"), KeyCode::Digit3, ctrlShift},
                        {4, QStringLiteral("Switch to next input source"), KeyCode::Space,
                         EventFlag::Control}});
        store.setSettings(std::nullopt);
        store.writes = 0;
        store.refuseWrites = false;
        changes = 0;
        center = std::make_unique<HotKeyCenter>(grabber, store);
        center->onChange = [this] { ++changes; };
        center->registerAll();
    }
    void cleanup() { center.reset(); }

    void takingOverSwitchesTheDesktopShortcutOff()
    {
        center->setShortcut(ctrlShift3, CaptureAction::fullScreenToCanvas);
        QCOMPARE(center->status(CaptureAction::fullScreenToCanvas), Status::systemShortcut("Take a screenshot"));
        QVERIFY(center->takeFromSystem(CaptureAction::fullScreenToCanvas));
        // The desktop had no entry for it: one is made, switched off, with the default keys.
        const QJsonObject entry = store.read()->value(QStringLiteral("1")).toObject();
        QCOMPARE(entry.value(QStringLiteral("enabled")), QJsonValue(false));
        QCOMPARE(entry.value(QStringLiteral("value")).toObject().value(QStringLiteral("parameters")),
                 QJsonValue(QJsonArray{65535, 20, double(ctrlShift)}));
        QCOMPARE(taken(), QJsonValue(QJsonArray{1}));
        QCOMPARE(center->status(CaptureAction::fullScreenToCanvas), Status{Status::active});
        QVERIFY(grabber.holds(KeyCode::Digit3, ctrlShift));

        // Switched on again behind our back and taken again: recorded once.
        store.write(SystemShortcuts::settingEnabled(1, true, store.read(), store.builtIns()));
        center->registerAll();
        QVERIFY(center->takeFromSystem(CaptureAction::fullScreenToCanvas));
        QCOMPARE(taken(), QJsonValue(QJsonArray{1}));

        center->giveBackToSystem();
        QCOMPARE(store.read()->value(QStringLiteral("1")).toObject().value(QStringLiteral("enabled")),
                 QJsonValue(true));
        QCOMPARE(taken(), QJsonValue(QJsonArray()));
        QCOMPARE(center->status(CaptureAction::fullScreenToCanvas), Status::systemShortcut("Take a screenshot"));
    }

    void nothingToTake()
    {
        QVERIFY(center->takeFromSystem(CaptureAction::areaToCanvas)); // no clash
        QVERIFY(center->takeFromSystem(CaptureAction::reopenLast));   // no shortcut
        QCOMPARE(store.writes, 0);
        QVERIFY(taken().isUndefined());

        const int before = changes;
        center->giveBackToSystem();
        QCOMPARE(store.writes, 0);
        QCOMPARE(taken(), QJsonValue(QJsonArray()));
        QCOMPARE(changes, before + 1);
    }

    void takeoverThatDoesNotHelpSaysSo()
    {
        center->setShortcut(ctrlShift3, CaptureAction::fullScreenToCanvas);
        store.refuseWrites = true;
        QVERIFY(!center->takeFromSystem(CaptureAction::fullScreenToCanvas));
        QCOMPARE(center->status(CaptureAction::fullScreenToCanvas).kind, Status::system);
        store.refuseWrites = false;
        grabber.heldByOthers.append({KeyCode::Digit3, ctrlShift});
        QVERIFY(!center->takeFromSystem(CaptureAction::fullScreenToCanvas));
        QCOMPARE(center->status(CaptureAction::fullScreenToCanvas), Status{Status::takenByApp});
    }

    void recordingSetsOurGrabsAside()
    {
        QCOMPARE(grabber.taken.size(), 2);
        HotKeyMode::restore(grabber); // nothing saved: nothing happens
        QCOMPARE(changes, 1);
        HotKeyMode::saveAndDisable(grabber);
        HotKeyMode::saveAndDisable(grabber);
        QVERIFY(HotKeyMode::isSaved(grabber));
        QVERIFY(grabber.taken.isEmpty());
        QVERIFY(!grabber.press(KeyCode::Digit2, ctrlShift));
        HotKeyMode::restore(grabber);
        QVERIFY(!HotKeyMode::isSaved(grabber));
        QCOMPARE(grabber.taken.size(), 2);
        QCOMPARE(changes, 2); // registered anew
        QVERIFY(grabber.press(KeyCode::Digit2, ctrlShift));
    }

    void alertTakesOverOnConsent()
    {
        center->setShortcut(ctrlShift3, CaptureAction::fullScreenToCanvas);
        AlertAnswerer answer({QStringLiteral("Use Ctrl+Shift+3 for Quillet™")});
        QVERIFY(offerTakeOver(CaptureAction::fullScreenToCanvas, *center));
        QCOMPARE(answer.seen.size(), 1);
        QCOMPARE(answer.seen[0].text, QStringLiteral("The system already uses Ctrl+Shift+3"));
        QCOMPARE(answer.seen[0].informative,
                 QStringLiteral("Ctrl+Shift+3 is the system’s shortcut for “Take a screenshot”, and the "
                                "system gets it first, so it can’t open Vellum yet.\n\nVellum can switch "
                                "that system shortcut off so Ctrl+Shift+3 is Vellum’s. You can give it "
                                "back any time in Vellum’s Settings, or in your desktop’s keyboard "
                                "shortcut settings."));
        QCOMPARE(answer.seen[0].buttons,
                 (QStringList{"Use Ctrl+Shift+3 for Quillet™", "Keep It for the system"}));
        QCOMPARE(toastText(), QStringLiteral("Ctrl+Shift+3 now opens Quillet™"));
        QCOMPARE(center->status(CaptureAction::fullScreenToCanvas), Status{Status::active});
        // No clash any more: no alert.
        QVERIFY(offerTakeOver(CaptureAction::fullScreenToCanvas, *center));
        QCOMPARE(answer.seen.size(), 1);
    }

    void alertKeepsOrFails()
    {
        center->setShortcut(ctrlShift3, CaptureAction::fullScreenToCanvas);
        {
            AlertAnswerer answer({QStringLiteral("Keep It for the system")});
            QVERIFY(!offerTakeOver(CaptureAction::fullScreenToCanvas, *center));
            QCOMPARE(answer.seen.size(), 1);
            QCOMPARE(store.writes, 0);
        }
        grabber.heldByOthers.append({KeyCode::Digit3, ctrlShift});
        AlertAnswerer answer({QStringLiteral("Use Ctrl+Shift+3 for Quillet™")});
        QVERIFY(!offerTakeOver(CaptureAction::fullScreenToCanvas, *center));
        QCOMPARE(toastText(), QStringLiteral("The system still has Ctrl+Shift+3. Try your desktop’s keyboard "
                                             "shortcut settings."));
    }

    // Where the store knows the desktop, the alert and the toast name its own settings place.
    void alertNamesTheDesktopsPlace()
    {
        store.place = QStringLiteral("Settings, Keyboard, View and Customize Shortcuts");
        center->setShortcut(ctrlShift3, CaptureAction::fullScreenToCanvas);
        grabber.heldByOthers.append({KeyCode::Digit3, ctrlShift});
        AlertAnswerer answer({QStringLiteral("Use Ctrl+Shift+3 for Quillet™")});
        QVERIFY(!offerTakeOver(CaptureAction::fullScreenToCanvas, *center));
        QCOMPARE(answer.seen.size(), 1);
        QVERIFY(answer.seen[0].informative.endsWith(
            QStringLiteral("or in Settings, Keyboard, View and Customize Shortcuts.")));
        QCOMPARE(toastText(), QStringLiteral("The system still has Ctrl+Shift+3. Try Settings, Keyboard, "
                                             "View and Customize Shortcuts."));
    }

    void alertForEveryClashInOrder()
    {
        center->setShortcut(superSpace, CaptureAction::markUpClipboard);
        center->setShortcut(ctrlShift3, CaptureAction::fullScreenToCanvas);
        AlertAnswerer answer({QStringLiteral("Keep It for the system"), QStringLiteral("Keep It for the system")});
        offerTakeOverForAll(*center);
        QCOMPARE(answer.seen.size(), 2);
        QCOMPARE(answer.seen[0].text, QStringLiteral("The system already uses Ctrl+Shift+3"));
        QCOMPARE(answer.seen[1].text, QStringLiteral("The system already uses Super+Space"));
    }
};

QUILLET_TEST_MAIN(TestShortcutTakeover)
#include "tst_shortcuttakeover.moc"
