#include "document/Melt.h"

#include "TestEnv.h"

class TestMelt : public QObject
{
    Q_OBJECT
private slots:
    void stage_data()
    {
        QTest::addColumn<qint64>("captures");
        QTest::addColumn<int>("stage");
        for (qint64 n = 0; n <= 9; ++n)
            QTest::addRow("%lld", n) << n << 0;
        for (qint64 n = 10; n <= 19; ++n)
            QTest::addRow("%lld", n) << n << 1;
        QTest::newRow("20") << qint64(20) << 2;
        QTest::newRow("99") << qint64(99) << 9;
        QTest::newRow("100 starts over") << qint64(100) << 0;
        QTest::newRow("115") << qint64(115) << 1;
        QTest::newRow("-1") << qint64(-1) << 0;
        QTest::newRow("-15") << qint64(-15) << 0;
        QTest::newRow("most negative") << std::numeric_limits<qint64>::min() << 0;
        QTest::newRow("largest") << std::numeric_limits<qint64>::max() << 0;
    }
    void stage()
    {
        QFETCH(qint64, captures);
        QFETCH(int, stage);
        QCOMPARE(Melt::stage(captures), stage);
    }
};

QUILLET_TEST_MAIN_CORE(TestMelt)
#include "tst_melt.moc"
