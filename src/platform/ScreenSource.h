#pragma once
#include "platform/ScreenInfo.h"

#include <QException>
#include <QFuture>
#include <QImage>
#include <QList>
#include <QRect>
#include <QString>

#include <memory>

// A display the window system can grab: its id (see ScreenInfo::displayId) and its rectangle in
// the root window's pixels.
struct ScreenDisplay
{
    quint32 id = 0;
    QRect pixelRect;
    // The device pixel ratio its pictures get (set by the grab itself, so that the picture is not
    // copied for a change of metadata).
    qreal pixelRatio = 1;
    bool operator==(const ScreenDisplay &) const = default;
};

// An on-screen top-level window, front to back in ScreenContent::windows.
struct ScreenWindow
{
    quint32 id = 0;       // the client window id as the window manager lists it
    QRect frame;          // outer frame (decorations included) in root pixels
    qint64 pid = 0;       // _NET_WM_PID, 0 when unknown
    QString appClass;     // WM_CLASS class part
    bool operator==(const ScreenWindow &) const = default;
};

// Everything that can be captured at the moment of the query.
struct ScreenContent
{
    QList<ScreenDisplay> displays;
    QList<qint64> applications; // process ids owning on-screen windows (this process included)
    QList<ScreenWindow> windows;
};

// A failure of the window system while listing or grabbing; description() is for people.
class ScreenGrabError : public QException
{
public:
    explicit ScreenGrabError(QString description = {}) : m_description(std::move(description)) {}
    QString description() const { return m_description; }
    const char *what() const noexcept override { return "screen grab failed"; }
    void raise() const override { throw *this; }
    ScreenGrabError *clone() const override { return new ScreenGrabError(*this); }

private:
    QString m_description;
};

// The window-system operations screen capture needs. The X11 implementation lives in
// platform/linux, a scriptable one for tests in platform/fake. Futures finish with a value or with
// a ScreenGrabError. Call everything from the main thread; the grabs themselves run elsewhere.
class ScreenSource
{
public:
    virtual ~ScreenSource() = default;

    // The platform's screen list in its own order, the primary screen first.
    virtual QList<ScreenInfo> screens() = 0;

    // Displays, applications and on-screen windows.
    virtual QFuture<ScreenContent> content() = 0;

    // Keeps the windows of the given processes out of the pictures grabbed until the returned
    // handle is released (on X11: our own visible top-level windows are hidden meanwhile). The
    // future finishes once the screen no longer shows them.
    virtual QFuture<std::shared_ptr<void>> leaveOut(const QList<qint64> &pids) = 0;

    // One still picture of a display at the given pixel size, without the cursor, in
    // QImage::Format_RGB32 or Format_ARGB32_Premultiplied.
    virtual QFuture<QImage> grabDisplay(const ScreenDisplay &display, QSize pixelSize) = 0;

    // Pixels per point of a window's pictures.
    virtual double windowPixelScale(const ScreenWindow &window) = 0;

    // One still picture of a single window with its surroundings (shadow) as transparent or
    // shadow pixels, scaled to the given pixel size, in Format_ARGB32_Premultiplied.
    virtual QFuture<QImage> grabWindow(const ScreenWindow &window, QSize pixelSize) = 0;
};
