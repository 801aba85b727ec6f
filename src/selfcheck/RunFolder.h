#pragma once
#include <QString>

// The output folder of a self-check run. The run deletes the folder's "history" subfolder at its
// start, so it marks the folders it makes and clears a history only where that is safe.
namespace RunFolder {

// The mark a run leaves in the folders it made.
inline constexpr const char *markName = ".quillet-selfcheck";

// Makes the folder (with its parents) when it is missing and marks it, marks an empty one, and
// answers whether its "history" may be deleted: when there is none, when it is an empty folder,
// or when the folder carries the mark. A history that is a link, or any other history in an
// unmarked folder, is left alone: false.
bool prepare(const QString &folder);

} // namespace RunFolder
