#pragma once
#include <QString>
#include <QThreadPool>

#include <functional>

// A serial work queue: tasks run one at a time on one worker thread, in the order they were
// handed over. Used for work that must not overlap or run on the main thread.
class SerialQueue
{
public:
    explicit SerialQueue(const QString &label, QThread::Priority priority = QThread::LowPriority);
    // Waits for every task handed over.
    ~SerialQueue();
    SerialQueue(const SerialQueue &) = delete;
    SerialQueue &operator=(const SerialQueue &) = delete;

    QString label() const { return m_label; }

    // Runs the task later on the queue.
    void async(std::function<void()> task);
    // Runs the task on the queue after everything handed over before it and returns when it is
    // done. Called from a task of this queue, it runs the task at once (waiting would never end).
    void sync(const std::function<void()> &task);
    // Whether the calling thread is running a task of this queue.
    bool isCurrent() const;

private:
    QString m_label;
    QThreadPool m_pool;
};
