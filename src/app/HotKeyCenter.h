#pragma once
#include "CaptureAction.h"
#include "HotKey.h"
#include "Shortcut.h"

#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <optional>

class GlobalKeyGrabber;
class SystemShortcutStore;

// The global shortcuts of the capture actions: one per action in the preferences
// ("shortcut." + the action's raw name), registered as global key grabs, with a status for
// every action. Main thread only.
class HotKeyCenter : public QObject
{
    Q_OBJECT
public:
    struct Status {
        enum Kind { system, unassigned, active, takenByApp };
        Kind kind = unassigned;
        QString name; // the desktop shortcut's name, for system
        bool operator==(const Status &other) const = default;
        static Status systemShortcut(const QString &name) { return {system, name}; }
    };

    explicit HotKeyCenter(QObject *parent = nullptr);
    HotKeyCenter(GlobalKeyGrabber &grabber, SystemShortcutStore &store, QObject *parent = nullptr);
    ~HotKeyCenter() override;

    static QString preferenceKey(CaptureAction action);
    static std::optional<Shortcut> defaultShortcut(CaptureAction action);

    // The stored shortcut, the default when none is stored, nothing when cleared or unreadable.
    std::optional<Shortcut> shortcut(CaptureAction action) const;
    // Stores the shortcut (clearing it from every other action that has it) and registers again.
    void setShortcut(const std::optional<Shortcut> &shortcut, CaptureAction action);
    // Every action back to its default, then registers again.
    void restoreDefaults();
    // Rebuilds every registration and status, then calls onChange.
    void registerAll();
    // Drops every registration until the next registerAll; the statuses stay as they were.
    void releaseAll() { m_registered.clear(); }
    // True when the key is the shortcut of a registered action; fires it (after the current
    // event) unless the key is an auto-repeat.
    bool handleKey(qint64 keyCode, Shortcut::Modifiers modifiers, bool isRepeat);

    // Switches the desktop's shortcut with this action's keys off and registers again; true
    // when the action's shortcut now works.
    bool takeFromSystem(CaptureAction action);
    // Switches every desktop shortcut taken before back on and registers again.
    void giveBackToSystem();

    // Empty before the first registerAll; status() then answers unassigned.
    const std::map<CaptureAction, Status> &statuses() const { return m_statuses; }
    Status status(CaptureAction action) const;
    SystemShortcutStore &systemStore() const { return m_store; }

    std::function<void(CaptureAction)> onFire;
    std::function<void()> onChange;

private:
    GlobalKeyGrabber &m_grabber;
    SystemShortcutStore &m_store;
    std::map<CaptureAction, std::unique_ptr<HotKey>> m_registered;
    std::map<CaptureAction, Status> m_statuses;
};
