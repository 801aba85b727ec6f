#include "onboarding/MeltPictures.h"
#include "onboarding/WelcomeModel.h"
#include "onboarding/WelcomeStaging.h"

#include "TestEnv.h"

#include <QSignalSpy>

using Step = WelcomeModel::Step;
using Status = HotKeyCenter::Status;
Q_DECLARE_METATYPE(std::optional<int>)
Q_DECLARE_METATYPE(std::optional<WelcomeModel::Step>)

namespace {
const Shortcut ctrlShift2{19, Shortcut::Command | Shortcut::Shift, QStringLiteral("2")};
const Status active{Status::active, {}};

// Every notification of the model, counted together.
struct AllSignals {
    QList<std::shared_ptr<QSignalSpy>> spies;
    explicit AllSignals(WelcomeModel &m)
    {
        const QMetaObject *meta = m.metaObject();
        for (int i = meta->methodOffset(); i < meta->methodCount(); ++i)
            if (meta->method(i).methodType() == QMetaMethod::Signal)
                spies << std::make_shared<QSignalSpy>(&m, meta->method(i));
    }
    int count() const
    {
        int n = 0;
        for (const auto &spy : spies)
            n += spy->count();
        return n;
    }
};
} // namespace

class TestWelcomeModel : public QObject
{
    Q_OBJECT
private slots:
    void newModel()
    {
        WelcomeModel m;
        QCOMPARE(m.current(), Step::screen);
        QCOMPARE(m.openStep(), Step::screen);
        QVERIFY(!m.chosen());
        QCOMPARE(m.melt(), 3);
        QCOMPARE(m.status().kind, Status::unassigned);
        QVERIFY(m.held().isEmpty());
        QCOMPARE(m.quill(), MeltPictures::all());
        QCOMPARE(m.ticks(), QList<bool>({false, false, false, false}));
    }

    void stepsFollowTheFields()
    {
        WelcomeModel m;
        m.apply(true, true, ctrlShift2, active);
        QCOMPARE(m.current(), Step::tryIt);
        m.markShotTaken();
        QVERIFY(!m.current());
        QVERIFY(!m.openStep());
        QCOMPARE(m.openIndex(), -1);
        // A shortcut that does not work stops the steps there, first shot or not.
        m.apply(true, true, ctrlShift2, Status::systemShortcut(QStringLiteral("Take a screenshot")));
        QCOMPARE(m.current(), Step::shortcut);
        m.apply(true, true, ctrlShift2, {Status::takenByApp, {}});
        QCOMPARE(m.current(), Step::shortcut);
        // A withdrawn facility moves back.
        m.apply(false, true, ctrlShift2, active);
        QCOMPARE(m.current(), Step::screen);
    }

    void applyRule()
    {
        WelcomeModel m;
        m.apply(true, false, ctrlShift2, active);
        m.setChosen(Step::shortcut);
        AllSignals all(m);
        // Nothing new: nothing published, the chosen step stays.
        QVERIFY(!m.apply(true, false, ctrlShift2, active));
        QCOMPARE(all.count(), 0);
        // Only the key text: no tick moves, the chosen step stays.
        Shortcut renamed = ctrlShift2;
        renamed.key = QStringLiteral("@");
        QSignalSpy shortcutSpy(&m, &WelcomeModel::shortcutChanged);
        QVERIFY(m.apply(true, false, renamed, active));
        QCOMPARE(shortcutSpy.count(), 1);
        QCOMPARE(m.chosen(), Step::shortcut);
        // A tick moves: the window follows the new current step.
        QSignalSpy chosenSpy(&m, &WelcomeModel::chosenChanged);
        QSignalSpy openSpy(&m, &WelcomeModel::openStepChanged);
        QVERIFY(m.apply(true, true, renamed, active));
        QVERIFY(!m.chosen());
        QCOMPARE(chosenSpy.count(), 1);
        QCOMPARE(openSpy.count(), 1);
        QCOMPARE(m.openStep(), Step::tryIt);
        // A status of the same kind with another name is a change.
        QVERIFY(m.apply(true, true, renamed, Status::systemShortcut(QStringLiteral("a"))));
        QVERIFY(m.apply(true, true, renamed, Status::systemShortcut(QStringLiteral("b"))));
    }

    void meltAndHeaderStrip()
    {
        WelcomeModel m;
        for (int i = 0; i < 7; ++i)
            m.meltOnce();
        QCOMPARE(m.melt(), 0);
        m.meltOnce();
        QCOMPARE(m.melt(), 1);

        // The strip opens the first step, unless it is open already.
        m.openStepsAtStart();
        QVERIFY(!m.chosen());
        m.apply(true, true, std::nullopt, {});
        m.openStepsAtStart();
        QCOMPARE(m.chosen(), Step::screen);
        m.apply(true, true, ctrlShift2, active);
        m.markShotTaken();
        m.openStepsAtStart();
        QCOMPARE(m.openStep(), Step::screen);
    }

    void staging_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("screen");
        QTest::addColumn<bool>("access");
        QTest::addColumn<bool>("captured");
        QTest::addColumn<std::optional<Step>>("chosen");
        QTest::addColumn<bool>("recording");
        QTest::addColumn<std::optional<int>>("melt");
        const std::optional<Step> none;
        const std::optional<int> keep;
        QTest::newRow("fresh") << "fresh" << false << false << false << none << false << keep;
        QTest::newRow("access:7") << "access:7" << true << false << false << none << false << std::optional<int>(7);
        QTest::newRow("done") << "done" << true << true << true << none << false << keep;
        QTest::newRow("shortcut") << "shortcut" << true << true << false << std::optional<Step>(Step::shortcut) << false << keep;
        QTest::newRow("recording:0") << "recording:0" << true << true << false << std::optional<Step>(Step::shortcut) << true << std::optional<int>(0);
        QTest::newRow("fresh:12") << "fresh:12" << false << false << false << none << false << keep;
        QTest::newRow(":5 has no stage") << ":5" << true << true << false << none << false << keep;
        QTest::newRow("+5 is no stage") << "done:+5" << true << true << true << none << false << keep;
        QTest::newRow("empty") << "" << true << true << false << none << false << keep;
    }
    void staging()
    {
        QFETCH(QString, value);
        const WelcomeStaging s = WelcomeStaging::parse(value);
        QTEST(s.screen, "screen");
        QTEST(s.access, "access");
        QTEST(s.captured, "captured");
        QTEST(s.chosen, "chosen");
        QTEST(s.recording, "recording");
        QTEST(s.melt, "melt");
    }

    void viewsSide()
    {
        WelcomeModel m;
        m.apply(true, true, ctrlShift2, Status::systemShortcut(QStringLiteral("Screenshot")));
        QCOMPARE(m.shortcutCaps(), QStringList({"Ctrl", "Shift", "2"}));
        QCOMPARE(m.shortcutText(), QStringLiteral("Ctrl+Shift+2"));
        QCOMPARE(m.statusKind(), QStringLiteral("system"));
        QCOMPARE(m.statusName(), QStringLiteral("Screenshot"));
        m.apply(true, true, std::nullopt, {});
        QVERIFY(m.shortcutCaps().isEmpty());
        // Steps from the views outside 0…3 are ignored.
        m.choose(7);
        QVERIFY(!m.chosen());
        m.choose(3);
        QCOMPARE(m.chosen(), Step::tryIt);
    }
};

QUILLET_TEST_MAIN(TestWelcomeModel)
#include "tst_welcomemodel.moc"
