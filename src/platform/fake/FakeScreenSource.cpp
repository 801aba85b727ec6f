#include "platform/fake/FakeScreenSource.h"

namespace {

template<typename T>
QFuture<T> failed(const QString &text)
{
    QPromise<T> p;
    p.start();
    p.setException(ScreenGrabError(text));
    p.finish();
    return p.future();
}

QImage filled(QSize size, QRgb color, qreal ratio)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    image.setDevicePixelRatio(ratio);
    return image;
}

} // namespace

QRgb FakeScreenSource::pictureColor(quint32 displayId)
{
    return qRgb(int(displayId * 40 % 256), int(displayId * 90 % 256), 200);
}

QFuture<ScreenContent> FakeScreenSource::content()
{
    ++contentCalls;
    if (!contentError.isEmpty())
        return failed<ScreenContent>(contentError);
    return QtFuture::makeReadyFuture(contentValue);
}

QFuture<std::shared_ptr<void>> FakeScreenSource::leaveOut(const QList<qint64> &pids)
{
    leaveOutCalls.append(pids);
    ++leftOutNow;
    return QtFuture::makeReadyFuture(std::shared_ptr<void>(nullptr, [this](void *) { --leftOutNow; }));
}

QFuture<QImage> FakeScreenSource::grabDisplay(const ScreenDisplay &display, QSize pixelSize)
{
    grabCalls.append({display.id, pixelSize});
    if (failingDisplays.contains(display.id))
        return failed<QImage>(failingDisplays.value(display.id));
    if (!manualGrabs)
        return QtFuture::makeReadyFuture(filled(pixelSize, pictureColor(display.id), display.pixelRatio));
    auto promise = std::make_shared<QPromise<QImage>>();
    promise->start();
    m_waiting.insert(display.id, {promise, pixelSize, display.pixelRatio});
    return promise->future();
}

void FakeScreenSource::finishGrab(quint32 displayId)
{
    const Waiting w = m_waiting.take(displayId);
    if (!w.promise)
        return;
    w.promise->addResult(filled(w.size, pictureColor(displayId), w.ratio));
    w.promise->finish();
}

QFuture<QImage> FakeScreenSource::grabWindow(const ScreenWindow &window, QSize pixelSize)
{
    windowGrabCalls.append(pixelSize);
    if (!windowPicture)
        return failed<QImage>(QStringLiteral("no window pictures"));
    const QImage image = windowPicture(window, pixelSize);
    if (image.isNull())
        return failed<QImage>(QStringLiteral("window picture failed"));
    return QtFuture::makeReadyFuture(image);
}
