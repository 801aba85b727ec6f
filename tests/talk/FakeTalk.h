#pragma once
#include "talk/SpeechListening.h"
#include "talk/TalkCanvas.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <QWindow>

#include <optional>

// A canvas that records what the controller asks of it.
class FakeCanvas final : public TalkCanvas {
public:
    bool alive = true;
    bool space = false;
    QWidget hostView;
    TalkAnchor anchor = QPointF(100, 100);
    QStringList calls; // "started", "heard:…", "ended:…", "dropped"

    FakeCanvas() { hostView.resize(800, 600); }

    QPointer<QWidget> keyWindow; // whose window's keys are watched

    bool exists() const override { return alive; }
    QWindow *window() const override { return keyWindow ? keyWindow->windowHandle() : nullptr; }
    QWidget *host() const override { return const_cast<QWidget *>(&hostView); }
    bool spaceHeld() const override { return space; }
    void talkStarted() override { calls << "started"; }
    void talkHeard(const QString &words) override { calls << "heard:" + words; }
    void talkEnded(const QString &words) override { calls << "ended:" + words; }
    void dropSpoken() override { calls << "dropped"; }
    TalkAnchor talkBadgeAnchor() const override { return anchor; }
};

// A listener the test speaks through.
class FakeListener final : public SpeechListening {
public:
    std::function<void(const QString &)> onHeard;
    std::function<void(float)> onLevel;
    std::function<void(const TalkProblem &)> onProblem;
    std::function<void(const QString &)> completion;
    std::optional<TalkProblem> problemInStart;
    bool started = false;
    bool stopped = false;
    bool cancelled = false;

    void setOnHeard(std::function<void(const QString &)> f) override { onHeard = std::move(f); }
    void setOnLevel(std::function<void(float)> f) override { onLevel = std::move(f); }
    void setOnProblem(std::function<void(const TalkProblem &)> f) override { onProblem = std::move(f); }
    void start() override
    {
        started = true;
        if (problemInStart)
            onProblem(*problemInStart);
    }
    void stop(std::function<void(const QString &)> done) override
    {
        stopped = true;
        completion = std::move(done);
    }
    void cancel() override { cancelled = true; }
};

