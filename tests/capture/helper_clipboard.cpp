// A second X client: waits until the CLIPBOARD selection offers the given type (image/png unless
// named), then writes its bytes to the given file. Exits 1 when nothing comes within 5 s.
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QThread>

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 2)
        return 2;
    const QString type = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("image/png");
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 5000) {
        const QMimeData *data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
        const QByteArray bytes = data ? data->data(type) : QByteArray();
        if (!bytes.isEmpty()) {
            QFile out(QString::fromLocal8Bit(argv[1]));
            if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
                return 3;
            return 0;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(50);
    }
    return 1;
}
