#include "MarkupJsonText.h"

#include "MarkupJson.h"

#include <charconv>
#include <cmath>

namespace MarkupJsonText {
namespace {

class Writer
{
public:
    QByteArray out;
    QString error;

    void raw(const char *text) { out.append(text); }
    void raw(QLatin1StringView text) { out.append(text.data(), text.size()); }
    void key(const char *name)
    {
        out.append('"').append(name).append("\":");
    }

    void number(double v, const char *name)
    {
        if (!std::isfinite(v)) {
            fail(name);
            v = 0;
        }
        char buffer[32];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
        out.append(buffer, result.ptr - buffer);
    }

    void integer(int v)
    {
        char buffer[16];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
        out.append(buffer, result.ptr - buffer);
    }

    void pair(double a, double b, const char *name)
    {
        out.append('[');
        number(a, name);
        out.append(',');
        number(b, name);
        out.append(']');
    }

    void rect(const QRectF &r, const char *name)
    {
        out.append('[');
        pair(r.x(), r.y(), name);
        out.append(',');
        pair(r.width(), r.height(), name);
        out.append(']');
    }

    void string(const QString &text)
    {
        static const char hex[] = "0123456789abcdef";
        out.append('"');
        for (const char c : text.toUtf8()) {
            const auto u = static_cast<unsigned char>(c);
            switch (c) {
            case '"': out.append("\\\""); break;
            case '\\': out.append("\\\\"); break;
            case '\n': out.append("\\n"); break;
            case '\r': out.append("\\r"); break;
            case '\t': out.append("\\t"); break;
            case '\b': out.append("\\b"); break;
            case '\f': out.append("\\f"); break;
            default:
                if (u < 0x20) {
                    const char escaped[] = {'\\', 'u', '0', '0', hex[u >> 4], hex[u & 15]};
                    out.append(escaped, sizeof escaped);
                } else {
                    out.append(c);
                }
            }
        }
        out.append('"');
    }

    void uuid(const QUuid &id)
    {
        // The 36-character form with upper-case digits, written without temporary strings.
        static const char hex[] = "0123456789ABCDEF";
        const QByteArray bytes = id.toRfc4122();
        char text[38];
        char *p = text;
        *p++ = '"';
        for (int i = 0; i < 16; ++i) {
            if (i == 4 || i == 6 || i == 8 || i == 10)
                *p++ = '-';
            const auto b = static_cast<unsigned char>(bytes[i]);
            *p++ = hex[b >> 4];
            *p++ = hex[b & 15];
        }
        *p++ = '"';
        out.append(text, p - text);
    }

    // The place of what is being written, for the error message.
    const char *list = nullptr;
    qsizetype index = -1;

private:
    void fail(const char *name)
    {
        if (!error.isEmpty())
            return;
        const QString where = list ? QStringLiteral("%1[%2].").arg(QLatin1StringView(list)).arg(index)
                                   : QString();
        error = QStringLiteral("%1%2: not a finite number").arg(where, QLatin1StringView(name));
    }
};

void writeShot(Writer &w, const Shot &shot)
{
    w.raw("{\"id\":");
    w.uuid(shot.id);
    w.raw(",\"origin\":");
    w.pair(shot.origin.x(), shot.origin.y(), "origin");
    w.raw(",\"imageSize\":");
    w.pair(shot.imageSize.width(), shot.imageSize.height(), "imageSize");
    w.raw(",\"rect\":");
    w.rect(shot.rect, "rect");
    w.raw("}");
}

void writeItem(Writer &w, const Item &item)
{
    w.raw("{\"id\":");
    w.uuid(item.id);
    w.raw(",\"kind\":\"");
    w.raw(item.kind.name());
    w.raw("\",\"color\":");
    w.integer(item.color);
    w.raw(",\"size\":");
    w.integer(item.size);
    w.raw(",\"tail\":");
    w.pair(item.tail.x(), item.tail.y(), "tail");
    w.raw(",\"head\":");
    w.pair(item.head.x(), item.head.y(), "head");
    w.raw(item.flipped ? ",\"flipped\":true" : ",\"flipped\":false");
    w.raw(",\"string\":");
    w.string(item.string);
    w.raw(",\"anchor\":");
    w.pair(item.anchor.x(), item.anchor.y(), "anchor");
    w.raw(",\"side\":\"");
    w.raw(item.side.name());
    w.raw("\",\"width\":");
    w.number(item.width, "width");
    w.raw(",\"font\":");
    w.string(item.font);
    if (item.arrowID) {
        w.raw(",\"arrowID\":");
        w.uuid(*item.arrowID);
    }
    w.raw(",\"rect\":");
    w.rect(item.rect, "rect");
    w.raw("}");
}

} // namespace

std::optional<QByteArray> write(const Markup &markup, QString *error)
{
    Writer w;
    w.out.reserve(64 + markup.shots.size() * 160 + markup.items.size() * 360);
    w.raw("{\"shots\":[");
    w.list = "shots";
    for (w.index = 0; w.index < markup.shots.size(); ++w.index) {
        if (w.index)
            w.raw(",");
        writeShot(w, markup.shots.at(w.index));
    }
    w.list = nullptr;
    w.raw("],\"unit\":");
    w.number(markup.unit, "unit");
    w.raw(",\"items\":[");
    w.list = "items";
    for (w.index = 0; w.index < markup.items.size(); ++w.index) {
        if (w.index)
            w.raw(",");
        writeItem(w, markup.items.at(w.index));
    }
    w.raw("]}");
    if (error)
        *error = w.error;
    if (!w.error.isEmpty())
        return std::nullopt;
    return w.out;
}

} // namespace MarkupJsonText
