#pragma once
#include "platform/MemoryPasteboard.h"

#include <QString>

#include <memory>

// The self-check's private pasteboards, by name: in memory, one per name for the whole process,
// so the user's clipboard is never touched. A stage clears its own before it writes.
namespace Autopilot::Pasteboards {

inline const QString density = QStringLiteral("app.vellum.autopilot");      // a picture at half its pixel size
inline const QString copy = QStringLiteral("app.vellum.autopilot.copy");    // the export's copy on Return
inline const QString paste = QStringLiteral("app.vellum.autopilot.paste");  // text for the canvas's paste
inline const QString drop = QStringLiteral("app.vellum.autopilot.drop");    // picture files for a drop

// The pasteboard of that name, made on first use.
std::shared_ptr<MemoryPasteboard> named(const QString &name);

} // namespace Autopilot::Pasteboards
