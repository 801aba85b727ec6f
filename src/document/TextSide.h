#pragma once
#include <QHashFunctions>
#include <QPointF>
#include <QLatin1StringView>
#include <QString>

#include <array>
#include <optional>

// On which side of its anchor a text block sits. Stored in JSON by its name.
class TextSide
{
public:
    enum Value : quint8 { left, right, above, below, aboveLeading };

    constexpr TextSide(Value value = right) : m_value(value) { }
    constexpr operator Value() const { return m_value; }

    QLatin1StringView name() const;
    static std::optional<TextSide> fromName(QStringView name);
    static constexpr std::array<Value, 5> all = {left, right, above, below, aboveLeading};

    // The side of an arrow's comment: on the far side of the tail from the head. Ties between
    // the horizontal and vertical extent count as horizontal; a zero-length arrow gives left.
    static TextSide forArrow(QPointF tail, QPointF head);

private:
    Value m_value;
};

inline size_t qHash(TextSide side, size_t seed = 0) noexcept
{
    return ::qHash(int(TextSide::Value(side)), seed);
}
