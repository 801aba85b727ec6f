#pragma once
#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;

// Makes sure one Quillet runs per user and display: the first process listens on a local socket
// in the runtime folder; a later one hands its arguments over and ends.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    explicit SingleInstance(QObject *parent = nullptr);
    ~SingleInstance() override;

    // The socket's path for this user and X display.
    static QString socketPath();

    // True when this process is now the one instance. False when another one runs: the
    // arguments were handed to it (delivered tells whether it acknowledged them).
    bool claim(const QStringList &arguments, bool *delivered = nullptr);

signals:
    // Arguments of a later start, received by the running instance.
    void argumentsReceived(const QStringList &arguments);

private:
    bool handOver(const QStringList &arguments);
    void acceptConnection();

    QLocalServer *m_server = nullptr;
};
