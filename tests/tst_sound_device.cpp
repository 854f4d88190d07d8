#include "SyntheticMedia.h"
#include "TestRows.h"
#include "platform/CQtPlatform.h"
#include "platform/CSdlSound.h"
#include "playback/CKeyTable.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using namespace std::chrono_literals;
using Samples = std::vector<std::int16_t>;

namespace {

constexpr auto Forever = std::chrono::hours(1);

// A clip at the device's own format, so that its samples reach the output
// unchanged: frames frames of a steady level in both channels.
QByteArray LevelClip(int frames, std::int16_t level)
{
    return SyntheticMedia::Wave16(SyntheticMedia::Level(2 * frames, level), CSdlSound::Rate, CSdlSound::Channels);
}

} // namespace

class TestSoundDevice : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    // Runs body on an Output (the engine or the program's platform) made
    // with the disk driver and returns the left channel of what the device
    // was given.
    template<class Output> Samples Record(const std::function<void(Output&)>& body)
    {
        const QString file = m_dir.filePath(QStringLiteral("out.raw"));
        qputenv("SDL_AUDIODRIVER", "disk");
        qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(file));
        {
            Output output;
            body(output);
        }
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
        for (int i = 0; i < silencesMs.size(); ++i)
            steps.push_back(
                {i == broken ? QByteArray("RIFF") : LevelClip(frames, std::int16_t(1000 * (i + 1))), silencesMs[i]});
        std::vector<CSdlSound::Span> layout;
        const Samples out = Record<CSdlSound>([&](CSdlSound& sound) {
            sound.StartSequence(steps);
            layout = sound.SequenceLayout();
            QVERIFY(sound.WaitSequence(Forever));
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
        const Samples out = Record<CQtPlatform>([&](CQtPlatform& platform) {
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
        // Tones: runs of sound set apart by at least 10 ms of silence.
        std::vector<std::pair<std::size_t, std::size_t>> heard;
        for (std::size_t i = 0; i < out.size(); ++i) {
            if (out[i] != 0 && (heard.empty() || i - heard.back().second >= 480))
                heard.emplace_back(i, i);
            if (out[i] != 0)
                heard.back().second = i + 1;
        }
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

    // Only the silent fallback left: the object says so and why. A device
    // that appears later is used by the next sound after a rest.
    void saysWhenSoundCannotBeHeard_data()
    {
        Columns<QByteArray, bool>({"driver", "fallback"});
        Row("a device", QByteArray("dummy"), true);
        Row("only the fallback", QByteArray("no-such-driver"), true);
        Row("nothing at all", QByteArray("no-such-driver"), false);
    }

    void saysWhenSoundCannotBeHeard()
    {
        QFETCH(QByteArray, driver);
        QFETCH(bool, fallback);
        const bool silent = driver != "dummy";
        qputenv("SDL_AUDIODRIVER", driver);
        CSdlSound sound(fallback ? std::vector<std::string>{"dummy"} : std::vector<std::string>{}, 20ms);
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
