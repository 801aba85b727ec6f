#pragma once
#include <QString>

#include <memory>
#include <optional>

// Modal questions to the user: an alert with two buttons and a folder chooser. Tests put a fake
// in place so that nothing blocks. Main thread only.
class Dialogs
{
public:
    struct Alert {
        QString message;
        QString informative;
        QString accept; // the first, default button
        QString reject;
    };

    virtual ~Dialogs() = default;

    // The process-wide instance: Qt's message box and file dialog.
    static Dialogs &shared();
    // Tests put a fake in its place; nullptr brings back the default.
    static void setShared(std::shared_ptr<Dialogs> instance);

    // True when the user chose the accept button.
    virtual bool confirm(const Alert &alert) = 0;
    // A folder chosen by the user, starting at start; nothing when cancelled.
    virtual std::optional<QString> chooseFolder(const QString &start, const QString &prompt) = 0;
};
