#pragma once
#include <QObject>

// The process-wide announcement that the send destination ("send.to") was changed: the send
// button and the canvas refresh what they show on it. Main thread only.
class DestinationChanges : public QObject
{
    Q_OBJECT
public:
    static DestinationChanges &shared();

signals:
    void changed();

private:
    DestinationChanges() = default;
};
