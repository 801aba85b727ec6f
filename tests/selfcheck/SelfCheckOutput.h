#pragma once
#include "selfcheck/Autopilot.h"

#include <QRegularExpression>
#include <QStringList>

#include <optional>

// Catches what the self-check prints and how it would end, instead of printing and exiting.
struct SelfCheckOutput
{
    QStringList lines;
    std::optional<int> status;

    SelfCheckOutput()
    {
        Autopilot::resetForTesting();
        Autopilot::sink() = [this](const QString &line) { lines.append(line); };
        Autopilot::exitProcess() = [this](int code) {
            if (!status)
                status = code;
        };
    }
    ~SelfCheckOutput()
    {
        Autopilot::sink() = [](const QString &) {};
        Autopilot::exitProcess() = [](int) {};
    }
    // The lines of the failed checks.
    QStringList failed() const { return lines.filter(QRegularExpression(QStringLiteral("^FAIL"))); }

    SelfCheckOutput(const SelfCheckOutput &) = delete;
    SelfCheckOutput &operator=(const SelfCheckOutput &) = delete;
};
