#include "TalkKey.h"

namespace TalkKeys {
namespace {
struct Row {
    const char *raw;
    const char *title;
    const char16_t *symbol;
    QList<quint16> codes;
    quint64 device;
    quint64 others;
};

const Row &row(TalkKey key)
{
    // In the order of TalkKey.
    static const Row rows[] = {
        {"control", "Control", u"\u2303", {59, 62}, 0x2001, shiftFlag | optionFlag | commandFlag},
        {"rightOption", "Right Option", u"right \u2325", {61}, 0x40, shiftFlag | controlFlag | commandFlag},
        {"rightCommand", "Right Command", u"right \u2318", {54}, 0x10, shiftFlag | controlFlag | optionFlag},
    };
    return rows[int(key)];
}
} // namespace

QString rawValue(TalkKey key)
{
    return QLatin1String(row(key).raw);
}

std::optional<TalkKey> fromRawValue(const QString &raw)
{
    for (TalkKey key : allCases) {
        if (rawValue(key) == raw)
            return key;
    }
    return std::nullopt;
}

QString title(TalkKey key)
{
    return QLatin1String(row(key).title);
}

QString symbol(TalkKey key)
{
    return QString::fromUtf16(row(key).symbol);
}

QList<quint16> keyCodes(TalkKey key)
{
    return row(key).codes;
}

quint64 deviceFlags(TalkKey key)
{
    return row(key).device;
}

quint64 otherModifiers(TalkKey key)
{
    return row(key).others;
}

} // namespace TalkKeys
