#pragma once
#include <QList>
#include <QPair>
#include <QString>

class SpeechEngine;

namespace SpeechLanguages {
// The language to listen in: "talk.language" as stored, else the system's; the C locale counts as
// US English.
QString chosen();
// A code's display name, "English (United States)"; the code itself when it names no language.
QString name(const QString &code);
// The (code, name) pairs of the installed languages, by name.
QList<QPair<QString, QString>> supported(SpeechEngine &engine);
} // namespace SpeechLanguages
