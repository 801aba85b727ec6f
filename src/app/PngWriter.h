#pragma once
#include <QByteArray>
#include <QImage>

class QIODevice;

// Every PNG the application writes, whichever way the picture leaves (clipboard, saved file,
// dragged file, history entry): one encoder with one compression setting, so a page comes out
// the same size from each. The picture's resolution (dots per metre) is written as it stands.
// Safe on any thread.
namespace PngWriter {

// The PNG bytes of the picture; empty for a null picture or when encoding fails.
QByteArray encode(const QImage &picture);
// Writes the PNG into an open device; false when encoding or writing fails.
bool write(const QImage &picture, QIODevice *device);

} // namespace PngWriter
