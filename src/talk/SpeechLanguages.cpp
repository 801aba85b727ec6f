#include "SpeechLanguages.h"
#include "app/PreferenceReaders.h"
#include "platform/Preferences.h"
#include "talk/SpeechEngine.h"

#include <QLocale>

#include <algorithm>

namespace SpeechLanguages {

QString chosen()
{
    if (auto stored = Prefs::store().stringValue(QStringLiteral("talk.language")))
        return *stored;
    const QLocale system = QLocale::system();
    if (system.language() == QLocale::C || system.language() == QLocale::AnyLanguage)
        return QStringLiteral("en-US");
    QString code = QLocale::languageToCode(system.language());
    if (system.territory() != QLocale::AnyTerritory)
        code += u'-' + QLocale::territoryToCode(system.territory());
    return code;
}

QString name(const QString &code)
{
    const QLocale locale(code);
    if (locale.language() == QLocale::C || locale.language() == QLocale::AnyLanguage)
        return code;
    QString out = QLocale::languageToString(locale.language());
    // QLocale fills in a likely territory; name one only when the code has one.
    if (code.contains(u'-') || code.contains(u'_'))
        out += QStringLiteral(" (") + QLocale::territoryToString(locale.territory()) + u')';
    return out;
}

QList<QPair<QString, QString>> supported(SpeechEngine &engine)
{
    QList<QPair<QString, QString>> out;
    for (const QString &code : engine.installedLanguages()) {
        if (std::none_of(out.begin(), out.end(), [&](const auto &p) { return p.first == code; }))
            out.append({code, name(code)});
    }
    std::stable_sort(out.begin(), out.end(), [](const auto &a, const auto &b) {
        return QString::localeAwareCompare(a.second.toLower(), b.second.toLower()) < 0;
    });
    return out;
}

} // namespace SpeechLanguages
