#pragma once
#include "platform/Dialogs.h"

// Dialogs as Qt's own widgets.
class QtDialogs : public Dialogs
{
public:
    bool confirm(const Alert &alert) override;
    std::optional<QString> chooseFolder(const QString &start, const QString &prompt) override;
};
