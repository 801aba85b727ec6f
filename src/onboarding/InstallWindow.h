#pragma once
#include <QString>

#include <functional>
#include <optional>

// "Install for this user": the running executable copied to ~/.local/bin/quillet, a desktop
// entry in the user's applications (~/.local/share/applications/quillet.desktop, marked
// X-Quillet-Installed=true) and the icon in the user's icon theme folder, so that Quillet™
// shows in the application menu. Nothing outside the home folder is touched, and a file that
// Quillet™ did not write is never replaced. A copy that is still current is not made again.
namespace InstallWindow {

// Where the install writes.
struct Places {
    QString home;
    QString binary;
    QString desktopEntry;
    QString icon;
    QString madeFrom; // what the installed copy was made from
    QString autostart; // the login item's autostart entry, moved to the installed copy
};
// The places for this user ($HOME, $XDG_DATA_HOME, $XDG_CACHE_HOME, with their defaults).
Places places();
// The text that identifies what a copy is made from: the executable's path, size and
// modification time. Empty when the executable cannot be read.
QString madeFrom(const QString &executable);
// What the user is told once it is done: where the program went, and that the menu has it.
QString installedText(const Places &places);
// Does the work on the calling thread. A step that fails takes back what the earlier ones wrote. Nothing on success, else the problem in the user's words.
std::optional<QString> install(const QString &executable, const Places &places);
// Starts the work on a worker thread and calls done once, on the main thread, with the problem
// or nothing; writes one line to the activity log. The caller waits for done before calling again.
void open(std::function<void(std::optional<QString>)> done);

} // namespace InstallWindow
