#pragma once
#include <QString>

// Folders for the files that thumbnails dragged out of the rail become. They live in a per-user
// scratch folder (mode 0700, owned by the user, not a link); each drag gets a fresh folder of its
// own, and folders older than an hour are removed whole (links inside are removed, not followed).
namespace RailScratch {
// The per-user scratch folder of the exports, made when missing; empty when it cannot be trusted.
QString folder();
// A new empty folder for one drag; empty on failure. Prunes old drag folders first.
QString newDragFolder();
// Removes drag folders in `base` last modified more than `seconds` ago.
void prune(const QString &base, double seconds);
} // namespace RailScratch
