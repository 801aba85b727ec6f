#include "SoundFile.h"
#include "talk/WavReader.h"

#include <QThreadPool>

namespace SoundFile {
void feed(const QString &path, SoundStream &stream)
{
    WavReader reader;
    if (reader.open(path)) {
        for (;;) {
            std::optional<SoundBuffer> b = reader.read(bufferFrames);
            if (!b || b->frames() == 0)
                break;
            stream.put(std::move(*b));
        }
    }
    stream.finish();
}
} // namespace SoundFile

void readSoundFile(const QString &path, std::shared_ptr<SoundStream> stream)
{
    QThreadPool::globalInstance()->start([path, stream] { SoundFile::feed(path, *stream); });
}
