#include "export/Destination.h"

#include "platform/AppRegistry.h"
#include "platform/Preferences.h"

Destination::Destination(const QString &stored)
{
    if (stored == u"clipboard") {
        m_kind = Kind::Clipboard;
    } else if (stored.isEmpty() || stored == u"previous") {
        m_kind = Kind::Previous;
    } else {
        m_kind = Kind::App;
        m_app = stored;
    }
}

Destination Destination::current()
{
    return Destination(Preferences::shared().stringValue(QStringLiteral("send.to")).value_or(QStringLiteral("previous")));
}

QString Destination::stored() const
{
    switch (m_kind) {
    case Kind::Clipboard: return QStringLiteral("clipboard");
    case Kind::Previous: return QStringLiteral("previous");
    case Kind::App: break;
    }
    return m_app;
}

std::optional<QString> Destination::bundleID(const std::optional<RunningApp> &previous) const
{
    switch (m_kind) {
    case Kind::Clipboard:
        return std::nullopt;
    case Kind::Previous:
        if (!previous || previous->identifier.isEmpty())
            return std::nullopt;
        return previous->identifier;
    case Kind::App:
        break;
    }
    if (!AppRegistry::shared().find(m_app))
        return std::nullopt;
    return m_app;
}
