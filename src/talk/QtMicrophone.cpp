#include "QtMicrophone.h"

#include <QAudioSource>
#include <QMediaDevices>
#include <QPointer>

// Reads the audio source on the microphone thread.
class MicrophoneReader : public QObject {
public:
    MicrophoneReader(QAudioDevice device, QAudioFormat format, SoundFormat ours, int frames,
                     SoundInput::Tap tap)
        : m_device(std::move(device)), m_format(format), m_ours(ours),
          m_bytes(qsizetype(frames) * ours.bytesPerFrame()), m_tap(std::move(tap))
    {
    }

    // The reason when the source would not start.
    std::optional<QString> begin()
    {
        m_source = new QAudioSource(m_device, m_format, this);
        m_source->setBufferSize(int(m_bytes * 2));
        m_io = m_source->start();
        if (!m_io || m_source->error() != QAudio::NoError) {
            const QString why = QtMicrophone::describe(m_source->error());
            end();
            return why;
        }
        connect(m_io, &QIODevice::readyRead, this, [this] { drain(); });
        return std::nullopt;
    }

    void end()
    {
        if (m_source) {
            m_source->stop();
            delete m_source;
            m_source = nullptr;
        }
        m_io = nullptr;
        m_tap = nullptr;
    }

private:
    void drain()
    {
        if (!m_io || !m_tap)
            return;
        m_pending += m_io->readAll();
        qsizetype at = 0;
        while (m_pending.size() - at >= m_bytes) {
            SoundBuffer b{m_ours, m_pending.mid(at, m_bytes)};
            at += m_bytes;
            m_tap(std::move(b));
        }
        m_pending.remove(0, at);
    }

    QAudioDevice m_device;
    QAudioFormat m_format;
    SoundFormat m_ours;
    qsizetype m_bytes;
    SoundInput::Tap m_tap;
    QAudioSource *m_source = nullptr;
    QIODevice *m_io = nullptr;
    QByteArray m_pending;
};

namespace {
std::optional<SampleType> sampleType(QAudioFormat::SampleFormat f)
{
    switch (f) {
    case QAudioFormat::Int16:
        return SampleType::int16;
    case QAudioFormat::Int32:
        return SampleType::int32;
    case QAudioFormat::Float:
        return SampleType::float32;
    default:
        return std::nullopt;
    }
}
} // namespace

std::unique_ptr<SoundInput> makeMicrophone()
{
    return std::make_unique<QtMicrophone>();
}

QtMicrophone::QtMicrophone() : m_device(QMediaDevices::defaultAudioInput())
{
    m_thread.setObjectName(QStringLiteral("microphone"));
    if (m_device.isNull())
        return;
    m_format = m_device.preferredFormat();
    if (!sampleType(m_format.sampleFormat())) {
        // 8-bit and unknown sample formats are read as 16-bit.
        m_format.setSampleFormat(QAudioFormat::Int16);
    }
}

QtMicrophone::~QtMicrophone()
{
    stop();
}

SoundFormat QtMicrophone::format()
{
    if (m_device.isNull() || !m_format.isValid())
        return {};
    return {m_format.sampleRate(), m_format.channelCount(),
            sampleType(m_format.sampleFormat()).value_or(SampleType::int16)};
}

std::optional<QString> QtMicrophone::start(int frames, Tap tap)
{
    const SoundFormat ours = format();
    if (!ours.isValid())
        return describe(QAudio::OpenError);
    stop();
    m_thread.start();
    m_reader = new MicrophoneReader(m_device, m_format, ours, frames, std::move(tap));
    m_reader->moveToThread(&m_thread);
    std::optional<QString> failure;
    QMetaObject::invokeMethod(m_reader, [this, &failure] { failure = m_reader->begin(); },
                              Qt::BlockingQueuedConnection);
    if (failure)
        stop();
    return failure;
}

void QtMicrophone::stop()
{
    if (!m_reader)
        return;
    MicrophoneReader *reader = m_reader;
    m_reader = nullptr;
    QMetaObject::invokeMethod(reader, [reader] {
        reader->end();
        delete reader;
    }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

QString QtMicrophone::describe(int audioError)
{
    switch (QAudio::Error(audioError)) {
    case QAudio::OpenError:
        return QStringLiteral("the microphone could not be opened");
    case QAudio::IOError:
        return QStringLiteral("the microphone could not be read");
    case QAudio::UnderrunError:
        return QStringLiteral("the microphone stopped sending sound");
    case QAudio::FatalError:
        return QStringLiteral("the sound system failed");
    case QAudio::NoError:
        break;
    }
    return QStringLiteral("the microphone did not start");
}
