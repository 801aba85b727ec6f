#pragma once
#include "capture/OverlayView.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QObject>
#include <QStringList>

// A capture session that writes down what an overlay asked of it.
class OverlayFakeHost : public QObject, public OverlayViewHost
{
public:
    explicit OverlayFakeHost(Mode mode = Mode::Clipboard, OverlayFakeHost *parent = nullptr)
        : m_mode(mode), m_parent(parent)
    {
    }

    static QString text(const QRectF &r)
    {
        return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    }

    Mode mode() const override { return m_mode; }
    void commitArea(OverlayView *, const QRectF &rect) override { calls << "commit " + text(rect); }
    void copyArea(OverlayView *, const QRectF &rect) override { calls << "copy " + text(rect); }
    void copyWindowImage(const QImage &image, double scale) override
    {
        calls << QStringLiteral("copyWindow %1x%2 @%3").arg(image.width()).arg(image.height()).arg(scale);
    }
    void addAreaShot(OverlayView *, const QRectF &rect) override { calls << "addShot " + text(rect); }
    void addWindowShot(const QImage &image, double scale) override
    {
        calls << QStringLiteral("addWindow %1x%2 @%3").arg(image.width()).arg(image.height()).arg(scale);
    }
    void hideOverlays() override { calls << "hideOverlays"; }
    OverlayViewHost *parentHost() const override { return m_parent; }
    void bringForward() override { calls << "bringForward"; }
    void end(bool reactivate) override { calls << (reactivate ? "end reactivate" : "end"); }

    QStringList calls;

private:
    Mode m_mode;
    OverlayFakeHost *m_parent;
};

namespace OverlayInput {
// Mouse events at exact (fractional) positions in the view.
inline void mouse(QWidget *w, QEvent::Type type, QPointF p, Qt::MouseButton button = Qt::LeftButton)
{
    const Qt::MouseButtons buttons =
        type == QEvent::MouseButtonRelease || (type == QEvent::MouseMove && button == Qt::NoButton)
            ? Qt::NoButton
            : Qt::MouseButtons(Qt::LeftButton);
    QMouseEvent e(type, p, w->mapToGlobal(p), type == QEvent::MouseMove ? Qt::NoButton : button,
                  buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}
inline void press(QWidget *w, QPointF p) { mouse(w, QEvent::MouseButtonPress, p); }
inline void drag(QWidget *w, QPointF p) { mouse(w, QEvent::MouseMove, p); }
inline void hover(QWidget *w, QPointF p) { mouse(w, QEvent::MouseMove, p, Qt::NoButton); }
inline void release(QWidget *w, QPointF p) { mouse(w, QEvent::MouseButtonRelease, p); }

inline void key(QWidget *w, QEvent::Type type, int key, Qt::KeyboardModifiers mods = {},
                const QString &text = {}, bool autoRepeat = false)
{
    QKeyEvent e(type, key, mods, text, autoRepeat);
    QApplication::sendEvent(w, &e);
}
} // namespace OverlayInput

// A picture whose every pixel tells where it is: red = x, green = y (both mod 256), blue 90.
inline QImage patternImage(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = qRgb(x & 255, y & 255, 90);
    }
    return img;
}
