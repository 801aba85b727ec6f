// Pixels read from X: a depth-24 picture is opaque whatever its clients left in the fourth byte,
// through shared memory and through plain GetImage; a depth-32 picture keeps its alpha.
#include "RawPattern.h"

#include "platform/linux/X11Grabber.h"

#include "TestEnv.h"

#include <QPainter>
#include <QProcess>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace {

// A helper program, ended with this value.
struct Helper : QProcess
{
    ~Helper() override
    {
        if (state() != QProcess::NotRunning) {
            kill();
            waitForFinished();
        }
    }
};

// A raw pattern window with the given fourth byte; its inside's place on the screen in *inside.
std::unique_ptr<Helper> rawPattern(const QRect &r, RawPattern::Pad pad, bool managed, QRect *inside)
{
    auto p = std::make_unique<Helper>();
    QStringList args{QString::number(r.x()), QString::number(r.y()), QString::number(r.width()),
                     QString::number(r.height()), RawPattern::padName(pad)};
    if (managed)
        args << QStringLiteral("managed");
    p->start(TestEnv::helperPath(QStringLiteral("capture_helper_rawpattern")), args);
    if (!p->waitForStarted() || !p->waitForReadyRead(10000))
        return nullptr;
    const QList<QByteArray> words = p->readAllStandardOutput().trimmed().split(' ');
    if (words.size() != 3 || words[0] != "ready")
        return nullptr;
    *inside = QRect(words[1].toInt(), words[2].toInt(), r.width(), r.height());
    return p;
}

// The fourth byte of the screen's pixel at p as the server gives it out.
int rawFourthByte(QPoint p)
{
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    auto *r = xcb_get_image_reply(
        c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, root, int16_t(p.x()), int16_t(p.y()), 1, 1, ~0u), nullptr);
    const int byte = r && xcb_get_image_data_length(r) >= 4 ? xcb_get_image_data(r)[3] : -1;
    std::free(r);
    xcb_disconnect(c);
    return byte;
}

} // namespace

Q_DECLARE_METATYPE(RawPattern::Pad)

class TestX11GrabberX11 : public QObject
{
    Q_OBJECT

private slots:
    void depth24IsOpaque_data()
    {
        QTest::addColumn<RawPattern::Pad>("pad");
        QTest::addColumn<bool>("sharedMemory");
        for (RawPattern::Pad pad : {RawPattern::Pad::zero, RawPattern::Pad::garbage})
            for (bool shm : {true, false})
                QTest::addRow("%s %s", qPrintable(RawPattern::padName(pad)), shm ? "shm" : "getimage") << pad << shm;
    }

    void depth24IsOpaque()
    {
        QFETCH(RawPattern::Pad, pad);
        QFETCH(bool, sharedMemory);
        QRect inside;
        auto helper = rawPattern(QRect(130, 170, 301, 97), pad, false, &inside);
        QVERIFY(helper);
        // What the fault needs: the server hands the client's fourth byte back as it was written.
        if (rawFourthByte(inside.topLeft() + QPoint(0, 1)) != RawPattern::padByte(pad, 1))
            qWarning("this X server rewrites the fourth byte of depth-24 pixels");

        X11Grabber grabber(sharedMemory);
        QVERIFY(grabber.isConnected());
        if (grabber.usesSharedMemory() != sharedMemory)
            QSKIP("MIT-SHM is not offered by this server");
        // An area of odd width and height inside the window, so that no vector step fits evenly.
        const QRect area = inside.adjusted(3, 5, -7, -2);
        QString error;
        const QImage picture = grabber.grab(grabber.root(), area, &error);
        QVERIFY2(!picture.isNull(), qPrintable(error));
        QCOMPARE(picture.format(), QImage::Format_RGB32);
        const QString fault = RawPattern::firstDifference(picture, RawPattern::expected(inside, area));
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
        // Blended onto a transparent premultiplied bitmap, as every export draws it: the pattern.
        QImage onto(picture.size(), QImage::Format_ARGB32_Premultiplied);
        onto.fill(Qt::transparent);
        QPainter(&onto).drawImage(0, 0, picture);
        const QString drawn = RawPattern::firstDifference(onto, RawPattern::expected(inside, area));
        QVERIFY2(drawn.isEmpty(), qPrintable(drawn));
    }

    // A pixmap of depth 32 carries alpha of its own: half-transparent pixels stay so.
    void depth32KeepsAlpha_data()
    {
        QTest::addColumn<bool>("sharedMemory");
        QTest::newRow("shm") << true;
        QTest::newRow("getimage") << false;
    }

    void depth32KeepsAlpha()
    {
        QFETCH(bool, sharedMemory);
        X11Grabber grabber(sharedMemory);
        QVERIFY(grabber.isConnected());
        if (grabber.usesSharedMemory() != sharedMemory)
            QSKIP("MIT-SHM is not offered by this server");
        xcb_connection_t *c = grabber.connection();
        const xcb_pixmap_t pixmap = xcb_generate_id(c);
        if (xcb_generic_error_t *e = xcb_request_check(c, xcb_create_pixmap_checked(c, 32, pixmap, grabber.root(), 5, 3))) {
            std::free(e);
            QSKIP("this X server has no pixmaps of depth 32");
        }
        const xcb_gcontext_t gc = xcb_generate_id(c);
        xcb_create_gc(c, gc, pixmap, 0, nullptr);
        QImage source(5, 3, QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                source.setPixel(x, y, qRgba(0x40 * y, 0x10 * x, 0x20, 0x40 + 0x40 * y + x));
        source = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, 5, 3, 0, 0, 0, 32, uint32_t(source.sizeInBytes()),
                      source.constBits());
        QString error;
        const QImage picture = grabber.grab(pixmap, QRect(0, 0, 5, 3), &error);
        xcb_free_gc(c, gc);
        xcb_free_pixmap(c, pixmap);
        xcb_flush(c);
        QVERIFY2(!picture.isNull(), qPrintable(error));
        QCOMPARE(picture.format(), QImage::Format_ARGB32_Premultiplied);
        QCOMPARE(picture, source);
    }
};

QUILLET_TEST_MAIN(TestX11GrabberX11)
#include "tst_x11grabber_x11.moc"
