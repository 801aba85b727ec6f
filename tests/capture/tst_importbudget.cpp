// Opening several decompression bombs at once: small files that each decode to a picture within
// the single-picture limits, but together would fill the memory. The first that fit in the
// budget open, the rest are refused by name, and the main thread keeps running meanwhile.
#include "capture/Importer.h"

#include "TestEnv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTimer>
#include <QUrl>
#include <QtEndian>

#include <zlib.h>

namespace {
QByteArray chunk(const char *type, const QByteArray &body)
{
    QByteArray c(4, '\0');
    qToBigEndian<quint32>(quint32(body.size()), c.data());
    const QByteArray typed = QByteArray(type) + body;
    c += typed;
    QByteArray crc(4, '\0');
    qToBigEndian<quint32>(quint32(crc32(0, reinterpret_cast<const Bytef *>(typed.constData()), uInt(typed.size()))),
                          crc.data());
    return c + crc;
}

// A whole, valid black PNG of side x side pixels, one bit a pixel: a few kilobytes that decode to
// side x side x 4 bytes.
QByteArray bomb(quint32 side)
{
    QByteArray ihdr(13, '\0');
    qToBigEndian<quint32>(side, ihdr.data());
    qToBigEndian<quint32>(side, ihdr.data() + 4);
    ihdr[8] = 1; // bit depth
    ihdr[9] = 0; // grey
    const qsizetype row = 1 + (side + 7) / 8;
    z_stream z{};
    deflateInit(&z, 9);
    QByteArray out(1 << 20, '\0');
    const QByteArray zeros(row * 256, '\0');
    QByteArray compressed;
    for (quint32 y = 0; y < side; y += 256) {
        const quint32 rows = std::min<quint32>(256, side - y);
        z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(zeros.constData()));
        z.avail_in = uInt(row * rows);
        const bool last = y + rows >= side;
        do {
            z.next_out = reinterpret_cast<Bytef *>(out.data());
            z.avail_out = uInt(out.size());
            deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
            compressed += out.left(out.size() - z.avail_out);
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", ihdr) + chunk("IDAT", compressed) + chunk("IEND", {});
}

QUrl write(const QString &name, const QByteArray &data)
{
    const QString path = QDir(TestEnv::home()).filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size())
        qFatal("cannot write %s", qPrintable(path));
    return QUrl::fromLocalFile(path);
}

qint64 peakMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong() / 1024;
    return -1;
}

// Nanoseconds this thread has waited for a processor while it could run (from the scheduler's
// statistics).
qint64 waitedForCpu()
{
    QFile stats(QStringLiteral("/proc/thread-self/schedstat"));
    if (!stats.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = stats.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toLongLong() : 0;
}

// Notes the longest time the main thread's event loop went without running a 5 ms timer while
// it was not merely waiting for a processor: on a busy machine the scheduler may hold any
// thread back, but a thread that waits for work of its own is blocked.
struct Watchdog {
    QTimer timer;
    QElapsedTimer since;
    qint64 queued = waitedForCpu();
    qint64 longest = 0;
    Watchdog()
    {
        since.start();
        QObject::connect(&timer, &QTimer::timeout, [this] { tick(); });
        timer.start(5);
    }
    void tick()
    {
        const qint64 now = waitedForCpu();
        const qint64 blocked = since.nsecsElapsed() - (now - queued);
        longest = std::max(longest, blocked / 1000000);
        queued = now;
        since.restart();
    }
    // The longest stand-still, the one going on now included.
    qint64 result()
    {
        tick();
        return longest;
    }
};
} // namespace

class TestImportBudget : public QObject
{
    Q_OBJECT

private slots:
    void fourBombsAtOnce()
    {
        const QByteArray png = bomb(12000);
        QVERIFY(png.size() < 1024 * 1024);
        const QList<QUrl> urls = {write("b1.png", png), write("b2.png", png), write("b3.png", png), write("b4.png", png)};

        std::optional<Importer::Loaded> loaded;
        QObject context;
        Watchdog watchdog;
        Importer::loadLater(urls, &context, [&](const Importer::Loaded &l) { loaded = l; });
        QTRY_VERIFY_WITH_TIMEOUT(loaded.has_value(), 60000);
        const qint64 longest = watchdog.result();

        // 144 megapixels each: one fits in the budget; the others are refused before they are decoded.
        QCOMPARE(loaded->pictures.size(), 1);
        QCOMPARE(loaded->pictures.first().image.size(), QSize(12000, 12000));
        QCOMPARE(loaded->refused, (QStringList{"b2.png", "b3.png", "b4.png"}));
        QCOMPARE(loaded->failed, 0);
        QCOMPARE(Importer::refusedMessage(loaded->refused),
                 QStringLiteral("Not opened, too many pixels at once: b2.png, b3.png, b4.png"));
        // Decoding on the main thread stands it still for seconds; a loaded machine's memory
        // management alone has been seen to hold it for about 110 ms.
        QVERIFY2(longest < 250, qPrintable(QStringLiteral("the main thread stood still for %1 ms").arg(longest)));
        const qint64 peak = peakMegabytes();
        QVERIFY2(peak > 0 && peak < 1536, qPrintable(QStringLiteral("%1 MB at the peak").arg(peak)));

        // While the picture is held the budget stays taken; once it goes the next opening gets it.
        QVERIFY(Importer::budgetInUse() >= 144000000);
        const Importer::Loaded whileHeld = Importer::load({urls.at(1)});
        QCOMPARE(whileHeld.refused, QStringList{"b2.png"});
        loaded.reset();
        QCOMPARE(Importer::budgetInUse(), 0);
        const Importer::Loaded after = Importer::load({urls.at(1)});
        QCOMPARE(after.pictures.size(), 1);
        QVERIFY(after.refused.isEmpty());
    }

    // A context that is gone when the pictures are ready hears nothing, and holds no budget.
    void goneContextHearsNothing()
    {
        const QList<QUrl> urls = {write("small.png", bomb(300))};
        bool called = false;
        {
            QObject context;
            Importer::loadLater(urls, &context, [&](const Importer::Loaded &) { called = true; });
        }
        QTRY_COMPARE_WITH_TIMEOUT(Importer::budgetInUse(), 0, 10000);
        QTest::qWait(200);
        QVERIFY(!called);
    }
};

QUILLET_TEST_MAIN(TestImportBudget)
#include "tst_importbudget.moc"
