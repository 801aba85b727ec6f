#pragma once
#include "platform/LoginItem.h"

// A login item in memory; refuses changes with `failure` when it is set.
class FakeLoginItem : public LoginItem
{
public:
    bool enabled = false;
    std::optional<QString> failure;
    int changes = 0;

    bool isEnabled() const override { return enabled; }
    std::optional<QString> setEnabled(bool on) override
    {
        ++changes;
        if (failure)
            return failure;
        enabled = on;
        return std::nullopt;
    }
};
