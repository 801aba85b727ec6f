// The report window: its texts by mode, one outcome however it closes, what Send sends, the
// details, and how crash and problem windows wait for one another.
#include "ReportServer.h"

#include "reports/Reports.h"
#include "reports/ReportWindowController.h"

#include "app/ChromeViews.h"
#include "app/Toast.h"
#include "app/PreferenceReaders.h"
#include "platform/BuildInfo.h"
#include "platform/Preferences.h"

#include "TestEnv.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {
using Mode = ReportWindowController::Mode;

Report report(const QString &summary = QStringLiteral("EXC_BAD_ACCESS (SIGSEGV) in a()"))
{
    Report r(QUuid::createUuid().toString(QUuid::WithoutBraces).toLower(), Report::Kind::crash,
             QDateTime::currentDateTimeUtc(), Reports::appInfo(), {}, QStringLiteral("install"), summary,
             QStringLiteral("log"), {});
    r.crash = QStringLiteral("crash text");
    return r;
}

QString toastText()
{
    QWidget *panel = Toast::current();
    auto *label = panel ? panel->findChild<GlassLabel *>() : nullptr;
    return label ? label->label()->text() : QString();
}

QStringList labelTexts(const ReportWindowController &c)
{
    QStringList texts;
    for (QLabel *l : c.labelsForTest)
        texts << l->text();
    return texts;
}
} // namespace

class TestReportWindow : public QObject
{
    Q_OBJECT
    std::unique_ptr<ReportServer> server;

    QList<ReportWindowController::Outcome> outcomes;
    std::unique_ptr<ReportWindowController> make(Mode mode, int count = 1)
    {
        QList<Report> reports;
        for (int i = 0; i < count; ++i)
            reports << report();
        return std::make_unique<ReportWindowController>(
            mode, reports, QString(), [this](const ReportWindowController::Outcome &o) { outcomes << o; });
    }

private slots:
    void initTestCase()
    {
        ReportServer::trust();
    }

    void init()
    {
        outcomes.clear();
        QDir(Reports::folder()).removeRecursively();
        server = std::make_unique<ReportServer>();
        BuildInfo::overrideValue(QStringLiteral("QLReportURL"), server->url());
        for (const char *key : {"reports.auto", "reports.contact"})
            Prefs::store().remove(QString::fromLatin1(key));
    }

    void cleanup()
    {
        if (Reports::openWindow)
            Reports::openWindow->window()->close();
        QTest::qWait(1);
        Reports::keepUnanswered();
        Reports::takePending();
        QVERIFY(QTest::qWaitFor([] { return toastText().isEmpty(); }, 5000));
    }

    void texts_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("expected"); // title, lead, cancel button
        QTest::addColumn<bool>("checkbox");
        QTest::newRow("one crash") << int(Mode::crash) << 1
            << QStringList{"Quillet™", "Sorry about that. Sharing the crash report with the developer is the fastest way to get it fixed.", "Don’t Send"}
            << true;
        QTest::newRow("two crashes") << int(Mode::crash) << 2
            << QStringList{"Quillet™", "Sorry about that. Sharing the crash reports with the developer is the fastest way to get it fixed.", "Don’t Send"}
            << true;
        QTest::newRow("feedback") << int(Mode::feedback) << 1
            << QStringList{"Report a Problem", "Something not working, or not feeling right? Describe it and it goes straight to the developer, with a short technical report.", "Cancel"}
            << false;
    }
    void texts()
    {
        QFETCH(int, mode);
        QFETCH(int, count);
        QFETCH(QStringList, expected);
        QFETCH(bool, checkbox);
        auto c = make(Mode(mode), count);
        QCOMPARE(c->window()->windowTitle(), expected.at(0));
        const QStringList labels = labelTexts(*c);
        QCOMPARE(labels.size(), 5);
        QCOMPARE(labels.at(1), expected.at(1));
        QVERIFY(labels.at(2).contains(QLatin1String("the version of the app and of the system, and your computer model")));
        QCOMPARE(c->cancelButton()->text(), expected.at(2));
        QVERIFY(c->sendButton()->isDefault());
        QCOMPARE(c->always->parent() != nullptr, checkbox);
        QCOMPARE(c->comment->height(), checkbox ? 70 : 110);
        // Nothing is cut off at the window's own size.
        c->window()->show();
        QCoreApplication::processEvents();
        for (QLabel *l : c->labelsForTest)
            QVERIFY2(l->height() >= l->heightForWidth(l->width()) - 1, qPrintable(l->text()));
    }

    // Escape, the close button, Cancel and Send each give exactly one outcome; nothing after.
    void oneOutcome_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("send");
        QTest::newRow("Escape") << "escape" << false;
        QTest::newRow("close button") << "close" << false;
        QTest::newRow("Don't Send") << "cancel" << false;
        QTest::newRow("Send Report") << "send" << true;
        QTest::newRow("Return") << "return" << true;
    }
    void oneOutcome()
    {
        QFETCH(QString, how);
        QFETCH(bool, send);
        auto c = make(Mode::crash);
        c->window()->show();
        QVERIFY(QTest::qWaitForWindowExposed(c->window()));
        if (how == QLatin1String("escape"))
            QTest::keyClick(c->comment, Qt::Key_Escape);
        else if (how == QLatin1String("close"))
            c->window()->close();
        else if (how == QLatin1String("cancel"))
            c->cancelButton()->click();
        else if (how == QLatin1String("return"))
            QTest::keyClick(c->email, Qt::Key_Return);
        else
            c->sendButton()->click();
        QVERIFY(!c->window()->isVisible());
        c->sendPressed();
        c->cancelPressed();
        QCOMPARE(outcomes.size(), 1);
        QCOMPARE(outcomes.first().send, send);
    }

    void fieldsAreTrimmed()
    {
        auto c = make(Mode::crash);
        c->comment->setPlainText(QStringLiteral("\n  I pressed Return\non a canvas  \n\n"));
        c->email->setText(QStringLiteral("  me@example.org \t"));
        c->always->setChecked(true);
        c->sendPressed();
        QCOMPARE(outcomes.first().comment, QStringLiteral("I pressed Return\non a canvas"));
        QCOMPARE(outcomes.first().email, QStringLiteral("me@example.org"));
        QVERIFY(outcomes.first().always);
    }

    // The details show the very reports Send sends: the compact body, pretty-printed.
    void details()
    {
        auto c = make(Mode::crash, 2);
        c->comment->setPlainText(QStringLiteral(" it broke "));
        c->email->setText(QStringLiteral("   "));
        const QList<Report> applied = c->appliedReports();
        QCOMPARE(*applied.at(0).comment, QStringLiteral("it broke"));
        QVERIFY(!applied.at(0).contact);
        QCOMPARE(c->detailsJSON(), QString::fromUtf8(*applied.at(0).json(true) + "\n\n" + *applied.at(1).json(true)));
        QCOMPARE(QJsonDocument::fromJson(applied.at(0).json(true)->trimmed()).toJson(QJsonDocument::Compact),
                 QJsonDocument::fromJson(*applied.at(0).json(false)).toJson(QJsonDocument::Compact));

        c->window()->show();
        c->showDetails();
        QVERIFY(c->details);
        QCOMPARE(c->details->windowModality(), Qt::WindowModal);
        auto *text = c->details->findChild<QPlainTextEdit *>(QStringLiteral("detailsText"));
        QCOMPARE(text->toPlainText(), c->detailsJSON());
        QCOMPARE(text->font().pixelSize(), 11);
        c->details->findChild<QPushButton *>(QStringLiteral("copy"))->click();
        QCOMPARE(QGuiApplication::clipboard()->text(), c->detailsJSON());

        const QString path = TestEnv::home() + QStringLiteral("/saved.json");
        QString suggested;
        ReportWindowController::askSavePath = [&](QWidget *, const QString &name) {
            suggested = name;
            return path;
        };
        c->details->findChild<QPushButton *>(QStringLiteral("save"))->click();
        QCOMPARE(suggested, QStringLiteral("Quillet report.json"));
        QFile saved(path);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(saved.readAll()), c->detailsJSON());
        c->details->findChild<QPushButton *>(QStringLiteral("done"))->click();
        QVERIFY(!c->details);
        QVERIFY(outcomes.isEmpty());
    }

    // Sending from the window: the choices are stored, each report goes with the fields, and one
    // toast tells how it went.
    void sendFromWindow_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("oneFails");
        QTest::addColumn<QString>("toast");
        QTest::newRow("crash, both sent") << int(Mode::crash) << false << "Report sent. Thank you.";
        QTest::newRow("crash, one fails") << int(Mode::crash) << true << "No connection: it will be sent next time Quillet™ opens.";
        QTest::newRow("feedback") << int(Mode::feedback) << false << "Report sent. Thank you.";
    }
    void sendFromWindow()
    {
        QFETCH(int, mode);
        QFETCH(bool, oneFails);
        QFETCH(QString, toast);
        Prefs::store().setValue(QStringLiteral("reports.contact"), QStringLiteral("old@example.org"));
        const QList<Report> reports = mode == int(Mode::crash) ? QList<Report>{report(), report()} : QList<Report>{report()};
        if (oneFails)
            server->failing = reports.first().id.toLatin1();
        Reports::showWindow(Mode(mode), reports);
        ReportWindowController *c = Reports::openWindow;
        QVERIFY(c && c->window()->isVisible());
        QCOMPARE(c->email->text(), QStringLiteral("old@example.org"));
        c->comment->setPlainText(QStringLiteral("words"));
        c->email->setText(QStringLiteral(" "));
        c->always->setChecked(true);
        c->sendButton()->click();
        QVERIFY(!Reports::openWindow);
        QVERIFY(QTest::qWaitFor([&] { return !toastText().isEmpty(); }, 20000));
        QCOMPARE(toastText(), toast);
        QCOMPARE(server->requests.size(), reports.size());
        for (const ReportServer::Request &put : server->requests) {
            const std::optional<Report> sent = Report::fromJson(put.body);
            QCOMPARE(*sent->comment, QStringLiteral("words"));
            QVERIFY(!sent->contact);
        }
        QCOMPARE(Prefs::store().stringValue(QStringLiteral("reports.contact")), QString());
        // Only a crash window's Send changes automatic sending.
        QCOMPARE(Prefs::store().boolValue(QStringLiteral("reports.auto")).has_value(), mode == int(Mode::crash));
        QCOMPARE(QDir(Reports::outboxFolder()).entryList(QDir::Files).size(), oneFails ? 1 : 0);
    }

    void cancelSendsNothing()
    {
        Reports::showWindow(Mode::crash, {report()});
        Reports::openWindow->always->setChecked(true);
        QTest::keyClick(Reports::openWindow->comment, Qt::Key_Escape);
        QVERIFY(!Reports::openWindow);
        QTest::qWait(200);
        QVERIFY(server->requests.isEmpty());
        QVERIFY(!Prefs::store().contains(QStringLiteral("reports.auto")));
        QVERIFY(QDir(Reports::outboxFolder()).entryList(QDir::Files).isEmpty());
    }

    // Neither window drops the other's reports.
    void crashAndProblemWindowsWait()
    {
        const Report crash = report();
        Reports::showWindow(Mode::crash, {crash});
        QPointer<ReportWindowController> crashWindow = Reports::openWindow;
        Reports::reportProblem(); // the crash window comes forward instead
        QCOMPARE(Reports::openWindow, crashWindow);
        QCOMPARE(crashWindow->mode, Mode::crash);
        crashWindow->cancelPressed();
        QVERIFY(!Reports::openWindow);

        Reports::reportProblem();
        QPointer<ReportWindowController> problem = Reports::openWindow;
        QCOMPARE(problem->mode, Mode::feedback);
        QCOMPARE(problem->reports.first().summary, QStringLiteral("Report a Problem"));
        Reports::showWindow(Mode::crash, {crash}); // waits for the problem window
        QCOMPARE(Reports::openWindow, problem);
        problem->cancelPressed();
        QVERIFY(QTest::qWaitFor([] { return Reports::openWindow && Reports::openWindow->mode == Mode::crash; }));
        QCOMPARE(Reports::openWindow->reports.first().id, crash.id);

        // Unanswered at quit: kept for the next check.
        Reports::keepUnanswered();
        const QList<Report> pending = Reports::takePending();
        QCOMPARE(pending.size(), 1);
        QCOMPARE(pending.first().id, crash.id);
    }

    // A second problem report replaces the first, which counts as cancelled.
    void problemReplacesProblem()
    {
        Reports::reportProblem();
        QPointer<ReportWindowController> first = Reports::openWindow;
        Reports::reportProblem();
        QVERIFY(Reports::openWindow != first);
        QVERIFY(!first || first->finished);
        QTest::qWait(1);
        QVERIFY(Reports::openWindow);
        QVERIFY(server->requests.isEmpty());
    }
};

QUILLET_TEST_MAIN(TestReportWindow)
#include "tst_reportwindow.moc"
