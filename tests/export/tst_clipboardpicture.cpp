#include "capture/ClipboardPicture.h"
#include "platform/MemoryPasteboard.h"

#include "ExportFixture.h"
#include "TestEnv.h"

#include <QBuffer>
#include <QClipboard>
#include <QMimeData>
#include <QThread>

using namespace ExportFixture;
using SessionFixture::log;

// The clipboard picture: offered at once, made on a worker, withdrawn when it cannot be made.
class TestClipboardPicture : public QObject
{
    Q_OBJECT

    static QClipboard *clipboard() { return QGuiApplication::clipboard(); }

private slots:
    void init()
    {
        ClipboardPicture::setEncoderForTesting({});
        ClipboardPicture::setTestPasteboard({});
        clipboard()->setText(QStringLiteral("before"));
    }
    void cleanup()
    {
        ClipboardPicture::waitForEncodingForTesting();
        ClipboardPicture::setEncoderForTesting({});
        ClipboardPicture::setTestPasteboard({});
    }

    void pngAndTiffAtTheirScale()
    {
        const QImage picture = pattern(2880, 1800, 4);
        QVERIFY(ClipboardPicture::put(picture, 2));
        QVERIFY(log().contains("export: clipboard 2880x1800"));
        const QMimeData *data = clipboard()->mimeData();
        QVERIFY(data);
        QCOMPARE(data->formats(), (QStringList{"image/png", "image/tiff"}));
        const QImage png = QImage::fromData(data->data("image/png"), "png");
        QCOMPARE(png.dotsPerMeterX(), 5669);
        QCOMPARE(png.convertToFormat(QImage::Format_RGB32), picture);
        const QImage tiff = QImage::fromData(data->data("image/tiff"), "tiff");
        QCOMPARE(tiff.convertToFormat(QImage::Format_RGB32), picture);
    }

    // A paste that comes before the bytes are made waits for them.
    void earlyReadWaitsForTheBytes()
    {
        ClipboardPicture::setEncoderForTesting([](const QImage &image, const char *format) {
            QThread::msleep(300);
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, format);
            return bytes;
        });
        bool done = false;
        QVERIFY(ClipboardPicture::put(pattern(40, 30), 1, [&](bool encoded) { done = encoded; }));
        const QByteArray png = clipboard()->mimeData()->data("image/png");
        QVERIFY(!done); // read before the completion was told
        QCOMPARE(QImage::fromData(png, "png").size(), QSize(40, 30));
        QTRY_VERIFY(done);
    }

    void testPasteboardLeavesTheClipboardAlone()
    {
        auto board = std::make_shared<MemoryPasteboard>(QStringLiteral("check"));
        ClipboardPicture::setTestPasteboard(board);
        QVERIFY(ClipboardPicture::put(pattern(20, 10), 1));
        QCOMPARE(clipboard()->text(), QStringLiteral("before"));
        QVERIFY(board->mimeData());
        QCOMPARE(QImage::fromData(board->mimeData()->data("image/png"), "png").size(), QSize(20, 10));
    }

    // A PNG that cannot be made is not left on offer: the clipboard is emptied and the caller told.
    void failedEncodingWithdrawsTheOffer()
    {
        ClipboardPicture::setEncoderForTesting([](const QImage &, const char *) { return QByteArray(); });
        std::optional<bool> done;
        QVERIFY(ClipboardPicture::put(pattern(20, 10), 1, [&](bool encoded) { done = encoded; }));
        QTRY_VERIFY(done.has_value());
        QCOMPARE(*done, false);
        const QMimeData *data = clipboard()->mimeData();
        QVERIFY(!data || !data->hasFormat("image/png"));
        QVERIFY(log().contains("export: the picture could not be encoded"));
    }

    void nothingOfferable_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("null") << QSize();
        QTest::newRow("too wide") << QSize(40000, 1);
    }
    void nothingOfferable()
    {
        QFETCH(QSize, size);
        // A stand-in of the asked size without its pixels: the check must refuse by size alone.
        const QImage image = size.isValid() ? QImage(uchar_ptr(), size.width(), size.height(), QImage::Format_RGB32) : QImage();
        QVERIFY(!ClipboardPicture::put(image, 1));
        QCOMPARE(clipboard()->text(), QStringLiteral("before"));
    }

private:
    static uchar *uchar_ptr()
    {
        static uchar pixels[40000 * 4];
        return pixels;
    }
};

QUILLET_TEST_MAIN(TestClipboardPicture)
#include "tst_clipboardpicture.moc"
