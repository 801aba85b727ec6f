#include "HangWatch.h"

#include "reports/CrashCapture.h"
#include "reports/Reports.h"
#include "reports/Symbols.h"

#include "document/IsoDate.h"
#include "document/JsonText.h"
#include "platform/BuildInfo.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTimer>

#include <chrono>
#include <csignal>
#include <execinfo.h>
#include <ucontext.h>

namespace {
constexpr int sampleSize = 64;
const int sampleSignal = SIGRTMIN + 7;

void *sampleFrames[sampleSize];
std::atomic<int> sampleCount{-1};
std::atomic<quintptr> samplePc{0};

qint64 monotonicNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Runs on the main thread when the watch asks for a sample.
void takeSample(int, siginfo_t *, void *context)
{
    const auto *uc = static_cast<const ucontext_t *>(context);
#if defined(__x86_64__)
    samplePc.store(quintptr(uc->uc_mcontext.gregs[REG_RIP]));
#elif defined(__aarch64__)
    samplePc.store(quintptr(uc->uc_mcontext.pc));
#else
    (void)uc;
#endif
    sampleCount.store(backtrace(sampleFrames, sampleSize));
}
} // namespace

HangWatch::HangWatch(double thresholdSeconds, QObject *parent)
    : QObject(parent)
    , m_heartbeat(new QTimer(this))
    , m_mainThread(pthread_self())
    , m_threshold(thresholdSeconds)
    , m_lastBeatNs(monotonicNs())
{
    struct sigaction action {};
    action.sa_sigaction = takeSample;
    action.sa_flags = SA_SIGINFO | SA_RESTART | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    sigaction(sampleSignal, &action, nullptr);

    m_heartbeat->setInterval(int(std::min(250.0, thresholdSeconds * 1000 / 4)));
    connect(m_heartbeat, &QTimer::timeout, this, [this] { m_lastBeatNs.store(monotonicNs()); });
    m_heartbeat->start();
    m_thread = std::thread([this] { watch(); });
}

HangWatch::~HangWatch()
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_running = false;
    }
    m_wake.notify_all();
    m_thread.join();
}

void HangWatch::watch()
{
    CrashCapture::protectThisThread();
    const auto step = std::chrono::milliseconds(qMax(10, int(m_threshold * 1000 / 8)));
    const qint64 thresholdNs = qint64(m_threshold * 1e9);
    qint64 reportedBeat = -1;
    std::unique_lock<std::mutex> guard(m_lock);
    while (m_running) {
        m_wake.wait_for(guard, step);
        if (!m_running)
            break;
        const qint64 beat = m_lastBeatNs.load();
        const qint64 stalled = monotonicNs() - beat;
        // One payload per stall: the next is noted only after the beats have come back.
        if (stalled >= thresholdNs && beat != reportedBeat) {
            reportedBeat = beat;
            guard.unlock();
            noteHang(stalled / 1e9);
            guard.lock();
        }
    }
    guard.unlock();
    CrashCapture::releaseThisThread();
}

void HangWatch::noteHang(double stalledSeconds)
{
    sampleCount.store(-1);
    QStringList stack;
    if (pthread_kill(m_mainThread, sampleSignal) == 0) {
        for (int i = 0; i < 200 && sampleCount.load() < 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const int count = sampleCount.load();
        // The sample begins with the signal handler's frames: start where the thread stood.
        int first = 0;
        for (int i = 0; i < count; ++i) {
            if (quintptr(sampleFrames[i]) == samplePc.load()) {
                first = i;
                break;
            }
        }
        if (count > 0)
            stack = Symbols::describe(sampleFrames + first, count - first);
    }
    const QDateTime now = Reports::wallClock();
    QJsonObject meta{{QStringLiteral("appVersion"), BuildInfo::version()},
                     {QStringLiteral("appBuildVersion"), BuildInfo::build()},
                     {QStringLiteral("hangDuration"), QStringLiteral("%1 sec").arg(stalledSeconds, 0, 'f', 2)}};
    QJsonObject hang{{QStringLiteral("diagnosticMetaData"), meta},
                     {QStringLiteral("callStack"), QJsonArray::fromStringList(stack)}};
    QJsonObject payload{{QStringLiteral("crashDiagnostics"), QJsonArray()},
                        {QStringLiteral("hangDiagnostics"), QJsonArray{hang}},
                        {QStringLiteral("timeStampBegin"), IsoDate::write(now.addMSecs(qint64(-stalledSeconds * 1000)))},
                        {QStringLiteral("timeStampEnd"), IsoDate::write(now)}};
    Reports::storeDiagnostics({Reports::DiagnosticPayload{0, 1, JsonText::compact(payload)}});
}
