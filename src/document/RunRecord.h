#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

// The record of one run, kept in run.json: written at launch, marked settled 20 s later and
// clean at a normal quit. The next launch reads it to tell how the previous run ended.
struct RunRecord {
    enum class Ending { none, clean, unexpected, diedAtLaunch };

    static constexpr double settleSeconds = 20.0;
    static constexpr qint64 rescueThreshold = 3;

    QDateTime launched; // whole seconds, UTC
    QString version;
    QString build;
    bool clean = false;
    bool settled = false;

    RunRecord() = default;
    RunRecord(const QDateTime &launched, const QString &version, const QString &build);

    bool operator==(const RunRecord &other) const;

    // How the run of `previous` ended; nothing read counts as `none`.
    static Ending ending(const std::optional<RunRecord> &previous);
    // The early-death count after a run that ended so.
    static qint64 nextEarlyDeaths(qint64 count, Ending ending);
    static QString endingName(Ending ending);

    // Compact JSON with exactly the five keys.
    QByteArray toJson() const;
    // Every one of the five keys is required with its type, and the date in the record's form;
    // anything else gives nothing.
    static std::optional<RunRecord> fromJson(const QByteArray &json);
};
