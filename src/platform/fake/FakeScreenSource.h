#pragma once
#include "platform/ScreenSource.h"

#include <QHash>
#include <QPromise>

#include <functional>
#include <memory>

// A scriptable screen source for tests: screens, content and pictures are what the test sets;
// display grabs either finish at once (a picture filled with pictureColor(id)) or, with
// manualGrabs, wait until the test finishes them in the order it likes. Records every call.
class FakeScreenSource : public ScreenSource
{
public:
    QList<ScreenInfo> screenList;
    ScreenContent contentValue;
    QString contentError;                 // non-empty: content() fails with this text
    bool manualGrabs = false;
    QHash<quint32, QString> failingDisplays; // display id -> error text of its grab
    double windowScale = 1;
    std::function<QImage(const ScreenWindow &, QSize)> windowPicture; // unset: window grabs fail

    int contentCalls = 0;
    QList<QList<qint64>> leaveOutCalls;
    int leftOutNow = 0; // handles of leaveOut still alive
    QList<QPair<quint32, QSize>> grabCalls;
    QList<QSize> windowGrabCalls;

    static QRgb pictureColor(quint32 displayId);

    // Finishes the waiting grab of a display (manualGrabs).
    void finishGrab(quint32 displayId);

    QList<ScreenInfo> screens() override { return screenList; }
    QFuture<ScreenContent> content() override;
    QFuture<std::shared_ptr<void>> leaveOut(const QList<qint64> &pids) override;
    QFuture<QImage> grabDisplay(const ScreenDisplay &display, QSize pixelSize) override;
    double windowPixelScale(const ScreenWindow &) override { return windowScale; }
    QFuture<QImage> grabWindow(const ScreenWindow &window, QSize pixelSize) override;

private:
    struct Waiting
    {
        std::shared_ptr<QPromise<QImage>> promise;
        QSize size;
        qreal ratio = 1;
    };
    QHash<quint32, Waiting> m_waiting;
};
