#include "platform/KeySynth.h"

#include "platform/linux/XTestKeySynth.h"

namespace {
std::shared_ptr<KeySynth> &slot()
{
    static std::shared_ptr<KeySynth> instance;
    return instance;
}
} // namespace

KeySynth &KeySynth::shared()
{
    if (!slot())
        slot() = std::make_shared<XTestKeySynth>();
    return *slot();
}

void KeySynth::setShared(std::shared_ptr<KeySynth> synth)
{
    slot() = std::move(synth);
}
