// One instance per user and display: a later start hands over to the running one, and once that
// one quits (stops listening) a later start runs on its own instead of handing over to it.
#include "launch/SingleInstance.h"

#include "TestEnv.h"

#include <QSignalSpy>
#include <QThread>

class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void laterStartsHandOverUntilTheFirstStops()
    {
        QThread thread;
        auto *running = new SingleInstance;
        QCOMPARE(running->claim({}), SingleInstance::Claim::first);
        QStringList received;
        connect(running, &SingleInstance::argumentsReceived, this,
                [&](const QStringList &arguments) { received = arguments; });
        running->moveToThread(&thread);
        connect(&thread, &QThread::finished, running, &QObject::deleteLater);
        thread.start();

        {
            SingleInstance later;
            QCOMPARE(later.claim({QStringLiteral("quillet"), QStringLiteral("/tmp/a.png")}),
                     SingleInstance::Claim::handedOver);
        }
        QTRY_COMPARE(received, (QStringList{QStringLiteral("quillet"), QStringLiteral("/tmp/a.png")}));
        // The quick way before an application object exists delivers the same.
        QCOMPARE(SingleInstance::handOverEarly({QStringLiteral("quillet"), QStringLiteral("/tmp/b c.png")}),
                 SingleInstance::Claim::handedOver);
        QTRY_COMPARE(received, (QStringList{QStringLiteral("quillet"), QStringLiteral("/tmp/b c.png")}));

        // Quitting: the running one stops listening first; a start now is the one instance.
        QMetaObject::invokeMethod(running, &SingleInstance::stop, Qt::BlockingQueuedConnection);
        QCOMPARE(SingleInstance::handOverEarly({QStringLiteral("quillet")}), SingleInstance::Claim::first);
        {
            SingleInstance successor;
            QCOMPARE(successor.claim({}), SingleInstance::Claim::first);
        }
        thread.quit();
        thread.wait();
    }
};

QUILLET_TEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
