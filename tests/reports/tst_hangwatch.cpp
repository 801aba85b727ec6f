#include "reports/HangWatch.h"
#include "reports/Reports.h"

#include "TestEnv.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <chrono>

// Keeps the main thread busy without turning the event loop.
extern "C++" __attribute__((noinline, visibility("default"))) void blockMainThreadFor(int ms)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
    }
    asm volatile("" ::: "memory");
}

class TestHangWatch : public QObject
{
    Q_OBJECT
    QTemporaryDir folder;

    QStringList payloads()
    {
        QStringList texts;
        QDir dir(Reports::diagnosticsFolder());
        for (const QString &name : dir.entryList(QDir::Files)) {
            QFile f(dir.filePath(name));
            f.open(QIODevice::ReadOnly);
            texts << QString::fromUtf8(f.readAll());
        }
        return texts;
    }

private slots:
    void init()
    {
        Reports::folderOverride = folder.path();
        QDir(Reports::diagnosticsFolder()).removeRecursively();
    }

    void blockedMainThreadIsNotedOnce()
    {
        HangWatch watch(0.1);
        QTest::qWait(150); // a few beats
        blockMainThreadFor(400);
        QTRY_COMPARE(payloads().size(), 1);
        const QString payload = payloads().first();
        QVERIFY(payload.contains(QLatin1String("hangDiagnostics")));
        QVERIFY2(payload.contains(QLatin1String("blockMainThreadFor(int)")), qPrintable(payload));
        QTest::qWait(300); // the beats are back: no further note
        QCOMPARE(payloads().size(), 1);
    }

    void modalDialogIsNoHang()
    {
        HangWatch watch(0.5);
        QDialog dialog;
        QTimer::singleShot(1000, &dialog, &QDialog::accept);
        dialog.exec();
        QTest::qWait(100);
        QVERIFY(payloads().isEmpty());
    }
};

QUILLET_TEST_MAIN(TestHangWatch)
#include "tst_hangwatch.moc"
