#include "SyntheticMedia.h"
#include "TestRows.h"
#include "TestTools.h"
#include "platform/CQtPlatform.h"
#include "platform/CSdlSound.h"
#include "platform/CWaveDecoder.h"
#include "playback/CKeyTable.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

#include <functional>
#include <thread>

using namespace std::chrono_literals;
using SyntheticMedia::Level;
using SyntheticMedia::Wave16;
using Samples = std::vector<std::int16_t>;

namespace {

// frames mono frames of a steady level; at the device's rate its samples
// reach the output unchanged.
QByteArray LevelClip(int frames, std::int16_t level, int rate = CSdlSound::Rate)
{
    return Wave16(Level(frames, level), rate);
}

// The levels that sound one after the other (each a multiple of 1000, for
// at least half a millisecond; silence left out), with the frames each lasts.
std::vector<std::pair<int, int>> Levels(const Samples& left)
{
    std::vector<std::pair<int, int>> runs;
    for (const std::int16_t sample : left) {
        const int level = int(std::lround(sample / 1000.0)) * 1000;
        if (std::abs(sample - level) > 200)
            continue; // the resampler's ringing at a step
        if (runs.empty() || runs.back().first != level)
            runs.emplace_back(level, 0);
        ++runs.back().second;
    }
    std::erase_if(runs, [](const auto& run) { return run.first == 0 || run.second < 24; });
    for (std::size_t i = 1; i < runs.size(); ++i) {
        if (runs[i].first == runs[i - 1].first) {
            runs[i - 1].second += runs[i].second;
            runs.erase(runs.begin() + std::ptrdiff_t(i--));
        }
    }
    return runs;
}

// The runs of sound set apart by at least gap frames of silence, as (first,
// end) frames.
std::vector<std::pair<std::size_t, std::size_t>> Sounds(const Samples& out, std::size_t gap)
{
    std::vector<std::pair<std::size_t, std::size_t>> runs;
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (out[i] != 0 && (runs.empty() || i - runs.back().second >= gap))
            runs.emplace_back(i, i);
        if (out[i] != 0)
            runs.back().second = i + 1;
    }
    return runs;
}

} // namespace

// Sound through SDL: the engine and the program's platform on SDL's disk
// driver, which records what was played, and on its dummy driver.
class TestSoundDevice : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    std::string WriteFile(const QString& name, const QByteArray& bytes)
    {
        WriteBytes(m_dir.filePath(name), bytes);
        return QFile::encodeName(m_dir.filePath(name)).toStdString();
    }

    // Runs body, which opens and closes its device, with SDL's disk driver
    // and returns the left channel of what the device was given.
    Samples Recorded(const std::function<void()>& body)
    {
        const QString file = m_dir.filePath(QStringLiteral("out.raw"));
        qputenv("SDL_AUDIODRIVER", "disk");
        qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(file));
        body();
        QFile raw(file);
        if (!raw.open(QIODevice::ReadOnly))
            qFatal("no output file");
        const QByteArray bytes = raw.readAll();
        const auto* samples = reinterpret_cast<const std::int16_t*>(bytes.constData());
        Samples left;
        for (qsizetype i = 0; i + 1 < bytes.size() / 2; i += CSdlSound::Channels)
            left.push_back(samples[i]);
        return left;
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void cleanup() { qputenv("SDL_AUDIODRIVER", "dummy"); }

    // What reaches the device: a clip cut off by the next one, synchronous
    // clips in order and at their length, a wave file from where asked, cut
    // off when asked; all converted from 11025 Hz.
    void soundOutput()
    {
        Samples steps;
        for (std::int16_t level = 1000; level <= 5000; level += 1000) {
            const auto step = Level(11025 / 50, level);
            steps.insert(steps.end(), step.begin(), step.end());
        }
        const std::string wave = WriteFile("steps.wav", Wave16(steps));
        const std::string longWave = WriteFile("long.wav", LevelClip(11025, 6000, 11025));
        const Samples out = Recorded([&] {
            CSdlSound sound;
            QCOMPARE(sound.DriverName(), std::string("disk"));
            sound.PlayAsync(LevelClip(11025, 9000, 11025));
            std::this_thread::sleep_for(100ms);
            const double took = TimedMs([&] { sound.PlaySync(LevelClip(1103, 8000, 11025)); });
            QVERIFY2(took >= 99.5 && took < 175, qPrintable(QString::number(took)));
            sound.PlaySync(LevelClip(331, 7000, 11025));
            QVERIFY(sound.StartFile(wave, 40));
            QVERIFY(sound.FileRemaining() > 55ms && sound.FileRemaining() < 90ms);
            while (sound.FileRemaining() > 0ms)
                std::this_thread::sleep_for(1ms);
            QVERIFY(sound.StartFile(longWave));
            std::this_thread::sleep_for(30ms);
            sound.StopFile();
            QCOMPARE(sound.FileRemaining(), 0ms);
            std::this_thread::sleep_for(70ms); // the last buffers reach the file
        });
        QStringList heard;
        for (const auto& [level, frames] : Levels(out))
            heard << QStringLiteral("%1:%2").arg(level / 1000).arg(std::lround(frames / 48.0 / 10) * 10);
        // The first clip sounds until the next cuts it, the steps from 40 ms
        // on for 60 ms, the long file until it is cut off.
        QCOMPARE(heard.mid(1, 5), (QStringList{"8:100", "7:30", "3:20", "4:20", "5:20"}));
        QVERIFY2(heard.size() == 7 && heard[0].startsWith("9:") && heard[6].startsWith("6:")
                && heard[6].mid(2).toInt() < 100,
            qPrintable(heard.join(' ')));
    }

    // Damaged, truncated and hostile files, and paths that lead to no file
    // or to one that would block, are refused at once and sound nothing
    // (random bytes are the wave fuzz harness's).
    void refused_data()
    {
        Columns<QByteArray, QString>({"bytes", "path"}); // path: another file than the bytes' own
        const QByteArray good = LevelClip(2205, 1000, 11025);
        const auto with = [&good](qsizetype at, std::uint32_t value, int size = 4) {
            QByteArray bytes = good;
            for (int i = 0; i < size; ++i)
                bytes[at + i] = char((value >> (8 * i)) & 0xFF);
            return bytes;
        };
        Row("truncated in the data", good.left(good.size() - 100), QString());
        Row("truncated in the header", good.left(30), QString());
        Row("data size beyond the file", with(40, std::uint32_t(good.size())), QString());
        Row("data size of 4 GiB", with(40, 0xFFFFFFF0u), QString());
        Row("data size odd", with(40, std::uint32_t(good.size() - 45)), QString());
        Row("fmt size beyond the file", with(16, 0x7FFFFFF0u), QString());
        Row("no channels", with(22, 0, 2), QString());
        Row("rate 0", with(24, 0), QString());
        Row("rate 4 GHz", with(24, 0xFFFFFFF0u), QString());
        Row("rate 999", with(24, 999), QString());
        Row("12 bits", with(34, 12, 2), QString());
        Row("block align 0", with(32, 0, 2), QString());
        Row("not WAVE", QByteArray(good).replace(8, 4, "AVI "), QString());
        Row("text", QByteArray("wait 5\r\ndial 123\r\n"), QString());
        Row("empty", QByteArray(), QString());
        Row("missing", good, "missing.wav");
        Row("a directory", good, ".");
        Row("a pipe", good, "pipe.wav");
        Row("no name", good, "-");
    }

    void refused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, path);
        std::string file = WriteFile("refused.wav", bytes);
        if (path == "pipe.wav")
            QCOMPARE(mkfifo(QFile::encodeName(m_dir.filePath(path)), 0600), 0);
        if (!path.isEmpty())
            file = path == "-" ? std::string() : QFile::encodeName(m_dir.filePath(path)).toStdString();
        else
            QVERIFY(!CWaveDecoder::Decode(bytes, CSdlSound::Rate, CSdlSound::Channels));
        const Samples out = Recorded([&] {
            CSdlSound sound;
            QVERIFY(TimedMs([&] {
                QVERIFY(!sound.StartFile(file));
                if (path.isEmpty()) {
                    sound.PlaySync(bytes);
                    sound.PlayAsync(bytes);
                }
            }) < 100);
        });
        QVERIFY(std::all_of(out.begin(), out.end(), [](std::int16_t s) { return s == 0; }));
        QFile::remove(m_dir.filePath("pipe.wav"));
    }

    // Every format SDL reads is converted to the device's, at the same level
    // and length; a sine keeps its phase however the conversion is cut up.
    void conversion_data()
    {
        // level: 0: a 697 Hz sine at the file's rate
        Columns<QByteArray, int, int>({"wave", "frames", "level"});
        Row("8-bit mono 8000 Hz", SyntheticMedia::Wave(QByteArray(8000, char(192)), 8000, 1, 8), 48000, 16384);
        Row("16-bit mono 11025 Hz", LevelClip(11025, -8000, 11025), 48000, -8000);
        // A chunk of odd length is followed by a pad byte.
        QByteArray padded = LevelClip(11025, -8000, 11025).insert(36, QByteArray("LIST\3\0\0\0abc\0", 12));
        padded[4] = char(padded[4] + 12);
        Row("an odd chunk before the data", padded, 48000, -8000);
        Row("16-bit stereo 44100 Hz", Wave16(Level(2 * 22050, 3000), 44100, 2), 24000, 3000);
        Row("16-bit mono 48000 Hz", LevelClip(4800, 1234), 4800, 1234);
        for (const int rate : {11025, 44100, 44101}) {
            Samples sine(std::size_t(rate / 2));
            for (std::size_t i = 0; i < sine.size(); ++i)
                sine[i] = std::int16_t(std::lround(16000 * std::sin(2 * M_PI * 697 * double(i) / rate)));
            QTest::addRow("sine at %d Hz", rate)
                << Wave16(sine, rate) << int(std::lround(48000.0 * double(sine.size()) / rate)) << 0;
        }
    }

    void conversion()
    {
        QFETCH(QByteArray, wave);
        QFETCH(int, frames);
        QFETCH(int, level);
        const auto pcm = CWaveDecoder::Decode(wave, CSdlSound::Rate, CSdlSound::Channels);
        QVERIFY(pcm.has_value());
        QVERIFY(std::abs(pcm->Frames() - frames) <= 1);
        QVERIFY(std::abs(CWaveDecoder::Duration(wave).value_or(-1) * CSdlSound::Rate - double(pcm->Frames())) < 1);
        double worst = 0;
        for (std::int64_t i = 100; i < pcm->Frames() - 100; ++i) {
            const double expected = level != 0 ? level : 16000 * std::sin(2 * M_PI * 697 * double(i) / CSdlSound::Rate);
            worst = std::max(worst, std::abs(pcm->samples[std::size_t(2 * i)] - expected));
            QCOMPARE(pcm->samples[std::size_t(2 * i + 1)], pcm->samples[std::size_t(2 * i)]);
        }
        QVERIFY2(worst <= (level != 0 ? 2 + std::abs(level) / 200 : 200), qPrintable(QString::number(worst)));
    }

    // Each clip lies where the layout says, followed by exactly its silence
    // in samples; a clip that cannot be decoded keeps its silence's place.
    void sequenceIsOneStream_data()
    {
        // broken: the index of an undecodable clip, or -1
        Columns<QList<int>, int>({"silencesMs", "broken"});
        Row("keys with 70 ms after each", QList<int>{70, 70, 70}, -1);
        Row("back to back", QList<int>{0, 0, 0}, -1);
        Row("undecodable clip", QList<int>{70, 70, 70}, 1);
    }

    void sequenceIsOneStream()
    {
        QFETCH(QList<int>, silencesMs);
        QFETCH(int, broken);
        const int frames = 4800;
        std::vector<CSdlSound::Step> steps;
        steps.reserve(std::size_t(silencesMs.size()));
        for (int i = 0; i < silencesMs.size(); ++i)
            steps.push_back(
                {i == broken ? QByteArray("RIFF") : LevelClip(frames, std::int16_t(1000 * (i + 1))), silencesMs[i]});
        std::vector<CSdlSound::Span> layout;
        const Samples out = Recorded([&] {
            CSdlSound sound;
            sound.StartSequence(steps);
            layout = sound.SequenceLayout();
            QVERIFY(sound.WaitSequence(1h));
            QVERIFY(!sound.SequenceNow().sounding);
        });
        QCOMPARE(int(layout.size()), int(steps.size()));
        // What the sequence should have written, from its first clip on.
        Samples expected;
        for (int i = 0; i < silencesMs.size(); ++i) {
            const CSdlSound::Span span = layout[std::size_t(i)];
            QCOMPARE(span.end - span.start, i == broken ? 0 : frames);
            QCOMPARE(span.start - layout.front().start, std::int64_t(expected.size()));
            expected.insert(expected.end(), std::size_t(span.end - span.start), std::int16_t(1000 * (i + 1)));
            expected.insert(expected.end(), std::size_t(silencesMs[i] * CSdlSound::Rate / 1000), 0);
        }
        // SDL may write silence of its own before the first callback: the
        // file is placed on the stream by the first clip.
        const auto first = std::find_if(out.begin(), out.end(), [](std::int16_t s) { return s != 0; });
        QVERIFY(out.end() - first >= std::ptrdiff_t(expected.size()));
        QVERIFY(std::equal(expected.begin(), expected.end(), first));
    }

    // A dial line through the program's platform: each key is told as its
    // tone starts and ends, in order; every tone reaches the device with at
    // least the key gap of silence after it; a false from the panel ends
    // the line there and cuts what follows.
    void dialLineFollowsTheOutput_data()
    {
        Columns<int, QString>({"endAfter", "told"});
        Row("whole line", -1, "+0 -0 +1 -1 +2 -2 +3 -3");
        Row("ended after the second key", 1, "+0 -0 +1 -1");
    }

    void dialLineFollowsTheOutput()
    {
        QFETCH(int, endAfter);
        std::vector<int> tones;
        for (const char key : {'5', '5', '9', '0'})
            tones.push_back(CKeyTable::FromCharacter(key)->toneClip);
        QStringList told;
        QElapsedTimer clock;
        std::vector<qint64> shownMs; // each key shown pressed: +ms, released: -ms
        const Samples out = Recorded([&] {
            CQtPlatform platform;
            clock.start();
            platform.SoundDialLine(tones, [&](std::size_t key, bool sounding) {
                told << QStringLiteral("%1%2").arg(sounding ? '+' : '-').arg(key);
                shownMs.push_back(sounding ? -clock.elapsed() : clock.elapsed());
                return sounding || int(key) != endAfter;
            });
        });
        QTEST(told.join(' '), "told");
        // Shown pressed for its tone (about 100 ms), not released at once.
        for (std::size_t i = 0; i + 1 < shownMs.size(); i += 2)
            QVERIFY2(shownMs[i + 1] + shownMs[i] >= 50, qPrintable(QString::number(shownMs[i + 1] + shownMs[i])));
        const auto heard = Sounds(out, 480);
        QVERIFY2(endAfter < 0 ? heard.size() == tones.size() : heard.size() < tones.size(),
            qPrintable(QString::number(heard.size())));
        for (std::size_t i = 1; i < heard.size(); ++i)
            QVERIFY(heard[i].first - heard[i - 1].second >= std::size_t(CPlatform::KeyGapMs * CSdlSound::Rate / 1000));
    }

    // The device is released at rest and opened again by the next sound;
    // held open, it keeps one stream across a silence.
    void releasedAtRestUnlessHeld()
    {
        CSdlSound sound({"dummy"}, 20ms);
        QTRY_VERIFY_WITH_TIMEOUT(!sound.IsHeld(), 5000);
        QVERIFY(sound.IsOpen());
        sound.PlayAsync(LevelClip(480, 1000));
        QVERIFY(sound.IsHeld());
        QTRY_VERIFY_WITH_TIMEOUT(!sound.IsHeld(), 5000);

        sound.KeepOpen();
        QVERIFY(sound.IsHeld());
        const std::int64_t openedAt = sound.StreamPosition().openedAt;
        std::this_thread::sleep_for(200ms);
        sound.PlaySync(LevelClip(480, 1000));
        QVERIFY(sound.IsHeld());
        QCOMPARE(sound.StreamPosition().openedAt, openedAt);
        sound.EndKeepOpen();
        QTRY_VERIFY_WITH_TIMEOUT(!sound.IsHeld(), 5000);
    }

    // A sequence after a clip is sounded on a device with other buffers, and
    // both are heard to their end; the disk driver keeps its one device, whose
    // file would start anew.
    void sequenceAfterClipGetsItsOwnDevice_data()
    {
        Columns<QByteArray, bool>({"driver", "newDevice"});
        Row("dummy", QByteArray("dummy"), true);
        Row("disk", QByteArray("disk"), false);
    }

    void sequenceAfterClipGetsItsOwnDevice()
    {
        QFETCH(QByteArray, driver);
        qputenv("SDL_AUDIODRIVER", driver);
        qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(m_dir.filePath(QStringLiteral("switch.raw"))));
        CSdlSound sound;
        sound.PlaySync(LevelClip(480, 1000));
        const std::int64_t openedAt = sound.StreamPosition().openedAt;
        sound.StartSequence({{LevelClip(4800, 1000), 70}});
        QVERIFY(sound.WaitSequence(5s));
        QTEST(sound.StreamPosition().openedAt != openedAt, "newDevice");
        sound.PlaySync(LevelClip(480, 1000));
        QVERIFY(sound.IsHeld());
    }

    // Without a working driver the dummy one serves, and without any device
    // nothing is heard; either way the object says so and why, and sounds
    // still last their length. A device that appears later is used by the
    // next sound after a rest.
    void withoutASoundCard_data()
    {
        Columns<QByteArray, bool>({"driver", "fallback"});
        Row("a device", QByteArray("dummy"), true);
        Row("only the fallback", QByteArray("no-such-driver"), true);
        Row("nothing at all", QByteArray("no-such-driver"), false);
    }

    void withoutASoundCard()
    {
        QFETCH(QByteArray, driver);
        QFETCH(bool, fallback);
        const bool silent = driver != "dummy";
        qputenv("SDL_AUDIODRIVER", driver);
        const auto fallbacks = fallback ? std::vector<std::string>{"dummy"} : std::vector<std::string>{};
        {
            CSdlSound sound(fallbacks);
            QVERIFY(TimedMs([&] { sound.PlayAsync(LevelClip(24000, 1000)); }) < 100);
            const double took = TimedMs([&] { sound.PlaySync(LevelClip(7200, 1000)); });
            QVERIFY2(took >= 149.5 && took < 250, qPrintable(QString::number(took)));
            QVERIFY(TimedMs([&] { sound.PlaySync(QByteArray("RIFF")); }) < 100);
        }
        CSdlSound sound(fallbacks, 20ms);
        QCOMPARE(sound.DriverName(), std::string(fallback ? "dummy" : ""));
        QCOMPARE(sound.IsSilent(), silent);
        const QString reason = QString::fromStdString(sound.SilenceReason());
        QCOMPARE(reason.startsWith("No sound device found: tones cannot be heard. Reason: "), silent);
        QCOMPARE(reason.contains(driver), silent);

        qputenv("SDL_AUDIODRIVER", "dummy");
        QTRY_VERIFY_WITH_TIMEOUT(!sound.IsHeld(), 5000);
        sound.PlayAsync(LevelClip(480, 1000));
        QCOMPARE(sound.DriverName(), std::string("dummy"));
        QVERIFY(!sound.IsSilent() && sound.SilenceReason().empty());
    }
};

QTEST_MAIN(TestSoundDevice)
#include "tst_sound_device.moc"
