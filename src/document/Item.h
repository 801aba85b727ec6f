#pragma once
#include "ItemKind.h"
#include "TextSide.h"

#include <QPointF>
#include <QRectF>
#include <QString>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <array>
#include <optional>

// One mark on the canvas: an arrow, a text (free text or an arrow's comment), a box or a
// redaction. Fields that a kind does not use keep their defaults.
struct Item {
    QUuid id = QUuid::createUuid();
    ItemKind kind = ItemKind::arrow;
    int color = 0; // palette index 0...5 (Palette::colors)
    int size = defaultSize; // size step 0...3 (sizeScales)
    QPointF tail; // arrow: the end where the comment sits
    QPointF head; // arrow: the pointed-at end
    bool flipped = false; // arrow: toggled on every reverse
    QString string; // text: the typed words
    QPointF anchor; // text: the point the text is placed against
    TextSide side = TextSide::right; // text: side of the anchor the block sits on
    double width = 0; // text: layout width in points
    QString font; // text: font name
    std::optional<QUuid> arrowID; // text: the arrow whose comment this is; none for free text
    QRectF rect; // box and redaction: the marked rectangle

    static constexpr std::array<double, 4> sizeScales = {0.6, 0.8, 1.0, 1.4};
    static const std::array<const char *, 4> sizeNames; // "S", "M", "L", "XL"
    static constexpr int defaultSize = 2;
    static constexpr int colorCount = 6;
    // The most UTF-16 units a text item holds: enough for any comment, and a bound on what
    // laying one out can cost.
    static constexpr qsizetype longestString = 65536;
    // text cut to longestString, never between the two halves of a surrogate pair.
    static QString cappedString(const QString &text);

    // Constructors. Those without an id mint a new random one. Colour and size are taken as
    // given (not clamped).
    Item() = default;
    Item(const QUuid &id, ItemKind kind, int color, int size);
    static Item arrowFrom(QPointF tail, QPointF head, int color, int size);
    static Item noteAt(QPointF anchor, TextSide side, double width, const QString &font, int color,
                       int size, std::optional<QUuid> arrowID = std::nullopt);
    static Item withRect(ItemKind kind, const QRectF &rect, int color, int size);

    // Distance from tail to head.
    double length() const;
    // x times the scale of the item's size step (the step clamped into 0...3).
    double scaled(double x) const;
    // Adds the offset to tail, head and anchor and offsets rect, whatever the kind.
    void moveBy(double dx, double dy);

    // A text item that belongs to an arrow.
    bool isComment() const { return kind == ItemKind::text && arrowID.has_value(); }

    // Exact comparison of all fields.
    friend bool operator==(const Item &a, const Item &b);
};
