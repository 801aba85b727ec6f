#pragma once
#include <QLatin1StringView>
#include <QString>

#include <array>
#include <optional>

// What a mark is. Stored in JSON by its name ("arrow", "text", "box", "redaction").
class ItemKind
{
public:
    enum Value : quint8 { arrow, text, box, redaction };

    constexpr ItemKind(Value value = arrow) : m_value(value) { }
    constexpr operator Value() const { return m_value; }

    QLatin1StringView name() const;
    static std::optional<ItemKind> fromName(QStringView name);
    static constexpr std::array<Value, 4> all = {arrow, text, box, redaction};

private:
    Value m_value;
};
