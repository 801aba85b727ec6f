#include "TalkSettings.h"

TalkSettings &TalkSettings::notifier()
{
    static TalkSettings *instance = new TalkSettings; // lives as long as the process
    return *instance;
}
