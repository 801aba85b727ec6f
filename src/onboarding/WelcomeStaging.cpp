#include "WelcomeStaging.h"

#include <QStringList>

WelcomeStaging WelcomeStaging::parse(const QString &value)
{
    const QStringList pieces = value.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    const QString word = pieces.value(0);
    WelcomeStaging s;
    s.screen = word != QLatin1String("fresh");
    s.access = word != QLatin1String("fresh") && word != QLatin1String("access");
    s.captured = word == QLatin1String("done");
    if (word == QLatin1String("shortcut") || word == QLatin1String("recording"))
        s.chosen = WelcomeModel::Step::shortcut;
    s.recording = word == QLatin1String("recording");
    if (pieces.size() > 1) {
        const QString stage = pieces.at(1);
        bool ok = false;
        const int n = stage.toInt(&ok, 10);
        // Only plain decimal digits count ("+5" and " 5" do not).
        const bool digits = std::all_of(stage.cbegin(), stage.cend(), [](QChar c) { return c.isDigit(); });
        if (ok && digits && n >= 0 && n <= 9)
            s.melt = n;
    }
    return s;
}
