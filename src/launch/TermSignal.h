#pragma once
#include <QObject>
#include <QString>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into a call on the main thread: the signal handler only writes
// the signal's number to a pipe, and the main loop reads it and emits terminateRequested with the
// signal's name ("SIGTERM", "SIGINT", "SIGHUP").
class TermSignal : public QObject
{
    Q_OBJECT
public:
    explicit TermSignal(QObject *parent = nullptr);
    ~TermSignal() override;

    bool isInstalled() const { return m_notifier != nullptr; }

signals:
    void terminateRequested(const QString &signalName);

private:
    QSocketNotifier *m_notifier = nullptr;
};
