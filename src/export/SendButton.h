#pragma once
#include "platform/RunningApp.h"

#include <QToolButton>

#include <functional>
#include <optional>

class QAction;
class QMenu;

// The toolbar's pull-down that shows where Ctrl+Return sends the picture and changes it: its face
// is the key with the destination's icon, its menu offers "Send Now", the clipboard, the app the
// user was in, the suggested and added applications, and "Other App…". It refreshes itself when
// the destination changes anywhere. Main thread only.
class SendButton : public QToolButton
{
    Q_OBJECT
public:
    explicit SendButton(QWidget *parent = nullptr);

    // Run by "Send Now".
    std::function<void()> onSend;
    // The application that was in front before the capture (set by the owner).
    std::function<std::optional<RunningApp>()> previous;
    // Offered each key pressed while the menu is open, before the menu's own items: answers true
    // when a capture shortcut took the key (filled at start-up).
    static std::function<bool(int keyCode, quint64 eventFlags)> shortcutKeyHook;

    QString tip() const { return m_tip; }
    // Rebuilds the face and the tip from the stored destination.
    void refresh();
    // Rebuilds the menu's items; runs each time the menu is about to open.
    void rebuildMenu();
    // "Send Now".
    void sendNow();
    // A destination item was chosen: stores its destination.
    void pick(QAction *item);
    // "Other App…": asks for an installed application in a window-modal chooser.
    void otherApp();
    // The application chosen with "Other App…", by id; one that is not installed changes nothing.
    void otherAppChosen(const QString &id);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::optional<RunningApp> previousApp() const;

    QMenu *m_menu;
    QString m_tip;
};
