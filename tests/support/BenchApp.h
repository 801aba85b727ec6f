#pragma once
#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// The real application started by a benchmark on the current X display, in a temporary home of
// its own (a user who has been welcomed already), with its log folder and its memory figures.
class BenchApp
{
public:
    // preferences: the JSON object of the user's preferences file (onboarding done at least).
    explicit BenchApp(const QString &path, const QByteArray &preferences = R"({"onboarding.done": true})");
    ~BenchApp();
    BenchApp(const BenchApp &) = delete;
    BenchApp &operator=(const BenchApp &) = delete;

    // Starts the application and waits until its log says it has started; false when it did not
    // within timeoutMs.
    bool start(int timeoutMs = 10000);
    void stop();
    qint64 pid() const { return m_process.processId(); }
    QString logDir() const;
    QByteArray log(const QString &name) const;
    // The values (ms) a pattern with two captures, e.g. "frozen in (\\d+) ms, overlay up in (\\d+) ms",
    // finds in the capture log: the first capture group's and the second's.
    QList<QList<double>> capturedFigures(const QString &pattern) const;
    // The process's proportional set size in MB (from /proc/PID/smaps_rollup), 0 when unknown.
    double pssMegabytes() const;
    // The mappings with the most PSS, largest first: "12.3 MB [heap]" lines (anonymous ones
    // by their address range).
    QStringList largestMappings(int count) const;

private:
    QString m_path;
    QTemporaryDir m_home;
    QProcess m_process;
};

// Figures as the benchmarks print them.
namespace BenchFigures {
// "min A  median B  max C ms (n)" of a list of times.
QString spread(QList<double> values);
double median(QList<double> values);
// The first three fields of /proc/loadavg.
QString load();
} // namespace BenchFigures
