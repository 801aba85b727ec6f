#include "capture/Importer.h"

#include "TestEnv.h"

#include <QBuffer>
#include <QDir>
#include <QMimeData>
#include <QtEndian>

#include <libheif/heif.h>

#include <sys/stat.h>
#include <zlib.h>

namespace {

QString dir()
{
    return TestEnv::home();
}

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray out;
    QBuffer b(&out);
    b.open(QIODevice::WriteOnly);
    image.save(&b, format);
    return out;
}

QImage noise(int w, int h, double dpi = 96)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb((x * 7 + y * 3) % 256, (x * y) % 256, (x + y * 11) % 256));
    img.setDotsPerMeterX(int(std::lround(dpi / 0.0254)));
    img.setDotsPerMeterY(int(std::lround(dpi / 0.0254)));
    return img;
}

QByteArray pngChunk(const char *type, const QByteArray &body)
{
    QByteArray c(4, '\0');
    qToBigEndian<quint32>(quint32(body.size()), c.data());
    const QByteArray typed = QByteArray(type) + body;
    c += typed;
    QByteArray crc(4, '\0');
    qToBigEndian<quint32>(quint32(crc32(0, reinterpret_cast<const Bytef *>(typed.constData()), uInt(typed.size()))), crc.data());
    return c + crc;
}

// A PNG whose header declares width x height over a small stream of zero rows: a tiny file that
// would take width x height x 4 bytes to decode.
QByteArray declaredPng(quint32 width, quint32 height)
{
    QByteArray ihdr(13, '\0');
    qToBigEndian<quint32>(width, ihdr.data());
    qToBigEndian<quint32>(height, ihdr.data() + 4);
    ihdr[8] = 8; // bit depth
    ihdr[9] = 6; // RGBA
    QByteArray rows(1 << 20, '\0');
    uLongf size = compressBound(uLong(rows.size()));
    QByteArray z(qsizetype(size), '\0');
    compress(reinterpret_cast<Bytef *>(z.data()), &size, reinterpret_cast<const Bytef *>(rows.constData()), uLong(rows.size()));
    z.resize(qsizetype(size));
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", ihdr) + pngChunk("IDAT", z) + pngChunk("IEND", {});
}

QByteArray withoutChunk(const QByteArray &png, const char *type)
{
    QByteArray out = png.left(8);
    qsizetype at = 8;
    while (at + 12 <= png.size()) {
        const qsizetype len = qFromBigEndian<quint32>(png.constData() + at);
        if (png.mid(at + 4, 4) != type)
            out += png.mid(at, 12 + len);
        at += 12 + len;
    }
    return out;
}

QString write(const QString &name, const QByteArray &data)
{
    const QString path = QDir(dir()).filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QByteArray heic(int w, int h)
{
    heif_context *ctx = heif_context_alloc();
    heif_image *img = nullptr;
    heif_image_create(w, h, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &img);
    heif_image_add_plane(img, heif_channel_interleaved, w, h, 8);
    int stride = 0;
    uint8_t *p = heif_image_get_plane(img, heif_channel_interleaved, &stride);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w * 3; x += 3) {
            p[y * stride + x] = 200;
            p[y * stride + x + 1] = 40;
            p[y * stride + x + 2] = 40;
        }
    heif_encoder *encoder = nullptr;
    QByteArray out;
    if (heif_context_get_encoder_for_format(ctx, heif_compression_HEVC, &encoder).code == heif_error_Ok) {
        heif_context_encode_image(ctx, img, encoder, nullptr, nullptr);
        heif_encoder_release(encoder);
        heif_writer writer{1, [](heif_context *, const void *data, size_t size, void *userdata) {
                               static_cast<QByteArray *>(userdata)->append(static_cast<const char *>(data), qsizetype(size));
                               return heif_error{heif_error_Ok, heif_suberror_Unspecified, ""};
                           }};
        heif_context_write(ctx, &writer, &out);
    }
    heif_image_release(img);
    heif_context_free(ctx);
    return out;
}

} // namespace

class TestImporter : public QObject
{
    Q_OBJECT
private slots:
    void addedMessage_data()
    {
        QTest::addColumn<int>("added");
        QTest::addColumn<int>("failed");
        QTest::addColumn<QString>("text");
        QTest::newRow("1, 0") << 1 << 0 << "Added 1 picture";
        QTest::newRow("3, 0") << 3 << 0 << "Added 3 pictures";
        QTest::newRow("0, 2") << 0 << 2 << "Added 0 pictures; 2 files are not pictures Quillet™ can read";
        QTest::newRow("2, 1") << 2 << 1 << "Added 2 pictures; 1 file is not a picture Quillet™ can read";
    }
    void addedMessage()
    {
        QFETCH(int, added);
        QFETCH(int, failed);
        QFETCH(QString, text);
        QCOMPARE(Importer::addedMessage(added, failed), text);
    }

    void pixelLimit()
    {
        QVERIFY(Importer::withinPixelLimit(15000, 10000));
        QVERIFY(!Importer::withinPixelLimit(15001, 10000));
        QVERIFY(!Importer::withinPixelLimit(0, 10));
        QVERIFY(!Importer::withinPixelLimit(1, 150000001));
    }

    // Every kind of file that must count as a failure: no crash, no hang, no big allocation.
    void badFiles_data()
    {
        QTest::addColumn<QString>("path");
        const QByteArray png = encoded(noise(64, 64), "PNG");
        QTest::newRow("truncated PNG") << write("truncated.png", png.left(png.size() / 2));
        QByteArray corrupt = png;
        for (qsizetype i = 60; i < corrupt.size() - 20; ++i)
            corrupt[i] = char(i * 31);
        QTest::newRow("corrupt PNG") << write("corrupt.png", corrupt);
        QTest::newRow("empty") << write("empty.png", {});
        QTest::newRow("text") << write("notes.txt", "just some words\n");
        QTest::newRow("3 x 100") << write("thin.png", encoded(noise(3, 100), "PNG"));
        QTest::newRow("15001 x 10000 header") << write("wide.png", declaredPng(15001, 10000));
        QTest::newRow("decompression bomb") << write("bomb.png", declaredPng(60000, 60000));
        QTest::newRow("JPEG of 65500 x 65500") << write("bomb.jpg", [] {
            QByteArray jpg = encoded(noise(16, 16), "JPEG");
            const qsizetype sof = jpg.indexOf("\xff\xc0");
            qToBigEndian<quint16>(65500, jpg.data() + sof + 5);
            qToBigEndian<quint16>(65500, jpg.data() + sof + 7);
            return jpg;
        }());
        QTest::newRow("directory") << dir();
        const QString fifo = QDir(dir()).filePath("fifo.png");
        QFile::remove(fifo);
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QTest::newRow("FIFO") << fifo;
        QTest::newRow("missing") << QDir(dir()).filePath("gone.png");
    }
    void badFiles()
    {
        QFETCH(QString, path);
        const Importer::Loaded loaded = Importer::load({QUrl::fromLocalFile(path)});
        QCOMPARE(loaded.pictures.size(), 0);
        QCOMPARE(loaded.failed, 1);
    }

    void fileSizeLimit()
    {
        const QString path = QDir(dir()).filePath("big.png");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.resize(Importer::maxBytes));
        f.close();
        QCOMPARE(Importer::readFile(path).value_or(QByteArray()).size(), Importer::maxBytes);
        QVERIFY(f.resize(Importer::maxBytes + 1));
        QVERIFY(!Importer::readFile(path));
        QCOMPARE(Importer::load({QUrl::fromLocalFile(path)}).failed, 1);
        QFile::remove(path);
        QVERIFY(!Importer::decode(QByteArray(Importer::maxBytes + 1, '\0')));
    }

    void pixelScale_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<double>("scale");
        const QByteArray png96 = encoded(noise(40, 30), "PNG");
        // What a plain Qt program writes: a picture whose resolution was never set.
        QImage plain(40, 30, QImage::Format_RGB32);
        plain.fill(Qt::darkCyan);
        QTest::newRow("PNG without pHYs") << withoutChunk(png96, "pHYs") << 1.0;
        QTest::newRow("PNG as Qt saves it") << encoded(plain, "PNG") << 1.0;
        QTest::newRow("PNG 72 dpi") << encoded(noise(40, 30, 72), "PNG") << 1.0;
        QTest::newRow("PNG 96 dpi") << png96 << 1.0;
        QTest::newRow("PNG 108 dpi (ours at 1.5)") << encoded(noise(40, 30, 108), "PNG") << 1.5;
        QTest::newRow("PNG 144 dpi") << encoded(noise(40, 30, 144), "PNG") << 2.0;
        QTest::newRow("PNG 192 dpi") << encoded(noise(40, 30, 192), "PNG") << 2.0;
        QTest::newRow("PNG 288 dpi (ours at 4)") << encoded(noise(40, 30, 288), "PNG") << 4.0;
        QTest::newRow("PNG 300 dpi") << encoded(noise(40, 30, 300), "PNG") << 1.0;
        QTest::newRow("PNG 384 dpi") << encoded(noise(40, 30, 384), "PNG") << 4.0;
        QTest::newRow("PNG scale 5") << encoded(noise(40, 30, 360), "PNG") << 1.0;
        QTest::newRow("PNG scale 0.5") << encoded(noise(40, 30, 36), "PNG") << 1.0;
        QTest::newRow("JPEG 144 dpi") << encoded(noise(40, 30, 144), "JPEG") << 2.0;
        QTest::newRow("JPEG 96 dpi") << encoded(noise(40, 30, 96), "JPEG") << 1.0;
        QTest::newRow("TIFF 144 dpi") << encoded(noise(40, 30, 144), "TIFF") << 2.0;
        QTest::newRow("TIFF 192 dpi") << encoded(noise(40, 30, 192), "TIFF") << 2.0;
        QTest::newRow("TIFF 216 dpi") << encoded(noise(40, 30, 216), "TIFF") << 3.0;
    }
    void pixelScale()
    {
        QFETCH(QByteArray, data);
        QFETCH(double, scale);
        const auto p = Importer::decode(data);
        QVERIFY(p);
        QCOMPARE(p->image.size(), QSize(40, 30));
        QVERIFY(p->image.format() == QImage::Format_RGB32 || p->image.format() == QImage::Format_ARGB32_Premultiplied);
        QCOMPARE(p->pixelScale, scale);
        QVERIFY(!p->small);
    }

    void smallestAccepted()
    {
        QVERIFY(Importer::decode(encoded(noise(4, 4), "PNG")));
        QVERIFY(!Importer::decode(encoded(noise(4, 3), "PNG")));
    }

    void heicThroughLibheif()
    {
        const QByteArray data = heic(64, 48);
        if (data.isEmpty())
            QSKIP("libheif has no HEVC encoder here to make a sample");
        const auto p = Importer::decode(data);
        QVERIFY(p);
        QCOMPARE(p->image.size(), QSize(64, 48));
        QCOMPARE(p->pixelScale, 1.0);
        const QColor c = p->image.pixelColor(10, 10);
        QVERIFY(c.red() > 150 && c.green() < 90);
        QVERIFY(!Importer::decode(data.left(data.size() / 3)));
    }

    void loadKeepsFileOrderAndMakesSmallCopies()
    {
        const QString a = write("a.png", encoded(noise(2000, 100), "PNG"));
        const QString text = write("b.txt", "not a picture");
        const QString c = write("c.png", encoded(noise(500, 80), "PNG"));
        const Importer::Loaded three = Importer::load({QUrl::fromLocalFile(a), QUrl::fromLocalFile(text), QUrl::fromLocalFile(c)});
        QCOMPARE(three.pictures.size(), 2);
        QCOMPARE(three.failed, 1);
        QCOMPARE(three.pictures[0].image.width(), 2000);
        QCOMPARE(three.pictures[0].small->size(), QSize(720, 36));
        QCOMPARE(three.pictures[1].image.width(), 500);
        QCOMPARE(*three.pictures[1].small, three.pictures[1].image);

        const Importer::Loaded one = Importer::load({QUrl::fromLocalFile(a)});
        QCOMPARE(one.pictures.size(), 1);
        QVERIFY(!one.pictures[0].small);
        QCOMPARE(Importer::load({}).failed, 0);
    }

    void clipboard()
    {
        const QByteArray png = encoded(noise(30, 20), "PNG");
        const QString pngFile = write("clip.png", png);
        const QString textFile = write("clip.txt", "words");

        QMimeData text;
        text.setText("hello");
        QVERIFY(!Importer::canRead(&text));
        QCOMPARE(Importer::pictures(&text).pictures.size(), 0);
        QCOMPARE(Importer::pictures(&text).failed, 1);

        QMimeData data;
        data.setData("image/png", png);
        QVERIFY(Importer::canRead(&data));
        QCOMPARE(Importer::pictures(&data).pictures.size(), 1);
        QCOMPARE(Importer::picture(&data)->image.size(), QSize(30, 20));

        QMimeData files;
        files.setUrls({QUrl::fromLocalFile(textFile), QUrl::fromLocalFile(pngFile)});
        QVERIFY(Importer::canRead(&files));
        const Importer::Loaded fromFiles = Importer::pictures(&files);
        QCOMPARE(fromFiles.pictures.size(), 1);
        QCOMPARE(fromFiles.failed, 1);

        // Files that give nothing: the data of the same paste is tried next.
        QMimeData unreadable;
        unreadable.setUrls({QUrl::fromLocalFile(textFile)});
        QVERIFY(!Importer::canRead(&unreadable));
        unreadable.setData("image/tiff", encoded(noise(30, 20), "TIFF"));
        QVERIFY(Importer::canRead(&unreadable));
        const Importer::Loaded second = Importer::pictures(&unreadable);
        QCOMPARE(second.pictures.size(), 1);
        QCOMPARE(second.failed, 0);

        QMimeData remote;
        remote.setUrls({QUrl("https://example.com/a.png")});
        QVERIFY(!Importer::canRead(&remote));
    }
};

QUILLET_TEST_MAIN(TestImporter)
#include "tst_importer.moc"
