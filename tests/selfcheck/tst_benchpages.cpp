// The page-switch benchmark: its command-line count and columns, its walk, and whole runs on the
// real canvas (untimed: only what is printed and how it ends).
#include "selfcheck/BenchPages.h"

#include "launch/AppDelegate.h"

#include "history/Recents.h"
#include "platform/Preferences.h"
#include "platform/fake/FakeScreenSource.h"

#include "SelfCheckOutput.h"
#include "TestEnv.h"

#include <QRegularExpression>

using namespace Autopilot;

class TestBenchPages : public QObject
{
    Q_OBJECT

    std::unique_ptr<AppDelegate> delegate;

private slots:
    void initTestCase()
    {
        auto screens = std::make_shared<FakeScreenSource>();
        screens->screenList = {{11, "A", QRect(0, 0, 1440, 900), 1.0}};
        delegate = std::make_unique<AppDelegate>(QStringList{"quillet"}, screens);
        delegate->installCanvasServices();
    }

    void counts_data()
    {
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<std::optional<qint64>>("count");
        using N = std::optional<qint64>;
        QTest::newRow("plain") << QStringList{"12"} << N(12);
        QTest::newRow("plus") << QStringList{"+3"} << N(3);
        QTest::newRow("minus") << QStringList{"-2"} << N(-2);
        QTest::newRow("zero") << QStringList{"0"} << N(0);
        QTest::newRow("sign alone") << QStringList{"+"} << N();
        QTest::newRow("letters") << QStringList{"x"} << N();
        QTest::newRow("trailing letter") << QStringList{"3x"} << N();
        QTest::newRow("blank inside") << QStringList{" 3"} << N();
        QTest::newRow("empty word") << QStringList{""} << N();
        QTest::newRow("no word") << QStringList{} << N();
        QTest::newRow("largest") << QStringList{"9223372036854775807"} << N(9223372036854775807LL);
        QTest::newRow("overflow") << QStringList{"9223372036854775808"} << N();
    }
    void counts()
    {
        QFETCH(QStringList, words);
        QFETCH(std::optional<qint64>, count);
        QCOMPARE(parseCount(1, QStringList{"quillet", "--columns"} + words), count);
    }

    void railWidths_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<double>("width");
        QTest::newRow("three columns") << QStringList{"quillet", "--bench-pages", "--columns", "3"} << 484.0;
        QTest::newRow("two columns") << QStringList{"quillet", "--columns", "2"} << 334.0;
        QTest::newRow("zero") << QStringList{"quillet", "--columns", "0"} << 184.0;
        QTest::newRow("not a number") << QStringList{"quillet", "--columns", "x"} << 184.0;
        QTest::newRow("last word") << QStringList{"quillet", "--columns"} << 184.0;
        QTest::newRow("none") << QStringList{"quillet", "--bench-pages", "3"} << 184.0;
    }
    void railWidths()
    {
        QFETCH(QStringList, arguments);
        QFETCH(double, width);
        QCOMPARE(benchRailWidth(arguments), width);
    }

    void walks()
    {
        QCOMPARE(benchWalk(1), QList<int>{0});
        QCOMPARE(benchWalk(3), (QList<int>{2, 1, 0, 1, 2, 1, 0}));
        const QList<int> twelve = benchWalk(12);
        QCOMPARE(twelve.size(), 34);
        QCOMPARE(twelve.first(), 11);
        QCOMPARE(twelve.at(11), 0);
        QCOMPARE(twelve.at(22), 11);
        QCOMPARE(twelve.last(), 0);
    }

    void pictures()
    {
        const QImage first = benchPicture(0), third = benchPicture(2);
        QCOMPARE(first.size(), QSize(3400, 2100));
        QCOMPARE(third.size(), QSize(3480, 2100));
    }

    // A count below 1 is refused before anything is made.
    void countsBelowOneAreRefused_data()
    {
        QTest::addColumn<int>("count");
        QTest::newRow("0") << 0;
        QTest::newRow("-2") << -2;
    }
    void countsBelowOneAreRefused()
    {
        QFETCH(int, count);
        SelfCheckOutput out;
        const QString history = Recents::folder();
        benchPages(count, {"quillet", "--bench-pages", QString::number(count)});
        QCOMPARE(out.status, std::optional<int>(1));
        QVERIFY(out.lines.isEmpty());
        QCOMPARE(Recents::folder(), history);
    }

    // Whole runs: what they print, in order, and that they leave no folder behind.
    void runs_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("columns");
        QTest::addColumn<double>("railWidth");
        QTest::newRow("two pages, three columns") << 2 << QStringList{"--columns", "3"} << 484.0;
        QTest::newRow("one page") << 1 << QStringList{} << 184.0;
    }
    void runs()
    {
        QFETCH(int, count);
        QFETCH(QStringList, columns);
        QFETCH(double, railWidth);
        SelfCheckOutput out;
        benchPages(count, QStringList{"quillet", "--bench-pages", QString::number(count)} + columns);
        QCOMPARE(Preferences::shared().numberValue("canvas.railWidth"), std::optional<double>(railWidth));
        const QString folder = QFileInfo(Recents::folder()).absolutePath();
        QVERIFY(QFileInfo(folder).fileName().startsWith("ql-bench-"));
        QTRY_VERIFY_WITH_TIMEOUT(out.status.has_value(), 120000);
        QCOMPARE(out.status, std::optional<int>(0));

        const int switches = 3 * count - 2;
        QCOMPARE(out.lines.size(), 2 + switches + 1 + 10 + 1);
        QVERIFY(QRegularExpression(R"(^thumbnail made again: median \d+\.\d ms   worst \d+\.\d ms$)")
                    .match(out.lines.at(0)).hasMatch());
        QVERIFY(QRegularExpression(R"(^window \d+$)").match(out.lines.at(1)).hasMatch());
        const QList<int> walk = benchWalk(count);
        for (int i = 0; i < switches; ++i)
            QVERIFY2(QRegularExpression(QStringLiteral(R"(^page %1  switch +\d+\.\d ms  commit +\d+\.\d ms$)")
                                            .arg(walk.at(i), 2))
                         .match(out.lines.at(2 + i)).hasMatch(),
                     qPrintable(out.lines.at(2 + i)));
        QVERIFY(out.lines.at(2 + switches)
                    .endsWith(QStringLiteral("   (main thread, per page, %1 switches)").arg(switches)));
        for (int s = 0; s < 10; ++s)
            QVERIFY2(QRegularExpression(QStringLiteral(R"(^earlier %1  open +\d+\.\d ms  commit +\d+\.\d ms  pages \d+ -> \d+$)")
                                            .arg(s, 2))
                         .match(out.lines.at(3 + switches + s)).hasMatch(),
                     qPrintable(out.lines.at(3 + switches + s)));
        // The down arrow from the last page opens the first earlier capture as a page.
        QVERIFY2(out.lines.at(3 + switches).endsWith(QStringLiteral("pages %1 -> %2").arg(count).arg(count + 1)),
                 qPrintable(out.lines.at(3 + switches)));
        QVERIFY(out.lines.last().startsWith("earlier captures: median "));
        QVERIFY(out.lines.last().endsWith("   (10 opened by the down arrow)"));
        QVERIFY(!QFileInfo::exists(folder));
    }
};

QUILLET_TEST_MAIN(TestBenchPages)
#include "tst_benchpages.moc"
