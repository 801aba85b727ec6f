// The real application with something odd in place of a file it reads back: a FIFO, a link to
// /dev/zero, a 1 GB file, a link to a file outside its folders, a file it may not read. It still
// starts and opens a picture, says what it passed over, stays small and ends on SIGTERM.
#include "AppUnderTest.h"
#include "RealApp.h"
#include "TestEnv.h"
#include "history/Recents.h"
#include "platform/BuildInfo.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QUuid>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

using namespace AppUnderTest;

namespace {
QString env(const char *name) { return QString::fromLocal8Bit(qgetenv(name)); }

bool writePicture(const QString &path, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(qRgb(40, 120, 200));
    return image.save(path, "PNG");
}

// A history entry of one shot, saved as the application saves it; its id.
QString savedEntry()
{
    const QSizeF points(60, 40);
    Markup markup;
    const Shot shot(QUuid::createUuid(), QPointF(0, 0), points, QRectF(QPointF(0, 0), points));
    markup.shots.append(shot);
    QImage picture(120, 80, QImage::Format_ARGB32_Premultiplied);
    picture.fill(qRgb(200, 60, 60));
    ShotImages images;
    images.insert(shot.id, ShotImage{picture, 2});
    return Recents::save(markup, images, picture, std::nullopt, std::nullopt, std::nullopt, std::nullopt, true)
        .value_or(QString());
}

// Peak resident memory of a process in MB.
qint64 peakMegabytes(qint64 pid)
{
    for (const QByteArray &line : readFile(QStringLiteral("/proc/%1/status").arg(pid)).split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong() / 1024;
    }
    return -1;
}
} // namespace

class TestOddFilesX11 : public QObject
{
    Q_OBJECT

    // Puts the odd kind of thing at path (anything there before goes); false when it cannot be
    // made here (with the reason in *skip).
    static bool makeOdd(const QString &path, const QString &kind, QString *skip)
    {
        const QByteArray native = QFile::encodeName(path);
        QDir().mkpath(QFileInfo(path).path());
        QFile::remove(path);
        if (kind == "fifo")
            return ::mkfifo(native.constData(), 0600) == 0;
        if (kind == "zero")
            return ::symlink("/dev/zero", native.constData()) == 0;
        if (kind == "huge") {
            QFile f(path);
            return f.open(QIODevice::WriteOnly) && f.resize(1LL << 30);
        }
        if (kind == "outside") {
            // A well-formed file of the same kind, outside the application's folders.
            const QString outside = TestEnv::home() + "/outside/" + QFileInfo(path).fileName();
            QDir().mkpath(QFileInfo(outside).path());
            QFile::remove(outside);
            if (path.endsWith(".png")) {
                if (!writePicture(outside, QSize(10, 10)))
                    return false;
            } else {
                QFile f(outside);
                if (!f.open(QIODevice::WriteOnly) || f.write("{}\n") != 3)
                    return false;
            }
            return ::symlink(QFile::encodeName(outside).constData(), native.constData()) == 0;
        }
        // unreadable
        if (::geteuid() == 0) {
            *skip = QStringLiteral("root reads every file");
            return false;
        }
        QFile f(path);
        return f.open(QIODevice::WriteOnly) && f.write("{}") == 2 && ::chmod(native.constData(), 0) == 0;
    }

private slots:
    void init() { TestEnv::prepare(); }

    // One start for each kind of odd thing, in place of every file read back at once (each
    // history file in an entry of its own, so that one refusal does not hide another).
    void startsAndEnds_data()
    {
        QTest::addColumn<QString>("kind");
        // What the application says about each file; none where it is followed as the user's
        // own (a link), not listed as a file at all (a FIFO), or not read in this run.
        QTest::addColumn<QStringList>("said");
        const QStringList always = {"rail.png is unreadable", "thumb.png is unreadable", "run.json not read"};
        QTest::newRow("FIFO") << "fifo" << always + QStringList{"is not an entry", "preferences:"};
        QTest::newRow("link to /dev/zero")
            << "zero" << always + QStringList{"is not an entry", ".crash not read", "outbox/", "preferences:"};
        QTest::newRow("1 GB file") << "huge"
                                   << always + QStringList{"canvas.json", ".crash not read", "outbox/", "preferences:"};
        QTest::newRow("link outside") << "outside" << always + QStringList{"canvas.json", ".crash not read", "outbox/"};
        QTest::newRow("unreadable") << "unreadable" << QStringList();
    }
    void startsAndEnds()
    {
        QFETCH(QString, kind);
        QFETCH(QStringList, said);
        const QString pictures = savedEntry(), shot = savedEntry(), document = savedEntry();
        QVERIFY(!pictures.isEmpty() && !shot.isEmpty() && !document.isEmpty());
        const auto entry = [](const QString &id) { return Recents::folder() + "/" + id; };
        const QString reports = env("XDG_DATA_HOME") + "/Vellum/Reports";
        const QString shotName = QDir(entry(shot)).entryList({"shot*.png"}).value(0);
        QVERIFY(!shotName.isEmpty());
        const QStringList paths = {
            entry(pictures) + "/rail.png",
            entry(pictures) + "/thumb.png",
            entry(shot) + "/" + shotName,
            entry(document) + "/canvas.json",
            reports + "/run.json",
            env("XDG_STATE_HOME") + "/Quillet/crashes/quillet-20260101-000000-1.crash",
            reports + "/outbox/" + QUuid::createUuid().toString(QUuid::WithoutBraces) + ".json",
            env("XDG_CONFIG_HOME") + "/autostart/" + BuildInfo::bundleIdentifier() + ".desktop",
            env("XDG_CONFIG_HOME") + "/Quillet/preferences.json",
        };
        for (const QString &path : paths) {
            QString skip;
            if (!makeOdd(path, kind, &skip)) {
                if (!skip.isEmpty())
                    QSKIP(qPrintable(skip));
                QFAIL(qPrintable("could not put it in place of " + path));
            }
        }

        const QString picture = TestEnv::home() + "/open.png";
        QVERIFY(writePicture(picture, QSize(200, 150)));
        QProcess app;
        app.setProcessChannelMode(QProcess::MergedChannels);
        app.start(appPath(), {picture});
        QVERIFY(app.waitForStarted());
        const QString log = logDir() + "/app.log";
        QTRY_VERIFY_WITH_TIMEOUT(readFile(log).contains("canvas opened"), 20000);
        QByteArray output;
        const auto missing = [&] {
            output += app.readAll();
            const QByteArray all = readFile(log) + output;
            QStringList left;
            for (const QString &line : said)
                if (!all.contains(line.toUtf8()))
                    left << line;
            return left;
        };
        QTRY_VERIFY2_WITH_TIMEOUT(missing().isEmpty(), qPrintable(missing().join(" | ")), 10000);
        QTest::qWait(500); // the canvas's pictures are read meanwhile

        const qint64 peak = peakMegabytes(app.processId());
        QVERIFY2(peak > 0 && peak < 300, qPrintable(QStringLiteral("%1 MB").arg(peak)));
        ::kill(pid_t(app.processId()), SIGTERM);
        // A process stuck on a file never ends; one that is not ends at once.
        QVERIFY2(app.waitForFinished(10000), "SIGTERM did not end it");
        QCOMPARE(app.exitStatus(), QProcess::NormalExit);
    }
};

QUILLET_TEST_MAIN(TestOddFilesX11)
#include "tst_oddfiles_x11.moc"
