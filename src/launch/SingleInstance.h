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

    // The socket's path for this user and X display, in the first private runtime folder; empty
    // when there is none (problems, when given, says why each place was passed over).
    static QString socketPath(QStringList *problems = nullptr);

    enum class Claim {
        first,       // this process is now the one instance
        handedOver,  // another one runs and acknowledged the arguments
        notAnswered, // another one runs but did not acknowledge them
        impossible,  // no private place for the socket, or it cannot be listened on: this
                     // process cannot tell whether another runs, so it must not run
    };
    Claim claim(const QStringList &arguments);
    // A later start's quick way, before any application object exists: hands the arguments to
    // the instance listening now. handedOver or notAnswered when one listens; first when none
    // does (nothing claimed: the caller goes on to claim).
    static Claim handOverEarly(const QStringList &arguments);
    // Stops listening and removes the socket: a later start no longer hands over to this
    // process, which is quitting, but becomes the one instance itself.
    void stop();
    // Why the claim was impossible, for the user.
    QString problem() const { return m_problem; }

signals:
    // Arguments of a later start, received by the running instance.
    void argumentsReceived(const QStringList &arguments);

private:
    bool handOver(const QStringList &arguments) const;
    void acceptConnection();

    QLocalServer *m_server = nullptr;
    QString m_path;
    QString m_problem;
};
