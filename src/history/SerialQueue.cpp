#include "SerialQueue.h"

#include <QSemaphore>

namespace {
thread_local const SerialQueue *runningQueue = nullptr;
}

SerialQueue::SerialQueue(const QString &label, QThread::Priority priority) : m_label(label)
{
    m_pool.setObjectName(label);
    m_pool.setMaxThreadCount(1);
    m_pool.setThreadPriority(priority);
}

SerialQueue::~SerialQueue() { m_pool.waitForDone(); }

void SerialQueue::async(std::function<void()> task)
{
    // One worker thread and tasks of equal priority: the pool runs them in the order given.
    m_pool.start([this, task = std::move(task)] {
        runningQueue = this;
        task();
        runningQueue = nullptr;
    });
}

void SerialQueue::sync(const std::function<void()> &task)
{
    if (isCurrent()) {
        task();
        return;
    }
    QSemaphore done;
    async([&] {
        task();
        done.release();
    });
    done.acquire();
}

bool SerialQueue::isCurrent() const { return runningQueue == this; }
