#pragma once
#include "platform/Permissions.h"

// Answers that tests set by hand; counts the questions.
class FakePermissions : public Permissions
{
public:
    Answer screenAnswer{true, {}};
    Answer accessAnswer{true, {}};
    Answer microphoneAnswer{true, {}};
    int asked = 0;

    Answer screen() override { ++asked; return screenAnswer; }
    Answer access() override { ++asked; return accessAnswer; }
    Answer microphone() override { ++asked; return microphoneAnswer; }
};
