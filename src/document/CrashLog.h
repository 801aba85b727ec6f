#pragma once
#include "Scrub.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

// The facts a problem report needs from one crash report file: an ips text, that is a JSON
// header object on the first line and a JSON body object after it. Reads text only.
struct CrashLog {
    QString bundleID;
    QString version;
    QString build;
    QString incident;
    std::optional<QDateTime> date;
    QString reason; // "EXC_BAD_ACCESS (SIGSEGV)"
    QString place;  // the crashed thread's first frame of the application, or empty
    QString scrubbed; // the whole text without personal keys, names and folders

    bool operator==(const CrashLog &) const = default;

    // Nothing when the text is not a crash report of that form.
    static std::optional<CrashLog> read(const QString &text, const Scrub::Identity &who);
    // The body's top-level keys that never leave the machine.
    static const QStringList &droppedKeys();
    // "yyyy-MM-dd HH:mm:ss[.SS|.SSSS] +zzzz"; nothing for any other form.
    static std::optional<QDateTime> parseDate(const QString &text);

    // The reason, then " in " and the place when there is one.
    QString summary() const;
};
