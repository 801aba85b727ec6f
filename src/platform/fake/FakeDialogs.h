#pragma once
#include "platform/Dialogs.h"

#include <QList>

// Dialogs that answer at once with what the test chose, remembering what they were asked.
class FakeDialogs : public Dialogs
{
public:
    bool confirmAnswer = true;
    std::optional<QString> folderAnswer;
    QList<Alert> alerts;
    QList<QString> folderStarts;
    QString lastPrompt;

    bool confirm(const Alert &alert) override
    {
        alerts << alert;
        return confirmAnswer;
    }
    std::optional<QString> chooseFolder(const QString &start, const QString &prompt) override
    {
        folderStarts << start;
        lastPrompt = prompt;
        return folderAnswer;
    }
};
