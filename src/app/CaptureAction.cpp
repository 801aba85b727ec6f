#include "CaptureAction.h"

namespace CaptureActions {

QString rawValue(CaptureAction action)
{
    switch (action) {
    case CaptureAction::areaToCanvas:
        return QStringLiteral("areaToCanvas");
    case CaptureAction::fullScreenToCanvas:
        return QStringLiteral("fullScreenToCanvas");
    case CaptureAction::areaToClipboard:
        return QStringLiteral("areaToClipboard");
    case CaptureAction::repeatLastArea:
        return QStringLiteral("repeatLastArea");
    case CaptureAction::reopenLast:
        return QStringLiteral("reopenLast");
    case CaptureAction::markUpClipboard:
        return QStringLiteral("markUpClipboard");
    }
    return {};
}

std::optional<CaptureAction> fromRawValue(const QString &raw)
{
    for (CaptureAction a : all)
        if (rawValue(a) == raw)
            return a;
    return std::nullopt;
}

QString title(CaptureAction action)
{
    switch (action) {
    case CaptureAction::areaToCanvas:
        return QStringLiteral("Capture area");
    case CaptureAction::fullScreenToCanvas:
        return QStringLiteral("Capture full screen");
    case CaptureAction::areaToClipboard:
        return QStringLiteral("Capture area to clipboard");
    case CaptureAction::repeatLastArea:
        return QStringLiteral("Capture last area again");
    case CaptureAction::reopenLast:
        return QStringLiteral("Reopen last capture");
    case CaptureAction::markUpClipboard:
        return QStringLiteral("Mark up clipboard image");
    }
    return {};
}

} // namespace CaptureActions
