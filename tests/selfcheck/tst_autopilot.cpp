// The self-check runner: check lines, the summary and exit status, the chain of stages, the
// picture rule, the output folder's safety and the formatter of details.
#include "selfcheck/Autopilot.h"
#include "selfcheck/Chain.h"
#include "selfcheck/Detail.h"
#include "selfcheck/RunFolder.h"

#include "app/SelfCheckFlag.h"
#include "history/Recents.h"
#include "platform/Preferences.h"

#include "SelfCheckOutput.h"
#include "TestEnv.h"

#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

using namespace Autopilot;

namespace {
void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}
} // namespace

class TestAutopilot : public QObject
{
    Q_OBJECT

private slots:
    void checkLines()
    {
        SelfCheckOutput out;
        bool detailAsked = false;
        check(QStringLiteral("a passing check"), true, [&] {
            detailAsked = true;
            return QStringLiteral("never");
        });
        check(QStringLiteral("a failing check"), false, [] { return QStringLiteral("3 vs 4"); });
        check(QStringLiteral("no detail"), false, [] { return QString(); });
        check(QStringLiteral("no detail function"), false);
        QVERIFY(!detailAsked);
        QCOMPARE(out.lines, QStringList({"ok   a passing check", "FAIL a failing check  3 vs 4",
                                         "FAIL no detail  ", "FAIL no detail function  "}));
        QCOMPARE(failures(), 3);
    }

    void summaryAndStatus_data()
    {
        QTest::addColumn<int>("failing");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<int>("status");
        QTest::newRow("none") << 0 << "all checks passed" << 0;
        QTest::newRow("one") << 1 << "1 checks FAILED" << 1;
        QTest::newRow("three") << 3 << "3 checks FAILED" << 1;
    }
    void summaryAndStatus()
    {
        QFETCH(int, failing);
        QFETCH(QString, summary);
        QFETCH(int, status);
        SelfCheckOutput out;
        check(QStringLiteral("fine"), true);
        for (int i = 0; i < failing; ++i)
            check(QStringLiteral("broken"), false);
        finish();
        QCOMPARE(out.lines.last(), summary);
        QCOMPARE(out.status, std::optional<int>(status));
    }

    void aStageThatCannotGoOnEndsTheRun()
    {
        SelfCheckOutput out;
        stageFailed(QStringLiteral("clicking a thumbnail opens its page"), QStringLiteral("no window for the rail"));
        QCOMPARE(out.lines, QStringList({"FAIL clicking a thumbnail opens its page  no window for the rail",
                                         "1 checks FAILED"}));
        QCOMPARE(out.status, std::optional<int>(1));
    }

    // Every step is there in order with the delays of the chain; a step this build lacks says so
    // and, being next in the chain, ends the run.
    void theChain()
    {
        const QList<Chain::Step> &steps = Chain::steps();
        QCOMPARE(steps.size(), 25);
        for (int i = 0; i < steps.size(); ++i)
            QCOMPARE(steps.at(i).number, i + 1);
        QCOMPARE(QLatin1String(steps.first().name), QLatin1String("overlayChecks"));
        QCOMPARE(QLatin1String(steps.last().name), QLatin1String("welcomeChecks"));
        QCOMPARE(steps.at(1).then, std::optional<double>(0.8));
        QCOMPARE(steps.at(13).then, std::optional<double>(2.0));
        QCOMPARE(steps.at(23).then, std::optional<double>(0.4));

        for (const Chain::Step &step : steps) {
            if (step.run)
                continue;
            SelfCheckOutput out;
            Chain::go(step.number, Handover());
            QCOMPARE(out.lines, QStringList({QStringLiteral("     not in this build: ") + QLatin1String(step.name),
                                             QStringLiteral("all checks passed")}));
            QCOMPARE(out.status, std::optional<int>(0));
        }
        SelfCheckOutput out;
        Chain::go(26, Handover());
        QCOMPARE(out.lines, QStringList({"all checks passed"}));
    }

    // What each step hands on to: the next step at once or after its delay; the shape checks
    // once per shape, 0.5 s apart, then the next step at once.
    void whatComesNext_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("shape");
        QTest::addColumn<int>("following");
        QTest::addColumn<int>("followingShape");
        QTest::addColumn<double>("delay"); // -1: called at once
        QTest::newRow("overlay checks call the selecting stage") << 1 << 0 << 2 << 0 << -1.0;
        QTest::newRow("the canvas stage follows 0.8 s later") << 2 << 0 << 3 << 0 << 0.8;
        QTest::newRow("autosave typing waits 2 s") << 14 << 0 << 15 << 0 << 2.0;
        QTest::newRow("wide shape, then ordinary") << 23 << 0 << 23 << 1 << 0.5;
        QTest::newRow("ordinary, then tall") << 23 << 1 << 23 << 2 << 0.5;
        QTest::newRow("after the tall shape the panel checks") << 23 << 2 << 24 << 2 << -1.0;
        QTest::newRow("the welcome checks end the chain") << 25 << 0 << 26 << 0 << -1.0;
    }
    void whatComesNext()
    {
        QFETCH(int, from);
        QFETCH(int, shape);
        QFETCH(int, following);
        QFETCH(int, followingShape);
        QFETCH(double, delay);
        std::optional<std::tuple<int, int, std::optional<double>>> handed;
        Chain::nextForTesting() = [&](int number, const Handover &h, std::optional<double> wait) {
            handed = std::make_tuple(number, h.shape, wait);
        };
        Handover h;
        h.shape = shape;
        Chain::next(from, h);
        Chain::nextForTesting() = nullptr;
        QVERIFY(handed);
        QCOMPARE(std::get<0>(*handed), following);
        QCOMPARE(std::get<1>(*handed), followingShape);
        QCOMPARE(std::get<2>(*handed), delay < 0 ? std::optional<double>() : std::optional<double>(delay));
    }

    void pictures()
    {
        QTemporaryDir dir;
        SelfCheckOutput out;
        // The folder is the run's once run has started (held after its first step).
        Preferences::shared().useMemoryScope();
        Chain::nextForTesting() = [](int, const Handover &, std::optional<double>) {};
        Autopilot::run(dir.path());
        Chain::nextForTesting() = {};
        writeFile(dir.filePath("0-hover.png"), "old");
        writeFile(dir.filePath("notes.txt"), "mine");
        QLabel label(QStringLiteral("seen"));
        label.resize(80, 20);
        out.lines.clear();
        writePicture(&label, QStringLiteral("0-hover"));
        writePicture(QByteArray(), QStringLiteral("5-zoomed-out"));
        QCOMPARE(out.lines, QStringList({"could not make 5-zoomed-out.png"}));
        QVERIFY(QFile(dir.filePath("0-hover.png")).open(QIODevice::ReadOnly));
        QImage written(dir.filePath("0-hover.png"));
        QCOMPARE(written.size(), QSize(80, 20));
        QVERIFY(!QFile::exists(dir.filePath("5-zoomed-out.png")));
        QFile notes(dir.filePath("notes.txt"));
        QVERIFY(notes.open(QIODevice::ReadOnly));
        QCOMPARE(notes.readAll(), QByteArray("mine"));
    }

    // run: the flag, the folder made and marked with its parents, an old history of a marked
    // folder gone, the preferences in memory, then the chain.
    void theEntry()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath("deep/out");
        SelfCheckOutput out;
        Preferences::shared().useMemoryScope();
        std::optional<std::pair<int, Handover>> handed;
        Chain::nextForTesting() = [&](int number, const Handover &h, std::optional<double>) { handed = {number, h}; };
        Autopilot::run(folder);
        QVERIFY(SelfCheckFlag::isSet());
        QCOMPARE(Autopilot::folder(), folder);
        QVERIFY(QFileInfo::exists(folder + "/" + RunFolder::markName));
        QCOMPARE(Recents::folder(), QDir(folder).absoluteFilePath("history"));
        QCOMPARE(Preferences::shared().boolValue("history.paused"), std::optional<bool>(false));
        QCOMPARE(Preferences::shared().intValue("style.size"), std::optional<qint64>(2));
        QCOMPARE(Preferences::shared().stringValue("style.font"), std::optional<QString>("Menlo-Bold"));
        // The chain began with the overlay checks, on the staged picture and the folder.
        QVERIFY(handed);
        QCOMPARE(handed->first, 2);
        QCOMPARE(handed->second.picture.size(), QSize(2880, 1800));
        QCOMPARE(handed->second.folder, folder);

        writeFile(folder + "/history/20260101-000000-ABCD/canvas.json", "{}");
        SelfCheckOutput again;
        Autopilot::run(folder);
        Chain::nextForTesting() = {};
        QVERIFY(!QFileInfo::exists(folder + "/history/20260101-000000-ABCD"));
    }

    void noStagedPictureEndsAtOnce()
    {
        QTemporaryDir dir;
        SelfCheckOutput out;
        auto keep = stagedPicture();
        stagedPicture() = [] { return QImage(); };
        Autopilot::run(dir.filePath("out"));
        stagedPicture() = keep;
        QVERIFY(out.lines.isEmpty());
        QCOMPARE(out.status, std::optional<int>(1));
        QVERIFY(!QFileInfo::exists(dir.filePath("out")));
    }

    // Whether a folder's history may be deleted by a run.
    void folderSafety_data()
    {
        QTest::addColumn<QStringList>("files");   // made before, relative to the folder
        QTest::addColumn<bool>("linkedHistory");
        QTest::addColumn<bool>("mayClear");
        QTest::addColumn<bool>("markedAfter");
        QTest::newRow("missing folder") << QStringList{} << false << true << true;
        QTest::newRow("empty folder") << QStringList{"."} << false << true << true;
        QTest::newRow("marked, with a history")
            << QStringList{RunFolder::markName, "history/x/canvas.json"} << false << true << true;
        QTest::newRow("someone's folder without a history") << QStringList{"notes.txt"} << false << true << false;
        QTest::newRow("someone's folder, empty history") << QStringList{"notes.txt", "history/."} << false << true
                                                         << false;
        QTest::newRow("someone's history") << QStringList{"src/main.c", "history/x/canvas.json"} << false << false
                                           << false;
        QTest::newRow("history is a link, even marked") << QStringList{RunFolder::markName} << true << false << true;
    }
    void folderSafety()
    {
        QFETCH(QStringList, files);
        QFETCH(bool, linkedHistory);
        QFETCH(bool, mayClear);
        QFETCH(bool, markedAfter);
        QTemporaryDir dir;
        const QString folder = dir.filePath("out");
        for (const QString &file : files) {
            if (file.endsWith("/.") || file == ".")
                QDir().mkpath(folder + "/" + file);
            else
                writeFile(folder + "/" + file, "x");
        }
        if (linkedHistory) {
            QDir().mkpath(dir.filePath("elsewhere"));
            QVERIFY(QFile::link(dir.filePath("elsewhere"), folder + "/history"));
        }
        QCOMPARE(RunFolder::prepare(folder), mayClear);
        QCOMPARE(QFileInfo::exists(folder + "/" + RunFolder::markName), markedAfter);
    }

    void refusedFolderKeepsItsHistory()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("code/history/keep.txt"), "precious");
        SelfCheckOutput out;
        Autopilot::run(dir.filePath("code"));
        QCOMPARE(out.status, std::optional<int>(1));
        QVERIFY(out.lines.isEmpty());
        QVERIFY(QFileInfo::exists(dir.filePath("code/history/keep.txt")));
    }

    void details_data()
    {
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("expected");
        using namespace Autopilot::Detail;
        QTest::newRow("whole") << text(1440.0) << "1440";
        QTest::newRow("shortest") << text(0.1 + 0.2) << "0.30000000000000004";
        QTest::newRow("half") << text(-2.5) << "-2.5";
        QTest::newRow("minus zero") << text(-0.0) << "0";
        QTest::newRow("point") << text(QPointF(10, 5.5)) << "(10, 5.5)";
        QTest::newRow("rect") << text(QRectF(432, 180, 720, 450)) << "(432, 180, 720, 450)";
        QTest::newRow("size") << text(QSizeF(96, 54.25)) << "(96, 54.25)";
        QTest::newRow("colour") << text(QList<int>{255, 0, 0}) << "[255, 0, 0]";
        QTest::newRow("empty list") << text(QList<int>{}) << "[]";
        QTest::newRow("texts") << text(QStringList{"a \"b\"", "x\ny"}) << "[\"a \\\"b\\\"\", \"x\\ny\"]";
        QTest::newRow("no rect") << text(std::optional<QRectF>()) << "none";
        QTest::newRow("points") << text(QList<QPointF>{{1, 2}, {3, 4}}) << "[(1, 2), (3, 4)]";
        QTest::newRow("vs") << versus(3, 4) << "3 vs 4";
        QTest::newRow("change") << change(true, false) << "true -> false";
    }
    void details()
    {
        QFETCH(QString, written);
        QFETCH(QString, expected);
        QCOMPARE(written, expected);
    }
};

QUILLET_TEST_MAIN(TestAutopilot)
#include "tst_autopilot.moc"
