// The report bookkeeping's costs: Reports::start at launch, the crash handler from the signal
// to the finished record, and fitting a report with everything too large.
#include "document/Report.h"
#include "reports/CrashCapture.h"
#include "reports/Reports.h"

#include "app/PreferenceReaders.h"
#include "platform/BuildInfo.h"
#include "platform/Paths.h"
#include "platform/Preferences.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
// Everything the benchmarks write goes into a temporary home.
QTemporaryDir &home()
{
    static QTemporaryDir dir;
    return dir;
}

void useTemporaryHome()
{
    const QByteArray h = home().path().toUtf8();
    qputenv("HOME", h);
    qputenv("XDG_CONFIG_HOME", h + "/config");
    qputenv("XDG_DATA_HOME", h + "/data");
    qputenv("XDG_STATE_HOME", h + "/state");
}

void BM_ReportsStart(benchmark::State &state)
{
    Reports::checkLaterHook = [](const QList<double> &, double) {};
    Reports::rescueAlertHook = [] {};
    for (auto _ : state) {
        state.PauseTiming(); // the previous run's end is not part of a launch
        Reports::stop();
        Reports::currentRun.reset();
        state.ResumeTiming();
        Reports::start(nullptr);
    }
    Reports::stop();
}
BENCHMARK(BM_ReportsStart)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

__attribute__((noinline)) int deepThenCrash(int depth)
{
    if (depth == 0) {
        raise(SIGSEGV);
        return 0;
    }
    volatile int keep = deepThenCrash(depth - 1);
    return keep + 1;
}

double stamp(const QByteArray &record, const QByteArray &key)
{
    const qsizetype at = record.indexOf("\n" + key + " ");
    if (at < 0)
        return -1;
    const QList<QByteArray> parts = record.mid(at + key.size() + 2).split('\n').first().split(' ');
    return parts.size() == 2 ? parts[0].toDouble() + parts[1].toDouble() / 1e9 : -1;
}

// A child with 64 frames on its stack crashes; the record says when the signal came and when
// it was complete.
void BM_CrashHandler(benchmark::State &state)
{
    const QString folder = home().path() + QStringLiteral("/crashes");
    const rlimit none{0, 0};
    setrlimit(RLIMIT_CORE, &none);
    for (auto _ : state) {
        QDir(folder).removeRecursively();
        const pid_t pid = fork();
        if (pid == 0) {
            CrashCapture::install(folder, {QStringLiteral("1"), QStringLiteral("1"), QString(), QStringLiteral("app.quillet.dev")});
            deepThenCrash(62);
            _exit(0);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        const QStringList names = QDir(folder).entryList(QDir::Files);
        QFile f(folder + QLatin1Char('/') + names.value(0));
        if (names.size() != 1 || !f.open(QIODevice::ReadOnly)) {
            state.SkipWithError("no record");
            break;
        }
        const QByteArray record = f.readAll();
        state.SetIterationTime(stamp(record, "written") - stamp(record, "time"));
    }
}
BENCHMARK(BM_CrashHandler)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_FitEverythingLarge(benchmark::State &state)
{
    Report r(QStringLiteral("id"), Report::Kind::crash, QDateTime::currentDateTimeUtc(), {}, {},
             QStringLiteral("install"), QStringLiteral("summary"),
             QStringLiteral("a log line of the application\n").repeated(2000000 / 30), {});
    r.diagnostics = QStringList();
    for (int i = 0; i < 5; ++i)
        r.diagnostics->append(QString(250000, QLatin1Char('0' + i)));
    r.crash = QStringLiteral("frame /home/USER/x\n").repeated(1000000 / 19);
    for (auto _ : state)
        benchmark::DoNotOptimize(r.json(false));
}
BENCHMARK(BM_FitEverythingLarge)->Unit(benchmark::kMillisecond);

// The report check's main-thread part with three new crash files of about 200 KB: finding,
// reading and parsing them, and making their reports.
void BM_ReportCheckThreeCrashes(benchmark::State &state)
{
    const QString folder = Paths::crashReportsDir();
    QDir().mkpath(folder);
    QString frames;
    for (int i = 0; frames.size() < 200000; ++i)
        frames += QStringLiteral("{\"imageIndex\":0,\"symbol\":\"frame%1()\"},").arg(i);
    frames.chop(1);
    for (int n = 0; n < 3; ++n) {
        QFile f(folder + QStringLiteral("/quillet-%1.ips").arg(n));
        f.open(QIODevice::WriteOnly);
        f.write(QStringLiteral("{\"app_name\":\"Quillet\",\"bundleID\":\"%1\",\"app_version\":\"1\",\"build_version\":\"1\"}\n"
                               "{\"exception\":{\"type\":\"EXC_BAD_ACCESS\",\"signal\":\"SIGSEGV\"},\"usedImages\":[{\"name\":\"Quillet\"}],"
                               "\"threads\":[{\"triggered\":true,\"frames\":[%2]}]}")
                    .arg(BuildInfo::bundleIdentifier(), frames).toUtf8());
    }
    for (auto _ : state) {
        state.PauseTiming();
        Prefs::store().remove(QStringLiteral("reports.seen"));
        state.ResumeTiming();
        const QList<CrashLog> logs = Reports::findCrashLogs();
        QList<Report> reports;
        for (const CrashLog &log : logs)
            reports << Reports::crashReport(log);
        if (reports.size() != 3)
            state.SkipWithError("not three crash reports");
        benchmark::DoNotOptimize(reports);
    }
}
BENCHMARK(BM_ReportCheckThreeCrashes)->Unit(benchmark::kMillisecond);

// "Report a Problem…" to the window on screen: the report, the window, showing it.
void BM_ReportProblemWindow(benchmark::State &state)
{
    for (auto _ : state) {
        Reports::reportProblem();
        QCoreApplication::processEvents();
        if (!Reports::openWindow || !Reports::openWindow->window()->isVisible())
            state.SkipWithError("no window");
        state.PauseTiming();
        Reports::openWindow->window()->close();
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ReportProblemWindow)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char **argv)
{
    useTemporaryHome();
    QApplication::setAttribute(Qt::AA_Use96Dpi);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
