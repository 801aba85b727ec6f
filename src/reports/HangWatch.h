#pragma once
#include <QObject>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <pthread.h>
#include <thread>

class QTimer;

// Notices when the main thread stops turning its event loop. A timer on the main thread beats
// every 250 ms (more often for short thresholds); a watch thread of its own, on the monotonic
// clock, sees the beats stop for `threshold` seconds, samples the main thread's stack once and
// stores a hang payload for the next report. A nested event loop (a modal dialog) keeps beating.
class HangWatch : public QObject
{
    Q_OBJECT
public:
    // Made on the main thread, which it watches.
    explicit HangWatch(double thresholdSeconds, QObject *parent = nullptr);
    ~HangWatch() override;

private:
    void watch();
    void noteHang(double stalledSeconds);

    QTimer *m_heartbeat;
    pthread_t m_mainThread;
    double m_threshold;
    std::atomic<qint64> m_lastBeatNs;
    std::atomic<bool> m_running{true};
    std::mutex m_lock;
    std::condition_variable m_wake;
    std::thread m_thread;
};
