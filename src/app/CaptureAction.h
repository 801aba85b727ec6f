#pragma once
#include <QString>

#include <array>
#include <optional>

// The six capture actions, in the order every menu and loop visits them.
enum class CaptureAction {
    areaToCanvas,
    fullScreenToCanvas,
    areaToClipboard,
    repeatLastArea,
    reopenLast,
    markUpClipboard,
};

namespace CaptureActions {
constexpr std::array<CaptureAction, 6> all = {
    CaptureAction::areaToCanvas,   CaptureAction::fullScreenToCanvas, CaptureAction::areaToClipboard,
    CaptureAction::repeatLastArea, CaptureAction::reopenLast,         CaptureAction::markUpClipboard,
};
QString rawValue(CaptureAction action);
// Nothing for a text that names none of the six.
std::optional<CaptureAction> fromRawValue(const QString &raw);
// The title in the menus and the settings ("Capture area", …).
QString title(CaptureAction action);
} // namespace CaptureActions
