#pragma once
#include "app/ActivityLog.h"
#include "app/Toast.h"
#include "capture/CaptureSession.h"
#include "capture/SessionCanvas.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QStringList>

// A canvas that writes down what the session asked of it into a shared list of steps.
class FakeCanvas : public SessionCanvas
{
public:
    explicit FakeCanvas(QStringList *steps) : m_steps(steps) {}
    void endEditing() override { *m_steps << "endEditing"; }
    void saveCurrentPage() override { *m_steps << "saveCurrentPage"; }
    void focusDocument() override { *m_steps << "focusDocument"; }
    bool markCurrentPageDone() override
    {
        *m_steps << "markDone";
        return pages >= 2;
    }
    void addShotPage(const QImage &image, double scale, const QRectF &rect) override
    {
        *m_steps << QStringLiteral("addShot %1x%2 @%3 %4,%5 %6x%7")
                        .arg(image.width()).arg(image.height()).arg(scale)
                        .arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height());
    }
    int pages = 1;

private:
    QStringList *m_steps;
};

namespace SessionFixture {
// A picture whose pixels tell where they are, with neighbours far apart in value.
inline QImage pattern(int w, int h, int seed = 0)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = qRgb((x * 37 + seed) & 255, (y * 53 + seed) & 255, ((x + y) * 29) & 255);
    }
    return img;
}

inline FrozenFrame frame(const QRect &geometry, quint32 displayId, double scale = 1)
{
    FrozenFrame f;
    f.screen.displayId = displayId;
    f.screen.geometry = geometry;
    f.screen.pixelScale = scale;
    f.image = pattern(int(geometry.width() * scale), int(geometry.height() * scale), int(displayId));
    f.image.setDevicePixelRatio(scale);
    return f;
}

// One frame with a pattern picture for each screen Qt knows, in Qt's screen order.
inline QList<FrozenFrame> screenFrames()
{
    QList<FrozenFrame> frames;
    quint32 id = 1;
    for (QScreen *s : QGuiApplication::screens()) {
        FrozenFrame f = frame(s->geometry(), id++, s->devicePixelRatio());
        f.screen.name = s->name();
        frames << f;
    }
    return frames;
}

inline QString log()
{
    ActivityLog::closeForTesting();
    QFile file(ActivityLog::logPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

// The text of the toast showing now.
inline QString toastText()
{
    QWidget *t = Toast::current();
    if (!t)
        return {};
    const auto labels = t->findChildren<QLabel *>();
    return labels.isEmpty() ? QString() : labels.first()->text();
}

inline void flushDeletes()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
} // namespace SessionFixture
