#include "PageMaker.h"
#include "TestEnv.h"

#include <QProcess>
#include <QRandomGenerator>

#include <cmath>
#include <csignal>

using namespace PageMaker;

// A process killed at any moment of a save leaves every entry whole: its document reads, every
// shot it names has its picture, and each picture has the size the document gives it.
class RecentsKill : public QObject
{
    Q_OBJECT

    void verifyEveryEntryIsWhole(int round)
    {
        const QFileInfoList items =
            QDir(Recents::folder()).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot);
        for (const QFileInfo &item : items) {
            const QString where = QString("round %1, %2").arg(round).arg(item.fileName());
            QVERIFY2(QFileInfo(item.filePath() + "/canvas.json").isFile(), qPrintable(where + ": no canvas.json"));
            const auto saved = Recents::Saved::decode(readFile(item.filePath() + "/canvas.json"));
            QVERIFY2(saved, qPrintable(where + ": canvas.json unreadable"));
            const auto loaded = Recents::load(item.fileName());
            QVERIFY2(loaded, qPrintable(where + ": does not load"));
            QVERIFY2(loaded->markup.shots.size() == saved->markup.shots.size(), qPrintable(where + ": a shot is missing"));
            for (const Shot &shot : loaded->markup.shots) {
                const ShotImage &image = loaded->images[shot.id];
                const QSize expected(qRound(shot.imageSize.width() * image.pixelScale),
                                     qRound(shot.imageSize.height() * image.pixelScale));
                QVERIFY2(image.image.size() == expected, qPrintable(where + ": a picture does not match its shot"));
            }
            for (const char *picture : {"thumb.png", "rail.png"})
                if (QFileInfo::exists(item.filePath() + "/" + picture))
                    QVERIFY2(!QImage(item.filePath() + "/" + picture).isNull(), qPrintable(where + ": " + picture));
        }
    }

private slots:
    void killedSavesLeaveWholeEntries()
    {
        Recents::setFolderOverride(TestEnv::home() + "/killed/History");
        QRandomGenerator rng(20261210);
        int entriesSeen = 0;
        for (int round = 0; round < 50; ++round) {
            QProcess saver;
            saver.start(TestEnv::helperPath("history_helper_saver"),
                        {Recents::folder(), QString::number(round + 1)});
            QVERIFY2(saver.waitForReadyRead(20000), qPrintable(saver.errorString()));
            QTest::qSleep(int(rng.bounded(5, 400)));
            ::kill(pid_t(saver.processId()), SIGKILL);
            QVERIFY(saver.waitForFinished(10000));
            QCOMPARE(saver.exitStatus(), QProcess::CrashExit);
            verifyEveryEntryIsWhole(round);
            if (QTest::currentTestFailed())
                return;
            entriesSeen = std::max(entriesSeen, int(Recents::list().size()));
        }
        QVERIFY(entriesSeen > 2); // the saver got entries onto the disk between kills
    }
};

QUILLET_TEST_MAIN(RecentsKill)
#include "tst_recentskill.moc"
