#pragma once
#include <QByteArray>
#include <QFile>
#include <QString>

// Paths and files of the real application as the end-to-end tests run it: the built binary, the
// capture folder's helper programs, and the logs in the test's own XDG folders.
namespace AppUnderTest {
inline QString binDir() { return QStringLiteral(QUILLET_TEST_BIN_DIR); }
inline QString appPath() { return binDir() + QStringLiteral("/../../src/quillet"); }
inline QString captureHelper(const QString &name) { return binDir() + QStringLiteral("/../capture/capture_") + name; }
inline QString logDir() { return QString::fromLocal8Bit(qgetenv("XDG_STATE_HOME")) + QStringLiteral("/Quillet"); }
inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace AppUnderTest
