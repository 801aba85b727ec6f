#pragma once
#include <QByteArray>
#include <QImage>

#include <functional>
#include <memory>

class MemoryPasteboard;
class QMimeData;

// A picture on the clipboard: PNG ("image/png") and TIFF ("image/tiff") data whose resolution
// says how many pixels make one point (72 dpi times the scale), so the picture keeps its size in
// points. The clipboard is offered at once; the bytes are made on a worker from that moment, and
// a paste that asks sooner waits for them.
namespace ClipboardPicture {

// The largest picture offered or exported: a side and an area in pixels.
constexpr int maxSide = 32768;
constexpr qint64 maxPixels = 150'000'000;
bool withinLimits(const QSize &pixels);

// The picture's bytes in a format ("png" or "tiff"), with its resolution; empty on failure.
QByteArray encode(const QImage &image, double scale, const char *format);
QByteArray pngData(const QImage &image, double scale);

// Clipboard data of the picture whose bytes are being made on a worker: asking for a type waits
// until its bytes are there. None for a null image. done (optional) runs on the main thread
// once the PNG is made, with whether it was.
QMimeData *mimeData(const QImage &image, double scale, std::function<void(bool encoded)> done = {});

// Puts the picture on the test pasteboard when one is set, else on the clipboard, and logs
// "export: clipboard " with its pixel size. False when nothing was offered (a null picture, one
// over the limits, no PNG encoder, the clipboard not taken), the clipboard then left as it was. When the PNG cannot
// be made after all, the offer is withdrawn and done gets false.
bool put(const QImage &image, double scale, std::function<void(bool encoded)> done = {});

// The process-wide pasteboard that put writes to instead of the clipboard while it is set.
void setTestPasteboard(std::shared_ptr<MemoryPasteboard> pasteboard);
std::shared_ptr<MemoryPasteboard> testPasteboard();

// Tests: replaces the encoder (image, format) → bytes; none restores the real one.
void setEncoderForTesting(std::function<QByteArray(const QImage &, const char *)> encoder);
// Tests: waits until every picture handed out so far is encoded.
void waitForEncodingForTesting();

} // namespace ClipboardPicture
