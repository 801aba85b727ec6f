#pragma once
#include <QList>
#include <QString>

#include <array>
#include <optional>

// The modifier key held down over a canvas to talk. Key codes and flag bits are the stored key
// codes and modifier bits of the key table in src/platform; raw values are what "talk.key" stores.
enum class TalkKey { control, rightOption, rightCommand };

namespace TalkKeys {
// Every key in the order the settings list them.
inline constexpr std::array<TalkKey, 3> allCases{TalkKey::control, TalkKey::rightOption,
                                                 TalkKey::rightCommand};

// Modifier bits independent of the device: shift, control, option, command.
inline constexpr quint64 shiftFlag = 0x20000;
inline constexpr quint64 controlFlag = 0x40000;
inline constexpr quint64 optionFlag = 0x80000;
inline constexpr quint64 commandFlag = 0x100000;

QString rawValue(TalkKey key);
// Exactly one of the three raw values gives a key; any other text (also "Control") gives none.
std::optional<TalkKey> fromRawValue(const QString &raw);
QString title(TalkKey key);  // "Control", "Right Option", "Right Command"
QString symbol(TalkKey key); // "⌃", "right ⌥", "right ⌘"
QList<quint16> keyCodes(TalkKey key);
// The device-dependent bits that say that this physical key is down.
quint64 deviceFlags(TalkKey key);
// The modifier bits that must all be up for a hold to begin.
quint64 otherModifiers(TalkKey key);
} // namespace TalkKeys
