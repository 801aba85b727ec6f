#include "SoundFixtures.h"
#include "talk/SoundConverter.h"
#include "talk/SoundLevel.h"

#include <QtTest>

#include <cmath>

using namespace SoundFixtures;
Q_DECLARE_METATYPE(SoundBuffer)

namespace {
// All output of a converter fed `input` in pieces of `step` frames.
std::vector<qint16> convertInSteps(const SoundBuffer &input, qint64 step)
{
    SoundConverter converter;
    std::vector<qint16> out;
    for (qint64 at = 0; at < input.frames(); at += step) {
        if (auto b = converter.convert(slice(input, at, std::min(step, input.frames() - at)))) {
            const auto s = int16Samples(*b);
            out.insert(out.end(), s.begin(), s.end());
        }
    }
    return out;
}

double rms(const std::vector<qint16> &s, size_t from, size_t to)
{
    double sum = 0;
    for (size_t i = from; i < to; ++i)
        sum += double(s[i]) * s[i];
    return std::sqrt(sum / double(to - from)) / 32768.0;
}
} // namespace

class SoundConverterTest : public QObject {
    Q_OBJECT
private slots:
    void speechFileAt48kStereo()
    {
        const SoundBuffer input = readAll(speechFile("hello48k.wav"));
        QCOMPARE(input.format, (SoundFormat{48000, 2, SampleType::float32}));
        const std::vector<qint16> whole = convertInSteps(input, input.frames());
        QVERIFY(std::abs(qint64(whole.size()) - input.frames() / 3) <= 1);
        // The same samples whatever the pieces the sound comes in.
        for (qint64 step : {4096, 2048, 1000, 1})
            QVERIFY2(convertInSteps(input, step) == whole, qPrintable(QString::number(step)));
        // Speech, not silence, came through.
        QVERIFY(rms(whole, 0, whole.size()) > 0.01);
    }

    void sameFormatPassesUnchanged()
    {
        const SoundBuffer input = readAll(speechFile("hello16k.wav"));
        SoundConverter converter;
        const std::optional<SoundBuffer> out = converter.convert(input);
        QVERIFY(out);
        QCOMPARE(out->data, input.data);
        QCOMPARE(out->format, SoundConverter::recognizerFormat());
    }

    void toneAcrossBufferEdges()
    {
        // A 1 kHz tone in 2048-frame buffers: every output step stays within what a sine of that
        // frequency can move between two samples, at the edges as inside.
        const SoundFormat f{48000, 1, SampleType::float32};
        const SoundBuffer tone = sine(f, 1000, 0.5, 48000);
        const std::vector<qint16> out = convertInSteps(tone, 2048);
        const double maxStep = 0.5 * 2 * M_PI * 1000 / 16000 * 32768 * 1.02 + 2;
        for (size_t i = 200; i + 1 < out.size(); ++i)
            QVERIFY2(std::abs(out[i + 1] - out[i]) <= maxStep, qPrintable(QString::number(i)));
        QVERIFY(std::abs(rms(out, 200, out.size()) - 0.5 / std::sqrt(2.0)) < 0.01);
    }

    void noAliasing()
    {
        // 10 kHz is above the 8 kHz Nyquist frequency of 16 kHz: it must not fold back to 6 kHz.
        const SoundFormat f{48000, 2, SampleType::int16};
        const std::vector<qint16> out = convertInSteps(sine(f, 10000, 0.9, 48000), 4096);
        const double level = rms(out, 200, out.size()) / (0.9 / std::sqrt(2.0));
        QVERIFY2(20 * std::log10(std::max(level, 1e-9)) <= -40, qPrintable(QString::number(level)));
    }

    void otherRates_data()
    {
        QTest::addColumn<int>("rate");
        QTest::newRow("44.1 kHz") << 44100;
        QTest::newRow("8 kHz") << 8000;
        QTest::newRow("odd rate") << 47999;
    }

    void otherRates()
    {
        QFETCH(int, rate);
        const SoundFormat f{rate, 1, SampleType::int32};
        const SoundBuffer tone = sine(f, 440, 0.5, rate);
        const std::vector<qint16> out = convertInSteps(tone, 2048);
        QVERIFY(std::abs(qint64(out.size()) - 16000) <= 1);
        QVERIFY(std::abs(rms(out, 400, out.size()) - 0.5 / std::sqrt(2.0)) < 0.01);
    }

    void capacityAndClipping()
    {
        QCOMPARE(SoundConverter::outputCapacity(48000, 16000, 2048), qint64(715));
        // Full-scale float beyond ±1 is clipped, not wrapped.
        SoundConverter converter;
        const SoundFormat f{16000, 2, SampleType::float32};
        SoundBuffer loud{f, QByteArray(4 * 8, 0)};
        float *p = reinterpret_cast<float *>(loud.data.data());
        p[0] = p[1] = 3.0f;
        p[2] = p[3] = -3.0f;
        const auto s = int16Samples(*converter.convert(loud));
        QCOMPARE(s[0], qint16(32767));
        QCOMPARE(s[1], qint16(-32768));
        QVERIFY(!converter.convert(SoundBuffer{f, {}})); // no frames, no buffer
    }

    void level_data()
    {
        QTest::addColumn<SoundBuffer>("buffer");
        QTest::addColumn<float>("level");
        const SoundFormat f{48000, 2, SampleType::float32};
        QTest::newRow("zeros") << SoundBuffer{f, QByteArray(2048 * 8, 0)} << 0.0f;
        QTest::newRow("no frames") << SoundBuffer{f, {}} << 0.0f;
        SoundBuffer one{f, QByteArray(2048 * 8, 0)};
        for (int i = 0; i < 2048; ++i)
            reinterpret_cast<float *>(one.data.data())[i * 2] = (i % 2) ? 1.0f : -1.0f;
        QTest::newRow("amplitude 1, first channel only") << one << 1.0f;
        SoundBuffer tenth = one;
        for (int i = 0; i < 2048; ++i)
            reinterpret_cast<float *>(tenth.data.data())[i * 2] *= 0.1f;
        QTest::newRow("rms 0.1") << tenth << 0.789474f;
        QTest::newRow("int16 full scale")
            << SoundBuffer{{16000, 1, SampleType::int16}, QByteArray(2048 * 2, '\x7f')} << 1.0f;
        QTest::newRow("int32 rms 0.1")
            << sine({16000, 1, SampleType::int32}, 1000, 0.1 * std::sqrt(2.0), 16000) << 0.789474f;
    }

    void level()
    {
        QFETCH(SoundBuffer, buffer);
        QFETCH(float, level);
        QVERIFY2(std::abs(inputLevel(buffer) - level) < 0.002,
                 qPrintable(QString::number(inputLevel(buffer))));
    }
};

QTEST_GUILESS_MAIN(SoundConverterTest)
#include "tst_soundconverter.moc"
