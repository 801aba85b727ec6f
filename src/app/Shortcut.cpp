#include "Shortcut.h"

#include "platform/KeyTable.h"
#include "platform/PlatformText.h"

#include <QHash>

#include <climits>

namespace {
const QHash<int, QString> &functionKeys()
{
    static const QHash<int, QString> names = {
        {122, QStringLiteral("F1")},  {120, QStringLiteral("F2")},  {99, QStringLiteral("F3")},
        {118, QStringLiteral("F4")},  {96, QStringLiteral("F5")},   {97, QStringLiteral("F6")},
        {98, QStringLiteral("F7")},   {100, QStringLiteral("F8")},  {101, QStringLiteral("F9")},
        {109, QStringLiteral("F10")}, {103, QStringLiteral("F11")}, {111, QStringLiteral("F12")},
        {105, QStringLiteral("F13")}, {107, QStringLiteral("F14")}, {113, QStringLiteral("F15")},
        {106, QStringLiteral("F16")}, {64, QStringLiteral("F17")},  {79, QStringLiteral("F18")},
        {80, QStringLiteral("F19")},  {90, QStringLiteral("F20")},
    };
    return names;
}

const QHash<int, QString> &specialKeys()
{
    static const QHash<int, QString> names = {
        {49, QStringLiteral("Space")},     {36, QString(QChar(0x21A9))},
        {76, QString(QChar(0x2324))},      {48, QString(QChar(0x21E5))},
        {51, QString(QChar(0x232B))},      {117, QString(QChar(0x2326))},
        {53, QString(QChar(0x238B))},      {123, QString(QChar(0x2190))},
        {124, QString(QChar(0x2192))},     {125, QString(QChar(0x2193))},
        {126, QString(QChar(0x2191))},     {115, QString(QChar(0x2196))},
        {119, QString(QChar(0x2198))},     {116, QString(QChar(0x21DE))},
        {121, QString(QChar(0x21DF))},
    };
    return names;
}

std::optional<int> integral(const QJsonValue &value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double d = value.toDouble();
    if (d != double(qint64(d)) || d < INT_MIN || d > INT_MAX)
        return std::nullopt;
    return int(d);
}
} // namespace

QString Shortcut::displayText() const
{
    QString glyphs;
    if (modifiers & Control)
        glyphs += QChar(0x2303);
    if (modifiers & Option)
        glyphs += QChar(0x2325);
    if (modifiers & Shift)
        glyphs += QChar(0x21E7);
    if (modifiers & Command)
        glyphs += QChar(0x2318);
    return PlatformText::keys(glyphs + key);
}

QJsonObject Shortcut::toJson() const
{
    return QJsonObject{{QStringLiteral("keyCode"), keyCode},
                       {QStringLiteral("modifiers"), int(modifiers.toInt())},
                       {QStringLiteral("key"), key}};
}

std::optional<Shortcut> Shortcut::fromJson(const QJsonValue &value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject o = value.toObject();
    const auto code = integral(o.value(QLatin1String("keyCode")));
    const auto mods = integral(o.value(QLatin1String("modifiers")));
    const QJsonValue key = o.value(QLatin1String("key"));
    if (!code || !mods || !key.isString())
        return std::nullopt;
    return Shortcut{*code, Modifiers::fromInt(*mods), key.toString()};
}

quint64 Shortcut::eventFlags(Modifiers modifiers)
{
    quint64 flags = 0;
    if (modifiers & Shift)
        flags |= EventFlag::Shift;
    if (modifiers & Control)
        flags |= EventFlag::Control;
    if (modifiers & Option)
        flags |= EventFlag::Option;
    if (modifiers & Command)
        flags |= EventFlag::Command;
    return flags;
}

Shortcut::Modifiers Shortcut::modifiersFromEventFlags(quint64 flags)
{
    Modifiers m;
    if (flags & EventFlag::Shift)
        m |= Shift;
    if (flags & EventFlag::Control)
        m |= Control;
    if (flags & EventFlag::Option)
        m |= Option;
    if (flags & EventFlag::Command)
        m |= Command;
    return m;
}

bool Shortcut::isFunctionKey(int keyCode)
{
    return functionKeys().contains(keyCode);
}

QString Shortcut::keyName(int keyCode, const std::optional<QString> &characters)
{
    if (const auto f = functionKeys().constFind(keyCode); f != functionKeys().cend())
        return *f;
    if (const auto s = specialKeys().constFind(keyCode); s != specialKeys().cend())
        return *s;
    if (!characters)
        return QStringLiteral("?");
    return characters->toUpper();
}

bool Shortcut::isAcceptable(int keyCode, Modifiers modifiers)
{
    return isFunctionKey(keyCode) || (modifiers & (Control | Option | Command));
}
