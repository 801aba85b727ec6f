#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

// One problem report: a crash, a caught exception, a hang, an unexpected quit or the user's own
// feedback. Shown to the user as pretty JSON, kept in the outbox and uploaded as compact JSON.
struct Report {
    enum class Kind { crash, exception, hang, quit, feedback };

    struct App {
        QString version;
        QString build;
        QString bundleID;
        QString commit;
        bool operator==(const App &) const = default;
    };

    struct System {
        QString os;
        QString model;
        QString arch;
        QString locale;
        qint64 memoryGB = 0;
        QStringList screens;
        bool operator==(const System &) const = default;
    };

    // The largest encoded report the report endpoint takes.
    static constexpr qint64 maxBytes = 900000;

    int schema = 1;
    QString id;
    Kind kind = Kind::feedback;
    QDateTime created; // whole seconds, UTC
    App app;
    System system;
    QString install;
    QString summary;
    std::optional<QString> comment;
    std::optional<QString> contact;
    std::optional<QString> crash;
    std::optional<QString> exception;
    std::optional<QStringList> diagnostics;
    QString log;
    QMap<QString, QString> state;

    Report() = default;
    Report(const QString &id, Kind kind, const QDateTime &created, const App &app,
           const System &system, const QString &install, const QString &summary,
           const QString &log, const QMap<QString, QString> &state);

    bool operator==(const Report &other) const;

    static QString kindName(Kind kind);
    static std::optional<Kind> kindFromName(const QString &name);

    // The document exactly as it is, without fitting it to maxBytes.
    QByteArray encode(bool pretty) const;

    // A copy cut until its compact form fits in maxBytes: the log to a quarter while it is above
    // 8000 bytes, then the diagnostic payloads from the last, then the crash text by halves
    // (marked "\n[cut to fit]"), then the diagnostics key, the exception and the comment by
    // halves; as a last resort the short texts and the log go. Nothing is cut from a report
    // that fits.
    Report fitted() const;

    // The fitted report in the chosen form: the pretty form shows exactly the texts the compact
    // form sends. Nothing when even the fully cut report does not fit.
    std::optional<QByteArray> json(bool pretty) const;

    // Every non-optional key is required with its type; nothing otherwise.
    static std::optional<Report> fromJson(const QByteArray &json);
};
