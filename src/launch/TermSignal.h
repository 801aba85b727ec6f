#pragma once
#include <QObject>

class QSocketNotifier;

// Turns SIGTERM into a call on the main thread: the signal handler only writes one byte to a
// pipe, and the main loop reads it and emits terminateRequested.
class TermSignal : public QObject
{
    Q_OBJECT
public:
    explicit TermSignal(QObject *parent = nullptr);
    ~TermSignal() override;

    bool isInstalled() const { return m_notifier != nullptr; }

signals:
    void terminateRequested();

private:
    QSocketNotifier *m_notifier = nullptr;
};
