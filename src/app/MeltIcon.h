#pragma once
#include <QString>

#include <optional>

// Shows the icon stage for the capture count in the preference "melt.captures" as the
// application's icon (window and tray). Unless forced, nothing happens when that stage is already
// shown. A stage whose picture is missing leaves the icon as it was. Main thread only.
void refreshMeltIcon(bool force = false);

namespace MeltIcon {
// The stage shown last, or nothing before the first icon was set.
std::optional<int> shownStage();
// The folder of the stage pictures (":/MeltIcons" unless a test points elsewhere).
QString folder();
// Tests: another picture folder, and forgetting the cache and the shown stage.
void setFolderForTesting(const QString &folder);
void resetForTesting();
} // namespace MeltIcon
