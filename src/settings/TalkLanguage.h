#pragma once
#include <QString>

// One language the speech recognizer offers: its locale code (its identity) and display name.
struct TalkLanguage {
    QString code;
    QString name;
    bool operator==(const TalkLanguage &other) const = default;
};
