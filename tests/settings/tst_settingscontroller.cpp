#include "SettingsFixture.h"
#include "platform/WindowFrame.h"
#include "settings/HeaderWindow.h"
#include "settings/SettingsQml.h"

#include <QMetaMethod>
#include <QSignalSpy>

namespace {
const Shortcut ctrlShift3{KeyCode::Digit3, Shortcut::Command | Shortcut::Shift, "3"};

// Counts every change notification a model sends.
struct NotifyCounter {
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    explicit NotifyCounter(SettingsModel &model)
    {
        const QMetaObject *meta = model.metaObject();
        for (int i = meta->methodOffset(); i < meta->methodCount(); ++i)
            if (meta->method(i).methodType() == QMetaMethod::Signal)
                spies.push_back(std::make_unique<QSignalSpy>(&model, meta->method(i)));
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

class TestSettingsController : public QObject
{
    Q_OBJECT
    std::unique_ptr<SettingsFixture> f;

    void click(QWindow *window)
    {
        QTest::mouseClick(window, Qt::LeftButton, {}, QPoint(400, 300));
    }

private slots:
    void init() { f = std::make_unique<SettingsFixture>(); }
    void cleanup()
    {
        f.reset();
        QCOMPARE(ShortcutRecorder::suspensions(), 0);
    }

    void unchangedRefreshNotifiesNobody()
    {
        f->make();
        NotifyCounter counter(f->model());
        f->controller->refresh();
        f->controller->refresh();
        QCOMPARE(counter.count(), 0);
        f->permissions->microphoneAnswer = {false, Permissions::noMicrophoneReason()};
        f->controller->refresh();
        QCOMPARE(counter.count(), 1);
        QCOMPARE(f->model().microphoneReason(), QStringLiteral("No microphone found."));
    }

    void clearedShortcutIsAbsent()
    {
        f->center->setShortcut(std::nullopt, CaptureAction::areaToCanvas);
        f->make();
        QVERIFY(!f->model().shortcuts().count(CaptureAction::areaToCanvas));
        QVERIFY(f->model().shortcuts().count(CaptureAction::areaToClipboard));
        QCOMPARE(f->recorder(CaptureAction::areaToCanvas).title(), QStringLiteral("Record shortcut"));
        QCOMPARE(f->model().statuses().at(CaptureAction::areaToCanvas).kind,
                 HotKeyCenter::Status::unassigned);
    }

    void languagesAreAskedOnceEvenWhenNoneCome()
    {
        f->make();
        QCOMPARE(f->languageQuestions, 1);
        f->controller->refresh();
        f->controller->show();
        QCOMPARE(f->languageQuestions, 1);
        QVERIFY(f->model().talkLanguages().isEmpty());
    }

    void stagedMissingShowsEveryFacilityMissing()
    {
        f->make();
        QVERIFY(f->model().screen() && f->model().access() && f->model().microphone());
        f->controller->stage(QStringLiteral("permissions:missing"), false);
        QVERIFY(!f->model().screen() && !f->model().access() && !f->model().microphone());
        f->controller->refresh(); // staged answers outlive refreshes
        QVERIFY(!f->model().screen());
    }

    void storedSection_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("section");
        QTest::newRow("canvas") << "canvas" << int(SettingsSection::canvas);
        QTest::newRow("other case") << "Canvas" << int(SettingsSection::shortcuts);
        QTest::newRow("missing") << "" << int(SettingsSection::shortcuts);
    }
    void storedSection()
    {
        QFETCH(QString, stored);
        QFETCH(int, section);
        if (!stored.isEmpty())
            Preferences::shared().setValue(QStringLiteral("settings.section"), stored);
        f->make();
        QCOMPARE(int(f->model().section()), section);
    }

    void aToggleRightAfterItsRecordingEndedIsSwallowed()
    {
        f->make().show();
        f->model().toggleRecording(QStringLiteral("areaToCanvas"));
        QVERIFY(f->recorder(CaptureAction::areaToCanvas).isRecording());
        QCOMPARE(f->model().recordingName(), QStringLiteral("areaToCanvas"));
        // A click on the well ends the recording first, then reaches the well.
        click(f->controller->window());
        QVERIFY(!f->recorder(CaptureAction::areaToCanvas).isRecording());
        f->scheduler.advance(0.1);
        f->model().toggleRecording(QStringLiteral("areaToCanvas"));
        QVERIFY(!f->recorder(CaptureAction::areaToCanvas).isRecording());
        // Later clicks start it again.
        f->scheduler.advance(0.5);
        click(f->controller->window());
        f->model().toggleRecording(QStringLiteral("areaToCanvas"));
        QVERIFY(f->recorder(CaptureAction::areaToCanvas).isRecording());
        f->controller->window()->close();
    }

    void startingOneRecorderStopsTheOthers()
    {
        f->make().show();
        f->model().toggleRecording(QStringLiteral("areaToCanvas"));
        QVERIFY(f->grabber.isSuspended());
        f->model().toggleRecording(QStringLiteral("areaToClipboard"));
        QVERIFY(!f->recorder(CaptureAction::areaToCanvas).isRecording());
        QVERIFY(f->recorder(CaptureAction::areaToClipboard).isRecording());
        QCOMPARE(ShortcutRecorder::suspensions(), 1);
        QVERIFY(f->grabber.isSuspended()); // still: the second recorder records
        QCOMPARE(f->model().recordingName(), QStringLiteral("areaToClipboard"));
        f->controller->window()->close();
        QVERIFY(!f->grabber.isSuspended());
    }

    void waysOutOfRecording_data()
    {
        QTest::addColumn<int>("way");
        QTest::newRow("section") << 0;
        QTest::newRow("restore defaults") << 1;
        QTest::newRow("give back") << 2;
        QTest::newRow("close") << 3;
    }
    void waysOutOfRecording()
    {
        QFETCH(int, way);
        f->make().show();
        f->model().toggleRecording(QStringLiteral("areaToCanvas"));
        QVERIFY(f->grabber.taken.isEmpty());
        switch (way) {
        case 0: f->model().select(int(SettingsSection::about)); break;
        case 1: f->model().restoreDefaults(); break;
        case 2: f->model().giveBack(); break;
        case 3: f->controller->window()->close(); break;
        }
        QVERIFY(!f->recorder(CaptureAction::areaToCanvas).isRecording());
        QVERIFY(!f->model().recording());
        QVERIFY(!f->grabber.isSuspended());
        QVERIFY(f->grabber.holds(KeyCode::Digit2, EventFlag::Command | EventFlag::Shift));
        if (way == 0)
            QCOMPARE(Preferences::shared().stringValue(QStringLiteral("settings.section")),
                     QStringLiteral("about"));
        if (way == 2)
            QCOMPARE(f->dialogs->alerts.size(), 1);
    }

    void recordingTheDesktopsCombinationOffersTheTakeOver()
    {
        f->make().show();
        f->model().toggleRecording(QStringLiteral("areaToCanvas"));
        QTest::keyClick(f->controller->window(), Qt::Key_NumberSign, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(f->center->shortcut(CaptureAction::areaToCanvas), ctrlShift3);
        QCOMPARE(f->model().statuses().at(CaptureAction::areaToCanvas).kind, HotKeyCenter::Status::system);
        QVERIFY(f->offered.isEmpty()); // asked after the key event is done
        f->scheduler.advance(0);
        QCOMPARE(f->offered, QList<CaptureAction>{CaptureAction::areaToCanvas});
    }

    void heldAndRefusalsReachTheModel()
    {
        f->make().show();
        f->model().toggleRecording(QStringLiteral("areaToCanvas"));
        QTest::keyPress(f->controller->window(), Qt::Key_Control, Qt::ControlModifier);
        QTest::keyPress(f->controller->window(), Qt::Key_Shift, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(f->model().held(), (QStringList{"Ctrl", "Shift"}));
        QTest::keyRelease(f->controller->window(), Qt::Key_Shift, Qt::ControlModifier | Qt::ShiftModifier);
        QTest::keyRelease(f->controller->window(), Qt::Key_Control, Qt::ControlModifier);
        QCOMPARE(f->model().held(), QStringList());
        ShortcutRecorder::beep = [] {};
        QTest::keyClick(f->controller->window(), Qt::Key_B);
        QCOMPARE(f->model().refusalsForView().value("areaToCanvas").toString(),
                 QStringLiteral("Add Ctrl, Super or Alt, or use a function key."));
        QTest::keyClick(f->controller->window(), Qt::Key_Escape);
        QVERIFY(f->model().refusals().empty());
    }

    void staging_data()
    {
        QTest::addColumn<QString>("spec");
        QTest::addColumn<int>("section");
        QTest::newRow("general:install") << "general:install" << int(SettingsSection::general);
        QTest::newRow("contact:sent") << "contact:sent" << int(SettingsSection::contact);
        QTest::newRow("contact:failed") << "contact:failed" << int(SettingsSection::contact);
        QTest::newRow("problems") << "shortcuts:missing,problems" << int(SettingsSection::shortcuts);
        QTest::newRow("unknown section") << "bogus:melt" << int(SettingsSection::shortcuts);
    }
    void staging()
    {
        QFETCH(QString, spec);
        QFETCH(int, section);
        Preferences::shared().setValue(QStringLiteral("settings.section"), QStringLiteral("legal"));
        f->make().stage(spec, false);
        SettingsModel &m = f->model();
        QVERIFY(m.staged());
        QCOMPARE(int(m.section()), section);
        QCOMPARE(f->controller->window()->title(), QStringLiteral("Quillet™ Settings (") + spec + ")");
        QCOMPARE(Preferences::shared().stringValue(QStringLiteral("settings.section")), QStringLiteral("legal"));
        QVERIFY(f->controller->window()->isVisible());
        if (spec == "general:install")
            QVERIFY(m.installOpening());
        if (spec.startsWith("contact:")) {
            QCOMPARE(m.contactState(), spec.endsWith("sent") ? SettingsModel::ContactState::sent
                                                            : SettingsModel::ContactState::failed);
            QCOMPARE(m.contactMessage(), QStringLiteral("The arrow lands a little left of where I let go."));
            QCOMPARE(m.contactEmail(), QStringLiteral("you@example.com"));
        }
        if (spec.contains("problems")) {
            QCOMPARE(m.statuses().at(CaptureAction::areaToCanvas).kind, HotKeyCenter::Status::takenByApp);
            QCOMPARE(m.statuses().at(CaptureAction::areaToClipboard),
                     HotKeyCenter::Status::systemShortcut("Save picture of selected area to the clipboard"));
            QVERIFY(!m.screen() && !m.access());
        }
        if (spec.contains("melt")) {
            QCOMPARE(m.sidebarMelt(), 6);
            QCOMPARE(m.aboutMelt(), 9);
        }
    }

    void theMascotMeltsOnAClickAndMovesTheWindowOnADrag()
    {
        f->make().show();
        QWindow *quill = reinterpret_cast<QWindow *>(f->controller->mascot());
        QVERIFY(quill->isVisible());
        const QRect frame = f->controller->window()->frameGeometry();
        QCOMPARE(quill->position(), QPoint(frame.left() + 12, frame.top() - 89));
        f->model().setSidebarMelt(5);
        QTest::mouseClick(quill, Qt::LeftButton, {}, QPoint(100, 100));
        QCOMPARE(f->model().sidebarMelt(), 6);
        QTest::mouseClick(quill, Qt::LeftButton, {}, QPoint(100, 100));
        QCOMPARE(f->model().sidebarMelt(), 0);
        const QPoint before = f->controller->window()->position();
        QTest::mousePress(quill, Qt::LeftButton, {}, QPoint(100, 100));
        QTest::mouseMove(quill, QPoint(140, 120));
        // The mascot followed the window, so the pointer is where it was pressed on it.
        QTest::mouseRelease(quill, Qt::LeftButton, {}, QPoint(100, 100));
        QCOMPARE(f->controller->window()->position(), before + QPoint(40, 20));
        QCOMPARE(f->model().sidebarMelt(), 0);
    }

    // Before the window manager has framed the window (its first show), the title bar it will
    // put on is counted already, so the mascot does not sit a title bar too low.
    void theMascotCountsTheTitleBarFromTheStart()
    {
        WindowFrame::setTitleBarHeightForTesting(24);
        QWindow parent;
        parent.setGeometry(300, 200, 840, 640); // not shown: no frame is known yet
        HeaderWindow quill(SettingsQml::engine(), &parent, QSize(240, 212), 12, 89);
        QCOMPARE(quill.placement(), QRect(312, 200 - 24 - 89, 240, 212));
        parent.setFlags(parent.flags() | Qt::FramelessWindowHint); // no title bar to count
        QCOMPARE(quill.placement(), QRect(312, 200 - 89, 240, 212));
        WindowFrame::setTitleBarHeightForTesting(std::nullopt);
    }

    void loginFailureSaysSoAndShowsTheRealState()
    {
        f->make();
        f->login->failure = QStringLiteral("The folder is read-only.");
        f->model().setLogin(true);
        QCOMPARE(f->toasts, QStringList{"Could not change: The folder is read-only."});
        QVERIFY(!f->model().login());
        f->login->failure.reset();
        f->model().setLogin(true);
        QVERIFY(f->model().login());
    }

    void theTimerRefreshesUnlessRecording()
    {
        f->make().show();
        f->permissions->accessAnswer = {false, Permissions::noXTestReason()};
        f->scheduler.advance(1.0);
        QVERIFY(!f->model().access());
        f->model().toggleRecording(QStringLiteral("areaToCanvas"));
        f->permissions->accessAnswer = {true, {}};
        f->scheduler.advance(2.0);
        QVERIFY(!f->model().access());
        f->controller->window()->close();
        QCOMPARE(f->scheduler.pendingCount(), 0);
    }

    void chosenFolderIsStored()
    {
        f->make();
        const QString folder = TestEnv::home() + QStringLiteral("/Pictures");
        QDir().mkpath(folder);
        f->dialogs->folderAnswer = folder;
        f->model().chooseFolder();
        QCOMPARE(f->dialogs->lastPrompt, QStringLiteral("Choose"));
        QCOMPARE(Preferences::shared().stringValue(QStringLiteral("export.folder")), folder);
        QCOMPARE(f->model().saveFolder(), QStringLiteral("Pictures"));
    }
};

QUILLET_QUICK_TEST_MAIN(TestSettingsController)
#include "tst_settingscontroller.moc"
