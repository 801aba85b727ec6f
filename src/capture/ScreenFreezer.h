#pragma once
#include "capture/FreezeError.h"
#include "capture/FrozenFrame.h"
#include "capture/WindowPicture.h"
#include "platform/ScreenSource.h"

#include <QFuture>
#include <QHash>
#include <QList>
#include <QObject>

#include <memory>
#include <optional>

// Turns every screen into a still picture at the moment a capture starts, leaving this
// application's own windows out (unless the preference "dev.captureSelf" is on), and grabs single
// windows for the window-picking click. Lives on the main thread; every call is made there and
// every future finishes there.
class ScreenFreezer : public QObject
{
    Q_OBJECT
public:
    // With no source, the X11 screen source of this process's display is used.
    explicit ScreenFreezer(std::shared_ptr<ScreenSource> source = {}, QObject *parent = nullptr);
    ~ScreenFreezer() override;

    // Re-reads the display list and this process's entry. Never fails: a failed listing is
    // written to the system log and the old lists are kept.
    QFuture<void> refresh();
    // Refreshes the lists, then grabs every screen once off the main thread and drops the
    // pictures: the first freeze finds the grab's shared memory made and written on both sides.
    void warmUp();

    // One frame per capturable screen of the list (default: the platform's current list), in
    // list order. Fails with FreezeError (noFrames, or screenshotFailed with the system's text).
    QFuture<QList<FrozenFrame>> freezeAll();
    QFuture<QList<FrozenFrame>> freezeAll(const QList<ScreenInfo> &screens);

    // The picture of one on-screen window (id from the window list) with its shadow, or nothing.
    QFuture<std::optional<WindowPicture>> captureWindow(quint32 windowId);

    // The rectangle of the window inside a window picture (see WindowPicture::box), or nothing.
    static std::optional<QRect> opaqueBox(const QImage &picture);

    // A screen's size in pixels: points times pixel scale, halves rounded away from zero.
    static QSize pixelSize(const ScreenInfo &screen);

    // What the last refresh found (tests, diagnostics).
    QList<quint32> knownDisplays() const;
    std::optional<qint64> ownApp() const { return m_ownApp; }

    ScreenSource *source() const { return m_source.get(); }

private:
    QFuture<QList<FrozenFrame>> grabAll(const QList<ScreenInfo> &screens);
    QFuture<QImage> captureImage(const ScreenWindow &window, double width, double height);

    std::shared_ptr<ScreenSource> m_source;
    QHash<quint32, ScreenDisplay> m_displays;
    std::optional<qint64> m_ownApp;
};
