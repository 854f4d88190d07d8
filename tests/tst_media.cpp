#include "media/CMediaCatalogue.h"
#include "playback/CKeyTable.h"
#include "support/TestRows.h"

#include <QtEndian>
#include <QtTest>

#include <cmath>
#include <numbers>

namespace {

// The share of the power of samples at one frequency (Hann-windowed
// Goertzel filter): about 1 for a pure tone of it, 1/2 for each of two
// equal tones, near 0 elsewhere.
double Share(const std::vector<double>& samples, double hz)
{
    const double n = double(samples.size());
    const double coefficient = 2 * std::cos(2 * std::numbers::pi * hz / CMediaCatalogue::SampleRate);
    double s1 = 0, s2 = 0, windowSum = 0, windowSquares = 0, power = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double window = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * double(i) / n);
        const double s0 = window * samples[i] + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
        windowSum += window;
        windowSquares += window * window;
        power += window * samples[i] * window * samples[i];
    }
    return (2 * (s1 * s1 + s2 * s2 - coefficient * s1 * s2) / (windowSum * windowSum)) / (power / windowSquares);
}

} // namespace

// The key tones as a receiver on a telephone line hears them.
class TestMedia : public QObject {
    Q_OBJECT

private slots:
    // Each key's tone holds its row's and its column's frequency at equal
    // level and nothing else, about half of full scale, steady, starting
    // and ending at zero so that tones sent back to back do not click.
    void keyTones_data()
    {
        Columns<int, double, double>({"clip", "low", "high"});
        const std::string keypad = "123456789*0#";
        const double rows[] = {697, 770, 852, 941}, columns[] = {1209, 1336, 1477};
        for (const CKeyTableRow& key : CKeyTable::Rows()) {
            const std::size_t at = keypad.find(key.character);
            QTest::addRow("%c", key.character) << key.toneClip << rows[at / 3] << columns[at % 3];
        }
    }

    void keyTones()
    {
        QFETCH(int, clip);
        QFETCH(double, low);
        QFETCH(double, high);
        const QByteArray wave = CMediaCatalogue::SoundClip(clip);
        QCOMPARE(wave.mid(20, 16), QByteArray::fromHex("01000100112b00002256000002001000"));
        std::vector<double> tone;
        for (qsizetype at = 44; at + 1 < wave.size(); at += 2)
            tone.push_back(qFromLittleEndian<std::int16_t>(wave.constData() + at));
        QCOMPARE(int(tone.size()), CMediaCatalogue::SoundClipSamples(clip));
        QVERIFY(tone.size() >= 1118 && tone.size() <= 1155);
        const double lowShare = Share(tone, low);
        const double highShare = Share(tone, high);
        QVERIFY2(std::abs(lowShare - highShare) < 0.05 && lowShare + highShare > 0.97,
            qPrintable(QStringLiteral("%1 / %2").arg(lowShare).arg(highShare)));
        for (const double other : {697.0, 770.0, 852.0, 941.0, 1209.0, 1336.0, 1477.0, 1633.0}) {
            if (other != low && other != high)
                QVERIFY2(Share(tone, other) < 0.01, qPrintable(QString::number(other)));
        }
        const auto peak = [](auto first, auto last) {
            return std::abs(
                *std::max_element(first, last, [](double a, double b) { return std::abs(a) < std::abs(b); }));
        };
        const double whole = peak(tone.begin(), tone.end());
        QVERIFY(std::abs(whole - 16370) <= 330);
        for (std::size_t start = 0; start + 110 <= tone.size(); start += 110)
            QVERIFY(
                peak(tone.begin() + std::ptrdiff_t(start), tone.begin() + std::ptrdiff_t(start + 110)) > 0.85 * whole);
        double step = 0;
        for (std::size_t i = 1; i < tone.size(); ++i)
            step = std::max(step, std::abs(tone[i] - tone[i - 1]));
        QVERIFY(std::abs(tone.front()) <= 1 && std::abs(tone.back()) <= step);
    }
};

QTEST_GUILESS_MAIN(TestMedia)
#include "tst_media.moc"
