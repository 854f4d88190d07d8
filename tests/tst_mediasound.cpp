#include "TestRows.h"
#include "media/CMediaCatalogue.h"
#include "playback/CKeyTable.h"

#include <QtEndian>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

// The embedded sound clips, decoded from their WAVE bytes and measured: the
// format and length of every clip, the two frequencies of every key tone and
// the timing, pitch and level of the effect sounds.

using Samples = std::vector<double>;
using Frequencies = std::vector<double>;

// A stretch of a clip that must sound: from startMs for durationMs, with its
// energy in the given frequencies.
struct Burst {
    double startMs;
    double durationMs;
    Frequencies hz;
};
using Bursts = std::vector<Burst>;

Q_DECLARE_METATYPE(Frequencies)
Q_DECLARE_METATYPE(Bursts)

namespace {

constexpr double Rate = 11025.0;
constexpr double FullScale = 32767.0;

std::uint16_t Le16(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<std::uint16_t>(bytes.constData() + at);
}

std::uint32_t Le32(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<std::uint32_t>(bytes.constData() + at);
}

// The samples of a canonical 44-byte-header PCM WAVE file, checked as it is
// read; empty when the header is not the expected one.
Samples Decode(const QByteArray& wave)
{
    if (wave.size() < 44 || !wave.startsWith("RIFF") || wave.mid(8, 8) != "WAVEfmt " || wave.mid(36, 4) != "data")
        return {};
    if (Le32(wave, 4) != static_cast<std::uint32_t>(wave.size() - 8) || Le32(wave, 16) != 16)
        return {};
    if (Le32(wave, 40) != static_cast<std::uint32_t>(wave.size() - 44))
        return {};
    Samples samples;
    for (qsizetype at = 44; at + 1 < wave.size(); at += 2)
        samples.push_back(static_cast<std::int16_t>(Le16(wave, at)));
    return samples;
}

Samples ClipSamples(int clip)
{
    return Decode(CMediaCatalogue::SoundClip(clip));
}

Samples Slice(const Samples& samples, double startMs, double durationMs)
{
    const auto first = std::clamp<std::ptrdiff_t>(std::lround(startMs * Rate / 1000.0), 0, std::ssize(samples));
    const auto last
        = std::clamp<std::ptrdiff_t>(std::lround((startMs + durationMs) * Rate / 1000.0), first, std::ssize(samples));
    return {samples.begin() + first, samples.begin() + last};
}

double Peak(const Samples& samples)
{
    double peak = 0.0;
    for (double sample : samples)
        peak = std::max(peak, std::abs(sample));
    return peak;
}

// The share of a stretch's power that lies at one frequency, measured with
// a Hann-windowed Goertzel filter: about 1 for a pure tone of that
// frequency, about 1/2 for each of two equal tones, near 0 elsewhere.
double Share(const Samples& samples, double hz)
{
    const auto n = static_cast<double>(samples.size());
    const double omega = 2.0 * std::numbers::pi * hz / Rate;
    const double coefficient = 2.0 * std::cos(omega);
    double s1 = 0.0, s2 = 0.0, windowSum = 0.0, windowSquares = 0.0, power = 0.0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double window = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) / n);
        const double x = window * samples[i];
        const double s0 = x + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
        windowSum += window;
        windowSquares += window * window;
        power += x * x;
    }
    const double magnitude = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
    if (power <= 0.0)
        return 0.0;
    return (2.0 * magnitude / (windowSum * windowSum)) / (power / windowSquares);
}

// The frequency within 3 % of nominal that holds the largest share.
double StrongestNear(const Samples& samples, double nominal)
{
    double best = nominal;
    double bestShare = -1.0;
    const int steps = static_cast<int>(nominal * 0.06 / 0.5);
    for (int step = 0; step <= steps; ++step) {
        const double hz = nominal * 0.97 + 0.5 * step;
        const double share = Share(samples, hz);
        if (share > bestShare) {
            best = hz;
            bestShare = share;
        }
    }
    return best;
}

// Stretches where the clip sounds: 1 ms blocks whose peak exceeds a quarter
// of the clip's peak, joined across gaps shorter than 4 ms. Start and length
// in milliseconds.
std::vector<std::pair<double, double>> SoundingStretches(const Samples& samples)
{
    constexpr int Block = 11;
    const double threshold = Peak(samples) / 4.0;
    std::vector<std::pair<double, double>> stretches;
    int quietBlocks = 1000;
    for (std::size_t first = 0; first < samples.size(); first += Block) {
        const std::size_t last = std::min(samples.size(), first + Block);
        const bool loud = Peak(Samples(samples.begin() + static_cast<std::ptrdiff_t>(first),
                              samples.begin() + static_cast<std::ptrdiff_t>(last)))
            > threshold;
        const double startMs = static_cast<double>(first) * 1000.0 / Rate;
        const double endMs = static_cast<double>(last) * 1000.0 / Rate;
        if (loud) {
            if (quietBlocks < 4 && !stretches.empty())
                stretches.back().second = endMs - stretches.back().first;
            else
                stretches.emplace_back(startMs, endMs - startMs);
            quietBlocks = 0;
        } else {
            ++quietBlocks;
        }
    }
    return stretches;
}

double LargestStep(const Samples& samples)
{
    double step = 0.0;
    for (std::size_t i = 1; i < samples.size(); ++i)
        step = std::max(step, std::abs(samples[i] - samples[i - 1]));
    return step;
}

} // namespace

class TestMediaSound : public QObject {
    Q_OBJECT

private slots:
    // Every clip with its exact sample count; numbers that are no sound
    // clip have none.
    void format_data()
    {
        QTest::addColumn<int>("clip");
        QTest::addColumn<int>("samples");
        const std::vector<std::pair<int, int>> clips = {{192, 1155}, {193, 1118}, {194, 1118}, {195, 1118}, {196, 1118},
            {197, 1137}, {198, 1137}, {199, 1137}, {200, 1136}, {201, 1137}, {246, 1132}, {247, 1124}, {248, 4113},
            {249, 2525}, {250, 904}, {252, 2757}, {261, 2973}, {262, 2094}, {265, 1675}, {266, 1119}, {267, 1789},
            {0, 0}, {168, 0}, {170, 0}, {191, 0}, {202, 0}, {251, 0}};
        for (const auto& [clip, samples] : clips)
            QTest::addRow("clip %d", clip) << clip << samples;
    }

    void format()
    {
        QFETCH(int, clip);
        QFETCH(int, samples);
        const QByteArray wave = CMediaCatalogue::SoundClip(clip);
        QCOMPARE(CMediaCatalogue::SoundClipSamples(clip), samples);
        if (samples == 0) {
            QVERIFY(wave.isEmpty());
            return;
        }
        QVERIFY(wave.size() >= 44);
        QCOMPARE(Le16(wave, 20), 1); // PCM
        QCOMPARE(Le16(wave, 22), 1); // mono
        QCOMPARE(Le32(wave, 24), 11025u);
        QCOMPARE(Le32(wave, 28), 22050u); // bytes per second
        QCOMPARE(Le16(wave, 32), 2); // bytes per sample frame
        QCOMPARE(Le16(wave, 34), 16);
        QCOMPARE(static_cast<int>(Decode(wave).size()), samples);
    }

    // Each key's tone, as the key table names it, holds its row's and its
    // column's frequency of the telephone keypad.
    void keyTone_data()
    {
        QTest::addColumn<int>("clip");
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        const std::string keypad = "123456789*0#";
        const double rows[] = {697, 770, 852, 941}, columns[] = {1209, 1336, 1477};
        for (const CKeyTableRow& key : CKeyTable::Rows()) {
            const std::size_t at = keypad.find(key.character);
            if (at == std::string::npos)
                qFatal("%c is no key of the keypad", key.character);
            QTest::addRow("%c is %d", key.character, key.toneClip) << key.toneClip << rows[at / 3] << columns[at % 3];
        }
    }

    void keyTone()
    {
        QFETCH(int, clip);
        QFETCH(double, low);
        QFETCH(double, high);
        const Samples tone = ClipSamples(clip);
        QVERIFY(!tone.empty());

        // The pair at its frequencies, at equal level, and nothing else.
        QVERIFY(std::abs(StrongestNear(tone, low) - low) <= 0.015 * low);
        QVERIFY(std::abs(StrongestNear(tone, high) - high) <= 0.015 * high);
        const double lowShare = Share(tone, low);
        const double highShare = Share(tone, high);
        QVERIFY2(
            std::abs(lowShare - highShare) < 0.05, qPrintable(QStringLiteral("%1 / %2").arg(lowShare).arg(highShare)));
        QVERIFY(lowShare + highShare > 0.97);
        for (double other : {697.0, 770.0, 852.0, 941.0, 1209.0, 1336.0, 1477.0, 1633.0}) {
            if (other != low && other != high)
                QVERIFY2(Share(tone, other) < 0.01, qPrintable(QString::number(other)));
        }

        // About half of full scale, steady from start to end (no fade).
        QVERIFY(std::abs(Peak(tone) - 16370.0) <= 330.0);
        const double whole = Peak(tone);
        for (int startMs = 0; startMs + 10 <= 100; startMs += 10)
            QVERIFY2(Peak(Slice(tone, startMs, 10.0)) > 0.85 * whole, qPrintable(QString::number(startMs)));

        // Tones are sent back to back: each starts at zero and ends within
        // one ordinary step of zero, so no joint jumps further than the tone
        // itself moves from one sample to the next.
        QVERIFY(std::abs(tone.front()) <= 1.0);
        QVERIFY2(std::abs(tone.back()) <= LargestStep(tone), qPrintable(QString::number(tone.back())));
    }

    void effect_data()
    {
        QTest::addColumn<int>("clip");
        QTest::addColumn<double>("level");
        QTest::addColumn<Bursts>("bursts");
        const Frequencies beep = {3270};
        const Frequencies refusal = {780, 1150, 1385, 1480};
        const Frequencies blip = {523};
        QTest::newRow("248 stop: three beeps")
            << 248 << 0.08 << Bursts{{5, 80, beep}, {145, 80, beep}, {290, 80, beep}};
        QTest::newRow("249 record: two beeps") << 249 << 0.08 << Bursts{{0, 80, beep}, {150, 79, beep}};
        QTest::newRow("250 pause: one beep") << 250 << 0.08 << Bursts{{0, 80, beep}};
        QTest::newRow("252 refusal: three bursts")
            << 252 << 0.6 << Bursts{{15, 45, refusal}, {100, 35, refusal}, {200, 50, refusal}};
        QTest::newRow("262 opening: three blips")
            << 262 << 0.2 << Bursts{{0, 35, blip}, {80, 35, blip}, {155, 35, blip}};
        QTest::newRow("265 saved: steady buzz") << 265 << 0.14 << Bursts{{0, 151.9, {660, 1320, 2620, 3290, 3930}}};
        QTest::newRow("266 chime: pure tone") << 266 << 0.2 << Bursts{{0, 101.5, {1760}}};
        QTest::newRow("267 no function: two chords")
            << 267 << 0.22 << Bursts{{5, 48, {790, 1155, 1390, 1485}}, {110, 50, {830, 1220, 1460, 1565}}};
    }

    void effect()
    {
        QFETCH(int, clip);
        QFETCH(double, level);
        QFETCH(Bursts, bursts);
        const Samples samples = ClipSamples(clip);
        QVERIFY(!samples.empty());
        QVERIFY(std::abs(Peak(samples) / FullScale - level) <= 0.01);
        // Faded in and out, even where a burst reaches the end of the clip.
        QVERIFY(std::abs(samples.front()) <= 0.02 * Peak(samples));
        QVERIFY(std::abs(samples.back()) <= 0.02 * Peak(samples));

        // Where it sounds, to within 2 ms, and for how long, to within 3 ms.
        const auto stretches = SoundingStretches(samples);
        QCOMPARE(stretches.size(), bursts.size());
        for (std::size_t i = 0; i < bursts.size(); ++i) {
            const Burst& burst = bursts[i];
            const QString where = QStringLiteral("burst %1 found at %2 ms for %3 ms")
                                      .arg(i)
                                      .arg(stretches[i].first)
                                      .arg(stretches[i].second);
            QVERIFY2(std::abs(stretches[i].first - burst.startMs) <= 2.0, qPrintable(where));
            QVERIFY2(std::abs(stretches[i].second - burst.durationMs) <= 3.0, qPrintable(where));

            // What it sounds like: its own frequencies hold nearly all of it.
            const Samples inside = Slice(samples, burst.startMs, burst.durationMs);
            double share = 0.0;
            for (double hz : burst.hz) {
                QVERIFY2(std::abs(StrongestNear(inside, hz) - hz) <= 0.015 * hz, qPrintable(QString::number(hz)));
                share += Share(inside, hz);
            }
            QVERIFY2(share > 0.85, qPrintable(QStringLiteral("%1 of the power at the listed frequencies").arg(share)));
        }
    }

    void closeClickBlipsAndCrackle()
    {
        // 261: a click of about 10 ms, blips of 523 Hz at 80 and 160 ms, and
        // between them a crackle that is noise, not a tone.
        const Samples samples = ClipSamples(261);
        QVERIFY(!samples.empty());
        QVERIFY(std::abs(Peak(samples) / FullScale - 0.36) <= 0.01);
        QVERIFY(Peak(Slice(samples, 0, 10)) > 0.25 * Peak(samples));
        QVERIFY(Peak(Slice(samples, 14, 60)) < 0.02 * Peak(samples));
        for (double start : {80.0, 160.0}) {
            const Samples blip = Slice(samples, start, 35);
            QVERIFY(Share(blip, 523) > 0.9);
            QVERIFY(Peak(Slice(samples, start - 2, 3)) < 0.25 * Peak(samples));
            QVERIFY(Peak(Slice(samples, start + 3, 29)) > 0.8 * Peak(samples));
        }
        const Samples crackle = Slice(samples, 118, 40);
        QVERIFY(Peak(crackle) > 0.25 * Peak(samples));
        QVERIFY(Share(crackle, 523) < 0.2);
    }
};

QTEST_GUILESS_MAIN(TestMediaSound)
#include "tst_mediasound.moc"
