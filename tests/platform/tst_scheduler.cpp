#include "platform/Scheduler.h"
#include "platform/fake/FakeScheduler.h"

#include <QSignalSpy>
#include <QTest>

class TestScheduler : public QObject {
    Q_OBJECT
private slots:
    void fakeRunsDueWorkInTimeOrder()
    {
        FakeScheduler s(10);
        QStringList ran;
        s.after(0.5, [&] { ran << "b"; });
        s.after(0.2, [&] {
            ran << "a";
            s.after(0.1, [&] { ran << "a2"; }); // due at 10.3, before b
        });
        const auto dropped = s.after(0.3, [&] { ran << "never"; });
        s.cancel(dropped);
        s.cancel(0);
        s.advance(0.25);
        QCOMPARE(ran, QStringList({"a"}));
        QCOMPARE(s.now(), 10.25);
        s.advance(1);
        QCOMPARE(ran, QStringList({"a", "a2", "b"}));
        QCOMPARE(s.pendingCount(), 0);
    }

    void systemRunsOnTheEventLoopAndCancels()
    {
        Scheduler &s = Scheduler::system();
        const double start = s.now();
        bool ran = false, cancelled = false;
        s.after(0.02, [&] { ran = true; });
        const auto t = s.after(0.01, [&] { cancelled = true; });
        s.cancel(t);
        QTRY_VERIFY_WITH_TIMEOUT(ran, 2000);
        QVERIFY(!cancelled);
        QVERIFY(s.now() - start >= 0.019);
    }
};

QTEST_MAIN(TestScheduler)
#include "tst_scheduler.moc"
