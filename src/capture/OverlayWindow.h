#pragma once
#include "capture/WindowEdges.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

// The window of one screen's overlay during a capture and, later, of the canvas. As an overlay
// it is frameless, kept out of the window manager's hands and above every other window (panels
// and docks included), covering its screen exactly; the one the user works on takes the keyboard
// (an X keyboard grab, since no window manager gives focus to such a window). Whatever it is, the
// keypad's Enter acts as Return, and the edge resizer (when there is one) sees every event first.
class OverlayWindow : public QWidget
{
    Q_OBJECT
public:
    // An overlay covering frame (global points). While the self-check runs it stays below every
    // other window and never takes the keyboard.
    explicit OverlayWindow(const QRect &frame);
    ~OverlayWindow() override;

    // Run instead of closing when the user closes the window.
    std::function<void()> onUserClose;
    // The window's edge resizer, made with the window by makeEdges (when set).
    std::unique_ptr<WindowEdges> edges;
    static std::function<std::unique_ptr<WindowEdges>()> makeEdges;

    // The view that fills the window; the window owns it.
    void setContentView(QWidget *view);
    QWidget *contentView() const { return m_content; }
    // Lets the content view go without deleting it, as it moves on to another window.
    void releaseContentView() { m_content = nullptr; }

    // Whether the window may take the keyboard (never while the self-check runs).
    bool canBecomeKey() const;
    // A window with a title bar: the canvas window, not a selection overlay.
    bool isTitled() const;

    // Shows the window above the others without taking the keyboard.
    void orderFrontRegardless();
    // Shows it in front and gives it the keyboard.
    void makeKeyAndOrderFront();
    // Hides it and lets the keyboard go.
    void orderOut();
    // Shows the canvas window (made one first if it is still an overlay) with its content at
    // content (global points) and gives it the keyboard (while the self-check runs it stays below
    // every other window and takes nothing).
    void becomeCanvas(const QRect &content);
    bool isKey() const { return m_key; }
    // Whether it holds the keyboard grab now (an overlay, not the canvas).
    bool holdsKeyboard() const { return m_grabbed; }
    // The area the window covers as an overlay, or the canvas window's content (global points).
    QRect frame() const { return m_frame; }
    // Makes an overlay that was ordered out ready for another capture: its content view goes
    // with the event loop's next turn, and what a capture changed on it is undone.
    void resetForPool();

signals:
    // The window has just turned into the canvas window.
    void becameCanvas();

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    bool handleWindowEvent(QEvent *event);
    void activateByInput(QEvent *event);
    void followPointer(QEvent *event);
    void releaseKeyboard();
    // Makes the window the canvas window: a normal window managed by the window manager, titled
    // "Quillet™", resizable but never smaller than 640 × 400, white.
    void turnTitled();

    QPointer<QWidget> m_content;
    QRect m_frame;
    bool m_key = false;
    bool m_grabbed = false;
    bool m_replacing = false;
};
