#pragma once
#include <QString>

#include <functional>
#include <memory>

class SpeechListening;

namespace Autopilot {

// "--talk-check FILE": the real speech listener over a WAV file in place of the microphone, told
// to finish one second after it starts. Prints when the first words came and when it was done,
// the words heard and those words as a new comment, and ends with status 0 when it heard
// anything, else 1. A file that is not a readable WAV, and any problem of the listener but a
// notice (the model being fetched or ready, the microphone granted), print "problem: " with the
// problem's sentence and end with status 1. Returns at once; the check goes on in the event loop.
void talkCheck(const QString &path);

// Makes the check's listener for a readable WAV file: the real listener reading that file, unless
// a test put another here.
std::function<std::shared_ptr<SpeechListening>(const QString &path)> &talkCheckListener();

} // namespace Autopilot
