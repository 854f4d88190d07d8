#include "SyntheticMedia.h"
#include "platform/CSdlSound.h"
#include "platform/CWaveDecoder.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

#include <chrono>
#include <functional>
#include <thread>

using namespace std::chrono_literals;
using Samples = std::vector<std::int16_t>;
using SyntheticMedia::Level;
using SyntheticMedia::Wave;
using SyntheticMedia::Wave16;

namespace {

constexpr int ClipRate = CMediaCatalogue::SampleRate;

// A run of output at one level (a multiple of 1000; 0 is silence).
struct Segment {
    int level = 0;
    int frames = 0;
};

// The output cut into runs of steady level. Samples near a level within the
// tolerance belong to it; the short ringing of the resampler at each step
// belongs to none and is dropped.
std::vector<Segment> Segments(const Samples& left)
{
    std::vector<Segment> segments;
    for (const std::int16_t sample : left) {
        const int level = int(std::lround(sample / 1000.0)) * 1000;
        if (std::abs(sample - level) > 200)
            continue;
        if (segments.empty() || segments.back().level != level)
            segments.push_back({level, 0});
        ++segments.back().frames;
    }
    std::erase_if(segments, [](const Segment& s) { return s.frames < 24; });
    // Runs split by dropped ringing join again.
    std::vector<Segment> joined;
    for (const Segment& s : segments) {
        if (!joined.empty() && joined.back().level == s.level)
            joined.back().frames += s.frames;
        else
            joined.push_back(s);
    }
    return joined;
}

std::vector<int> Levels(const std::vector<Segment>& segments)
{
    std::vector<int> levels;
    for (const Segment& s : segments) {
        if (s.level != 0)
            levels.push_back(s.level);
    }
    return levels;
}

double TimedMs(const std::function<void()>& call)
{
    const auto start = std::chrono::steady_clock::now();
    call();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

QByteArray LevelClip(double seconds, std::int16_t level)
{
    return Wave16(Level(int(std::lround(seconds * ClipRate)), level));
}

// bytes with a little-endian field of size bytes at offset at set to value.
QByteArray With(QByteArray bytes, qsizetype at, std::uint32_t value, int size = 4)
{
    for (int i = 0; i < size; ++i)
        bytes[at + i] = char((value >> (8 * i)) & 0xFF);
    return bytes;
}

} // namespace

class TestPlatformSound : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_recordings = 0;

    // Writes a file into the test's directory and returns its path.
    std::string WriteFile(const QString& name, const QByteArray& bytes)
    {
        QFile file(m_dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()
            || !file.flush())
            qFatal("cannot write %s", qPrintable(name));
        return QFile::encodeName(file.fileName()).toStdString();
    }

    // Runs body on a sound layer whose device is SDL's disk driver and
    // returns the left channel of everything the device was given.
    Samples Record(const std::function<void(CSdlSound&)>& body)
    {
        const QString file = m_dir.filePath(QStringLiteral("out%1.raw").arg(++m_recordings));
        qputenv("SDL_AUDIODRIVER", "disk");
        qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(file));
        {
            CSdlSound sound;
            if (sound.DriverName() != "disk")
                qFatal("the disk audio driver did not open");
            body(sound);
            // Let the last buffers reach the file before the device closes.
            std::this_thread::sleep_for(40ms);
        }
        QFile raw(file);
        if (!raw.open(QIODevice::ReadOnly))
            qFatal("no output file");
        const QByteArray bytes = raw.readAll();
        Samples left;
        const auto* frames = reinterpret_cast<const std::int16_t*>(bytes.constData());
        for (qsizetype i = 0; i + 1 < bytes.size() / qsizetype(sizeof(std::int16_t)); i += CSdlSound::Channels)
            left.push_back(frames[i]);
        return left;
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void asyncSoundIsCutOffByTheNext()
    {
        const Samples out = Record([](CSdlSound& sound) {
            sound.PlayAsync(LevelClip(1.0, 1000));
            std::this_thread::sleep_for(100ms);
            sound.PlayAsync(LevelClip(0.05, 2000));
            std::this_thread::sleep_for(150ms);
        });
        const auto segments = Segments(out);
        QCOMPARE(Levels(segments), (std::vector<int>{1000, 2000}));
        const auto first = std::find_if(segments.begin(), segments.end(), [](auto& s) { return s.level == 1000; });
        const double heardMs = first->frames * 1000.0 / CSdlSound::Rate;
        QVERIFY2(heardMs > 40 && heardMs < 400, qPrintable(QString::number(heardMs)));
    }

    void samplesLandInOrder()
    {
        // Ten 20 ms steps rising by 1000 each, then two more clips played
        // synchronously one after the other.
        Samples steps;
        for (int level = 1000; level <= 10000; level += 1000) {
            const Samples step = Level(ClipRate / 50, std::int16_t(level));
            steps.insert(steps.end(), step.begin(), step.end());
        }
        const Samples out = Record([&](CSdlSound& sound) {
            sound.PlaySync(Wave16(steps));
            sound.PlaySync(LevelClip(0.03, 3000));
            sound.PlaySync(LevelClip(0.03, 1000));
        });
        auto segments = Segments(out);
        QCOMPARE(Levels(segments),
            (std::vector<int>{1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000, 9000, 10000, 3000, 1000}));
        // Every step and clip keeps its length at the device rate, apart
        // from the resampler's ringing at its edges.
        std::erase_if(segments, [](const Segment& s) { return s.level == 0; });
        for (std::size_t i = 0; i < segments.size(); ++i) {
            const int expected = i < 10 ? CSdlSound::Rate / 50 : CSdlSound::Rate * 3 / 100;
            QVERIFY2(std::abs(segments[i].frames - expected) < 60, qPrintable(QString::number(segments[i].frames)));
        }
    }

    void syncSoundReturnsWhenPlayed_data()
    {
        QTest::addColumn<QByteArray>("wave");
        QTest::addColumn<double>("lengthMs");

        QTest::newRow("tone-length clip") << LevelClip(1137.0 / ClipRate, 1000) << 1137 * 1000.0 / ClipRate;
        QTest::newRow("8-bit 8000 Hz") << Wave(QByteArray(800, char(200)), 8000, 1, 8) << 100.0;
        QTest::newRow("stereo 44100 Hz") << Wave16(Level(2 * 4410, 1000), 44100, 2) << 100.0;
        QTest::newRow("empty sound") << Wave16({}) << 0.0;
    }

    void syncSoundReturnsWhenPlayed()
    {
        QFETCH(QByteArray, wave);
        QFETCH(double, lengthMs);
        Record([&](CSdlSound& sound) {
            const double took = TimedMs([&] { sound.PlaySync(wave); });
            // Never before the end; loose upper bound for busy machines (the
            // benchmark measures the real error).
            const QString why = QStringLiteral("took %1 ms for %2 ms").arg(took).arg(lengthMs);
            QVERIFY2(took >= lengthMs - 0.5, qPrintable(why));
            QVERIFY2(took <= lengthMs * 1.15 + 60, qPrintable(why));
        });
    }

    // A wave file plays in the background until its end, from where it was
    // asked to start, or until it is cut off.
    void waveFileIsPlayed_data()
    {
        QTest::addColumn<int>("fromMs");
        QTest::addColumn<int>("stopAfterMs"); // -1: not cut off
        QTest::addColumn<QList<int>>("levels");
        QTest::addColumn<double>("lastsMs");
        QTest::newRow("whole") << 0 << -1 << QList<int>{4000, 2000} << 200.0;
        QTest::newRow("from the middle") << 100 << -1 << QList<int>{2000} << 100.0;
        QTest::newRow("cut off") << 0 << 50 << QList<int>{4000} << 50.0;
    }

    void waveFileIsPlayed()
    {
        QFETCH(int, fromMs);
        QFETCH(int, stopAfterMs);
        QFETCH(double, lastsMs);
        Samples wave = Level(ClipRate / 10, 4000);
        const Samples second = Level(ClipRate / 10, 2000);
        wave.insert(wave.end(), second.begin(), second.end());
        const std::string path = WriteFile(QStringLiteral("levels.wav"), Wave16(wave));
        double took = 0;
        const Samples out = Record([&](CSdlSound& sound) {
            const auto start = std::chrono::steady_clock::now();
            QVERIFY(sound.StartFile(path, fromMs));
            while (sound.FileRemaining() > 0ms) {
                took = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
                if (stopAfterMs >= 0 && took >= stopAfterMs)
                    sound.StopFile();
                std::this_thread::sleep_for(1ms);
            }
        });
        const std::vector<int> heard = Levels(Segments(out));
        QTEST(QList<int>(heard.begin(), heard.end()), "levels");
        QVERIFY2(took >= lastsMs - 0.5 && took < lastsMs + 100, qPrintable(QString::number(took)));
    }

    void damagedFileSoundsNothing_data()
    {
        QTest::addColumn<QByteArray>("bytes");

        const QByteArray good = LevelClip(0.2, 1000);
        // The header of Wave(): RIFF size at 4, fmt size 16, channels at 22,
        // rate at 24, block align at 32, bits at 34, data size at 40.
        QTest::newRow("truncated in the data") << good.left(good.size() - 100);
        QTest::newRow("truncated in the header") << good.left(30);
        QTest::newRow("data size beyond the file") << With(good, 40, std::uint32_t(good.size()));
        QTest::newRow("data size of 4 GiB") << With(good, 40, 0xFFFFFFF0u);
        QTest::newRow("data size odd") << With(good, 40, std::uint32_t(good.size() - 44 - 1));
        QTest::newRow("fmt size beyond the file") << With(good, 16, 0x7FFFFFF0u);
        QTest::newRow("no channels") << With(good, 22, 0, 2);
        QTest::newRow("rate 0") << With(good, 24, 0);
        QTest::newRow("rate 4 GHz") << With(good, 24, 0xFFFFFFF0u);
        QTest::newRow("12 bits per sample") << With(good, 34, 12, 2);
        QTest::newRow("block align 0") << With(good, 32, 0, 2);
        QTest::newRow("not WAVE") << QByteArray(good).replace(8, 4, "AVI ");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("text") << QByteArray("wait 5\r\ndial 123\r\n");
        QByteArray noise(4096, Qt::Uninitialized);
        QRandomGenerator generator(4711);
        for (char& c : noise)
            c = char(generator.bounded(256));
        QTest::newRow("random bytes") << noise;
        QTest::newRow("random bytes after a RIFF header") << good.left(12) + noise;
    }

    void damagedFileSoundsNothing()
    {
        QFETCH(QByteArray, bytes);
        const std::string path = WriteFile(QStringLiteral("damaged.wav"), bytes);
        const Samples out = Record([&](CSdlSound& sound) {
            const double took = TimedMs([&] {
                QVERIFY(!sound.StartFile(path));
                sound.PlaySync(bytes);
                sound.PlayAsync(bytes);
            });
            QVERIFY2(took < 100, qPrintable(QString::number(took)));
        });
        QVERIFY(Levels(Segments(out)).empty());
    }

    void unplayablePathReturnsAtOnce_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("missing") << m_dir.filePath(QStringLiteral("missing.wav"));
        QTest::newRow("directory") << m_dir.path();
        QTest::newRow("pipe") << m_dir.filePath(QStringLiteral("pipe.wav"));
        QTest::newRow("empty path") << QString();
    }

    void unplayablePathReturnsAtOnce()
    {
        QFETCH(QString, path);
        const QByteArray pipe = QFile::encodeName(m_dir.filePath(QStringLiteral("pipe.wav")));
        if (!QFile::exists(QFile::decodeName(pipe)))
            QCOMPARE(mkfifo(pipe.constData(), 0600), 0);
        Record([&](CSdlSound& sound) {
            const double took = TimedMs([&] { QVERIFY(!sound.StartFile(QFile::encodeName(path).toStdString())); });
            QVERIFY2(took < 100, qPrintable(QString::number(took)));
        });
    }

    // Mutated headers and data must never crash the decoder (the sanitizer
    // build checks the memory accesses).
    void mutatedFilesNeverCrash()
    {
        const QByteArray good = Wave16(Level(400, 1000), 22050, 2);
        QRandomGenerator generator(1234);
        int decoded = 0;
        for (int round = 0; round < 2000; ++round) {
            QByteArray bytes = good;
            const int changes = 1 + int(generator.bounded(4));
            for (int i = 0; i < changes; ++i)
                bytes[int(generator.bounded(60))] = char(generator.bounded(256));
            if (round % 3 == 0)
                bytes.truncate(int(generator.bounded(int(bytes.size()))));
            if (CWaveDecoder::Decode(bytes, CSdlSound::Rate, CSdlSound::Channels))
                ++decoded;
        }
        // Some mutations hit fields that do not matter; most must be refused.
        QVERIFY(decoded < 2000);
    }

    void formatsAreConverted_data()
    {
        QTest::addColumn<QByteArray>("wave");
        QTest::addColumn<int>("frames");
        QTest::addColumn<int>("level");

        QTest::newRow("8-bit mono 8000 Hz") << Wave(QByteArray(8000, char(192)), 8000, 1, 8) << 48000 << 16384;
        QTest::newRow("16-bit mono 11025 Hz") << Wave16(Level(11025, -8000)) << 48000 << -8000;
        QTest::newRow("16-bit stereo 44100 Hz") << Wave16(Level(2 * 22050, 3000), 44100, 2) << 24000 << 3000;
        QTest::newRow("16-bit mono 48000 Hz") << Wave16(Level(4800, 1234), 48000) << 4800 << 1234;
    }

    void formatsAreConverted()
    {
        QFETCH(QByteArray, wave);
        QFETCH(int, frames);
        QFETCH(int, level);
        const auto pcm = CWaveDecoder::Decode(wave, CSdlSound::Rate, CSdlSound::Channels);
        QVERIFY(pcm.has_value());
        QCOMPARE(pcm->Frames(), frames);
        // The middle of the sound holds the level on both channels (the
        // resampler's gain is within a fraction of a percent of 1).
        const std::size_t middle = std::size_t(pcm->Frames() / 2) * 2;
        const int tolerance = 2 + std::abs(level) / 200;
        QVERIFY2(
            std::abs(pcm->samples[middle] - level) <= tolerance, qPrintable(QString::number(pcm->samples[middle])));
        QCOMPARE(pcm->samples[middle + 1], pcm->samples[middle]);
        QCOMPARE(CWaveDecoder::Duration(wave).value_or(-1) * CSdlSound::Rate, double(frames));
    }

    // A sine keeps its phase to its end, however the conversion is cut into
    // pieces: a converter that lost a fraction of a frame between pieces
    // would shift the rest of the sound.
    void sineKeepsItsPhase_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("frames");
        QTest::newRow("11025 Hz, 1.3 s") << 11025 << 14332;
        QTest::newRow("44100 Hz, 0.5 s") << 44100 << 22050;
        QTest::newRow("44101 Hz") << 44101 << 22050;
    }

    void sineKeepsItsPhase()
    {
        QFETCH(int, rate);
        QFETCH(int, frames);
        const auto sine = [](double seconds) { return 16000 * std::sin(2 * M_PI * 697 * seconds); };
        Samples wave(std::size_t(frames), 0);
        for (int i = 0; i < frames; ++i)
            wave[std::size_t(i)] = std::int16_t(std::lround(sine(double(i) / rate)));
        const auto pcm = CWaveDecoder::Decode(Wave16(wave, rate), CSdlSound::Rate, 1);
        QVERIFY(pcm.has_value());
        double worst = 0;
        for (std::int64_t i = 100; i < pcm->Frames() - 100; ++i)
            worst = std::max(worst, std::abs(pcm->samples[std::size_t(i)] - sine(double(i) / CSdlSound::Rate)));
        QVERIFY2(worst < 200, qPrintable(QString::number(worst)));
    }

    void fallsBackToTheDummyDriver()
    {
        qputenv("SDL_AUDIODRIVER", "no-such-driver");
        {
            CSdlSound sound;
            QCOMPARE(sound.DriverName(), std::string("dummy"));
            const double took = TimedMs([&] { sound.PlaySync(LevelClip(0.1, 1000)); });
            QVERIFY2(took >= 99.5 && took < 200, qPrintable(QString::number(took)));
        }
        // The fallback does not stick: the environment chooses again.
        Record([](CSdlSound&) {});
    }

    void withoutAnyDeviceSoundsStillLastTheirLength()
    {
        qputenv("SDL_AUDIODRIVER", "no-such-driver");
        CSdlSound sound(std::vector<std::string>{});
        QVERIFY(!sound.IsOpen());
        QCOMPARE(sound.StreamPosition().frames, 0);

        const double async = TimedMs([&] { sound.PlayAsync(LevelClip(0.5, 1000)); });
        QVERIFY2(async < 100, qPrintable(QString::number(async)));
        const double sync = TimedMs([&] { sound.PlaySync(LevelClip(0.15, 1000)); });
        QVERIFY2(sync >= 149.5 && sync < 250, qPrintable(QString::number(sync)));
        const double broken = TimedMs([&] { sound.PlaySync(QByteArray("RIFF")); });
        QVERIFY2(broken < 100, qPrintable(QString::number(broken)));
    }
};

QTEST_GUILESS_MAIN(TestPlatformSound)
#include "tst_platform_sound.moc"
