#pragma once
#include "app/Shortcut.h"

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QRectF>
#include <QString>
#include <QWindow>

#include <functional>
#include <optional>

// Records a key combination for a capture action. Started, it watches every key and click of
// the application: modifier keys show in its title as they are held, the first acceptable
// combination is taken, others are refused with a beep and a reason. Escape alone stops and
// keeps the old shortcut, Delete alone clears it; with Ctrl, Alt or Super they are recorded like
// any key. A click outside its area, or the application losing the focus, stops it.
//
// While any recorder records, the application's own global shortcuts are released, and the
// keyboard is grabbed for the recorder's window where it has one, so that combinations the
// desktop or another program holds reach the recorder. The last recorder to stop takes them back.
// Main thread only.
class ShortcutRecorder : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString title READ title NOTIFY titleChanged)
public:
    explicit ShortcutRecorder(QObject *parent = nullptr);
    ~ShortcutRecorder() override;

    std::optional<Shortcut> shortcut() const { return m_shortcut; }
    // Unless recording, the title follows at once.
    void setShortcut(const std::optional<Shortcut> &shortcut);

    QString title() const { return m_title; }
    bool isRecording() const { return m_recording; }
    // The modifiers held right now while recording.
    Shortcut::Modifiers heldModifiers() const { return m_held; }

    void toggle();
    void startRecording();
    void stopRecording();

    // The window whose keyboard is grabbed while recording (a window that is not shown is not
    // grabbed). With an area, a click inside it (in that window's coordinates) keeps recording,
    // so that the click can reach whatever toggles the recorder; without one, every click stops.
    void setWindow(QWindow *window) { m_window = window; }
    void setArea(const QRectF &area) { m_area = area; }

    std::function<void(std::optional<Shortcut>)> onRecord;
    std::function<void()> onStart;
    std::function<void()> onEnd;
    std::function<void(const QString &)> onRefuse;

    static QString recordText();    // "Record shortcut"
    static QString typeText();      // "Type shortcut"
    static QString refusalText();   // why a combination was refused
    // How many recorders hold the global shortcuts released now.
    static int suspensions();
    // Ends every recording in the process (the quit).
    static void stopAll();
    // The sound of a refusal; tests count it.
    static std::function<void()> beep;

signals:
    void titleChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setTitle(const QString &title);
    void showHeld();
    bool handleKeyPress(class QKeyEvent *event);
    void suspend();
    void unsuspend();

    std::optional<Shortcut> m_shortcut;
    QString m_title;
    bool m_recording = false;
    bool m_suspending = false;
    bool m_grabbing = false;
    Shortcut::Modifiers m_held;
    QPointer<QWindow> m_window;
    std::optional<QRectF> m_area;
    QMetaObject::Connection m_stateWatch;
};
