#include "SyntheticMedia.h"
#include "TestRows.h"
#include "platform/CSdlSound.h"

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

    // Runs body with the disk driver and returns the left channel of what the
    // device was given.
    Samples Record(const std::function<void(CSdlSound&)>& body)
    {
        const QString file = m_dir.filePath(QStringLiteral("out.raw"));
        qputenv("SDL_AUDIODRIVER", "disk");
        qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(file));
        {
            CSdlSound sound;
            body(sound);
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
        QTest::addColumn<QList<int>>("silencesMs");
        QTest::addColumn<int>("broken"); // index of an undecodable clip, or -1
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
        const Samples out = Record([&](CSdlSound& sound) {
            sound.StartSequence(steps);
            layout = sound.SequenceLayout();
            QVERIFY(sound.WaitSequence(Forever));
            QVERIFY(!sound.SequenceNow().sounding);
        });
        QCOMPARE(int(layout.size()), int(steps.size()));
        // SDL may write silence of its own before the first callback: the
        // file is placed on the stream by the first clip.
        const auto first = std::find_if(out.begin(), out.end(), [](std::int16_t s) { return s != 0; });
        const std::int64_t openedAt = layout.front().start - (first - out.begin());
        for (int i = 0; i < silencesMs.size(); ++i) {
            const CSdlSound::Span span = layout[std::size_t(i)];
            QCOMPARE(span.end - span.start, i == broken ? 0 : frames);
            const std::int64_t next = span.end + silencesMs[i] * CSdlSound::Rate / 1000;
            if (i + 1 < silencesMs.size())
                QCOMPARE(layout[std::size_t(i) + 1].start, next);
            QVERIFY(next - openedAt <= std::int64_t(out.size()));
            const std::int16_t level = std::int16_t(1000 * (i + 1));
            for (std::int64_t f = span.start; f < next; ++f) {
                const std::int16_t expected = f < span.end ? level : 0;
                if (out[std::size_t(f - openedAt)] != expected)
                    QFAIL(qPrintable(
                        QStringLiteral("clip %1, frame %2: %3").arg(i).arg(f).arg(out[std::size_t(f - openedAt)])));
            }
        }
    }

    void stopCutsAtOnce()
    {
        const Samples out = Record([&](CSdlSound& sound) {
            sound.StartSequence({{LevelClip(2 * CSdlSound::Rate, 1000), 70}});
            std::this_thread::sleep_for(100ms);
            sound.StopSequence();
            QVERIFY(!sound.SequenceNow().sounding);
            QVERIFY(sound.WaitSequence(0ms));
            std::this_thread::sleep_for(100ms);
        });
        const auto loud = std::count(out.begin(), out.end(), std::int16_t(1000));
        QVERIFY2(loud > 0 && loud < CSdlSound::Rate, qPrintable(QString::number(loud)));
        QCOMPARE(out.back(), std::int16_t(0));
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

    // Only the silent fallback left: the object says so and why. A device
    // that appears later is used by the next sound after a rest.
    void saysWhenSoundCannotBeHeard_data()
    {
        QTest::addColumn<QByteArray>("driver");
        QTest::addColumn<QList<QByteArray>>("fallbacks");
        QTest::addColumn<QByteArray>("used");
        QTest::addColumn<bool>("silent");
        Row("a device", QByteArray("dummy"), QList<QByteArray>{"dummy"}, QByteArray("dummy"), false);
        Row("only the fallback", QByteArray("no-such-driver"), QList<QByteArray>{"dummy"}, QByteArray("dummy"), true);
        Row("nothing at all", QByteArray("no-such-driver"), QList<QByteArray>{}, QByteArray(), true);
    }

    void saysWhenSoundCannotBeHeard()
    {
        QFETCH(QByteArray, driver);
        QFETCH(QList<QByteArray>, fallbacks);
        QFETCH(QByteArray, used);
        QFETCH(bool, silent);
        qputenv("SDL_AUDIODRIVER", driver);
        std::vector<std::string> names(fallbacks.begin(), fallbacks.end());
        CSdlSound sound(names, 20ms);
        QCOMPARE(QByteArray::fromStdString(sound.DriverName()), used);
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

QTEST_GUILESS_MAIN(TestSoundDevice)
#include "tst_sound_device.moc"
