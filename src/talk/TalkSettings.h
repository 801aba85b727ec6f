#pragma once
#include <QObject>

// The process-wide notice that a talk setting ("talk.enabled", "talk.key" or "talk.language")
// changed: whatever names the talk key or language shows it again. Main thread only.
class TalkSettings final : public QObject {
    Q_OBJECT
public:
    static TalkSettings &notifier();
    void post() { emit changed(); }

signals:
    void changed();
};
