#pragma once
#include "WelcomeModel.h"

#include <QString>

#include <optional>

// The "--welcome" value: a word ("fresh", "access", "done", "shortcut", "recording"),
// optionally followed by ":" and a melt stage 0 to 9, read into what the window shows.
struct WelcomeStaging {
    bool screen = true;   // screen capture staged as available
    bool access = true;   // pasting into other apps staged as available
    bool captured = false;
    std::optional<WelcomeModel::Step> chosen;
    bool recording = false;
    std::optional<int> melt; // absent: the stage stays as it is

    static WelcomeStaging parse(const QString &value);
};
