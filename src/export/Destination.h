#pragma once
#include "platform/RunningApp.h"

#include <QString>

#include <optional>

// Where Ctrl+Return sends the picture, as stored under "send.to": the clipboard only, the
// application that was in front before the capture, or an application named by its id.
class Destination
{
public:
    enum class Kind { Clipboard, Previous, App };

    // From the stored text: "clipboard", "previous" (also the empty text), else an application id.
    explicit Destination(const QString &stored);
    static Destination clipboard() { return Destination(QStringLiteral("clipboard")); }
    static Destination previous() { return Destination(QStringLiteral("previous")); }
    // The destination stored under "send.to" ("previous" when there is none).
    static Destination current();

    Kind kind() const { return m_kind; }
    QString appId() const { return m_app; }
    // "clipboard", "previous" or the application id.
    QString stored() const;

    // The id of the application to paste into, given the application in front before the capture:
    // none for the clipboard; for the previous application its identifier (none without one); for
    // a named application the id when it is installed. None means copy only.
    std::optional<QString> bundleID(const std::optional<RunningApp> &previous) const;

    bool operator==(const Destination &) const = default;

private:
    Kind m_kind = Kind::Previous;
    QString m_app;
};
