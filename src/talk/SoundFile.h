#pragma once
#include "talk/SoundStream.h"

#include <QString>

#include <memory>

// Feeds a WAV file into a sound stream on a worker thread, as fast as it reads, in buffers of
// 4096 frames (the rest last), then finishes the stream. A file that does not open or read ends
// the stream early; nothing is reported.
void readSoundFile(const QString &path, std::shared_ptr<SoundStream> stream);

namespace SoundFile {
constexpr qint64 bufferFrames = 4096;
// The same, on the calling thread.
void feed(const QString &path, SoundStream &stream);
} // namespace SoundFile
