#include "PreferenceReaders.h"

#include "ActivityLog.h"
#include "platform/Paths.h"
#include "platform/Preferences.h"

#include "document/UsageStats.h"

#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QFontInfo>
#include <QJsonArray>
#include <QLocale>
#include <QPalette>

#include <algorithm>
#include <mutex>

namespace Prefs {
namespace {
constexpr int sizeScaleCount = 4; // entries of the item size table

const QString monospaceBoldName = QStringLiteral("Menlo-Bold");

QFont monospaceBold(double size)
{
    QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f.setFamilies({QStringLiteral("DejaVu Sans Mono"), f.family()});
    f.setStyleHint(QFont::Monospace);
    f.setBold(true);
    f.setPixelSize(qMax(1, qRound(size)));
    return f;
}

// "DejaVuSansMono" → "DejaVu Sans Mono": PostScript names drop the blanks of the family.
QString normalised(const QString &s)
{
    QString out;
    for (QChar c : s)
        if (!c.isSpace())
            out += c.toLower();
    return out;
}
} // namespace

Preferences &store()
{
    static std::once_flag once;
    std::call_once(once, [] { Preferences::setProblemLogger([](const QString &line) { activityLog(line); }); });
    return Preferences::shared();
}

bool preferenceFlag(const QString &key)
{
    return store().boolValue(key).value_or(true);
}

bool showsExportBox() { return preferenceFlag(QStringLiteral("canvas.exportBox")); }
bool remembersStyle() { return preferenceFlag(QStringLiteral("style.remember")); }
bool talkEnabled() { return preferenceFlag(QStringLiteral("talk.enabled")); }
bool autoDirection() { return preferenceFlag(QStringLiteral("canvas.autoDirection")); }

int styleSizeIndex()
{
    const auto v = store().intValue(QStringLiteral("style.size"));
    if (!v)
        return 2;
    return int(std::clamp<qint64>(*v, 0, sizeScaleCount - 1));
}

TalkKey talkKey()
{
    // Super pressed alone opens the desktop's overview or launcher on Linux desktops, so the
    // default is the right Ctrl key; any stored choice of the three is kept.
    const QString v = store().stringValue(QStringLiteral("talk.key")).value_or(QString());
    return TalkKeys::fromRawValue(v).value_or(TalkKey::rightCommand);
}

QString talkKeyText(TalkKey key)
{
    return TalkKeys::rawValue(key);
}

double railWidthForColumns(qint64 c)
{
    if (c < 2)
        c = 1;
    return double(c) * 132 + 52 + double(c - 1) * 18;
}

double railWidth()
{
    if (const auto w = store().numberValue(QStringLiteral("canvas.railWidth")))
        return *w;
    return railWidthForColumns(store().intValue(QStringLiteral("canvas.railColumns")).value_or(1));
}

double railThumb()
{
    const auto v = store().numberValue(QStringLiteral("canvas.railThumb"));
    if (!v)
        return 132;
    return std::clamp(*v, 96.0, 360.0);
}

QList<qint64> takenFromSystem()
{
    return store().intList(QStringLiteral("shortcuts.takenFromSystem")).value_or(QList<qint64>());
}

bool shareStatsFor(const std::optional<QString> &region)
{
    if (const auto v = store().boolValue(QStringLiteral("stats.share")))
        return *v;
    return UsageStats::shareByDefault(region.value_or(QString()));
}

bool shareStats()
{
    const QLocale locale = QLocale::system();
    std::optional<QString> region;
    if (locale.territory() != QLocale::AnyTerritory)
        region = QLocale::territoryToCode(locale.territory());
    return shareStatsFor(region);
}

QString exportFolder()
{
    if (const auto v = store().stringValue(QStringLiteral("export.folder")))
        return *v;
    const QString desktop = Paths::desktopDir();
    return desktop.isEmpty() ? Paths::home() : desktop;
}

std::optional<QFont> loadFont(const QString &name, double size)
{
    if (name.isEmpty())
        return std::nullopt;
    if (name == monospaceBoldName)
        return monospaceBold(size);
    const qsizetype dash = name.lastIndexOf(QLatin1Char('-'));
    const QString familyPart = dash > 0 ? name.left(dash) : name;
    const QString stylePart = dash > 0 ? name.mid(dash + 1) : QString();
    const QString wanted = normalised(familyPart);
    for (const QString &family : QFontDatabase::families()) {
        if (normalised(family) != wanted)
            continue;
        QString style;
        for (const QString &s : QFontDatabase::styles(family)) {
            if (stylePart.isEmpty() ? (s == QLatin1String("Regular") || s == QLatin1String("Book"))
                                    : normalised(s) == normalised(stylePart)) {
                style = s;
                break;
            }
        }
        if (!stylePart.isEmpty() && style.isEmpty())
            return std::nullopt;
        QFont f = style.isEmpty() ? QFont(family) : QFontDatabase::font(family, style, 12);
        f.setPixelSize(qMax(1, qRound(size)));
        return f;
    }
    return std::nullopt;
}

QStringList recentFonts()
{
    const QStringList stored = store()
                                   .stringList(QStringLiteral("style.recentFonts"))
                                   .value_or(QStringList{monospaceBoldName});
    QStringList out;
    for (const QString &name : stored)
        if (loadFont(name, 12))
            out.append(name);
    return out;
}

void rememberFont(const QString &name)
{
    store().setValue(QStringLiteral("style.font"), name);
    QStringList list = recentFonts();
    list.removeAll(name);
    list.prepend(name);
    if (list.size() >= 6)
        list = list.mid(0, 5);
    store().setValue(QStringLiteral("style.recentFonts"), QJsonArray::fromStringList(list));
}

QFont textFont(const QString &name, double scale)
{
    const double size = 22 * scale;
    if (auto f = loadFont(name, size))
        return *f;
    return monospaceBold(size);
}

QColor accentColor()
{
    static const QColor accent = [] {
        const QColor c = QApplication::palette().color(QPalette::Active, QPalette::Highlight);
        return c.isValid() ? c : QColor(10, 132, 255);
    }();
    return accent;
}

} // namespace Prefs
