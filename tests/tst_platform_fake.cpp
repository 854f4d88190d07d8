#include "CDelayedCall.h"
#include "CFakePlatform.h"
#include "SyntheticMedia.h"
#include "platform/CAnimateCtrl.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

// The player's wait loop, as in the events test: returns the clock reading
// at which it ended.
std::uint32_t WaitLoop(CPlatform& platform, std::uint32_t ms, const bool& stop)
{
    const std::uint32_t start = platform.TimeGetTime();
    while (!stop) {
        platform.PumpMessages();
        const std::uint32_t elapsed = platform.TimeGetTime() - start;
        if (elapsed >= ms)
            break;
        platform.WaitForEvents(int(ms - elapsed));
    }
    return platform.TimeGetTime();
}

QString WriteFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

} // namespace

class TestPlatformFake : public QObject {
    Q_OBJECT

private slots:
    // Synchronous clips move the clock by their exact length, so that many
    // tones add up without rounding drift.
    void syncClipsAdvanceTheClockExactly_data()
    {
        QTest::addColumn<int>("samples");
        QTest::addColumn<int>("count");

        QTest::newRow("one tone") << 1137 << 1;
        QTest::newRow("twelve tones") << 1118 << 12;
        QTest::newRow("a thousand tones") << 1155 << 1000;
        QTest::newRow("an empty clip") << 0 << 3;
    }

    void syncClipsAdvanceTheClockExactly()
    {
        QFETCH(int, samples);
        QFETCH(int, count);
        CFakePlatform platform;
        platform.SetTime(500);
        platform.SetClipSamples(192, samples);
        for (int i = 0; i < count; ++i)
            platform.PlayClipSync(192);
        const double expected = 500 + 1000.0 * samples * count / CMediaCatalogue::SampleRate;
        QVERIFY(std::abs(platform.PreciseTime() - expected) < 1e-3);
        QCOMPARE(platform.TimeGetTime(), std::uint32_t(expected));
        QCOMPARE(platform.Sounds().size(), std::size_t(count));
        QCOMPARE(platform.Sounds().back().time, std::uint32_t(500 + 1000.0 * samples * (count - 1) / 11025));
    }

    void waveFilesLastTheirLength_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<double>("ms");

        using SyntheticMedia::Level;
        QTest::newRow("11025 Hz mono") << SyntheticMedia::Wave16(Level(2205, 1)) << 200.0;
        QTest::newRow("44100 Hz stereo") << SyntheticMedia::Wave16(Level(2 * 11025, 1), 44100, 2) << 250.0;
        QTest::newRow("8-bit 8000 Hz") << SyntheticMedia::Wave(QByteArray(4000, 'x'), 8000, 1, 8) << 500.0;
        QTest::newRow("damaged") << QByteArray("RIFF\x10\0\0\0WAVEdata", 16) << 0.0;
    }

    void waveFilesLastTheirLength()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(double, ms);
        QTemporaryDir dir;
        const std::string path = QFile::encodeName(WriteFile(dir, "a.wav", bytes)).toStdString();
        CFakePlatform platform;
        platform.PlayWaveFileSync(path);
        QVERIFY(std::abs(platform.PreciseTime() - ms) < 1e-6);
        QCOMPARE(platform.SoundLog(), QStringList{QString::fromStdString("file " + path)});
    }

    // A 70-second wait with a scheduled PAUSE and resume: the actions run at
    // their virtual times, the wait ends exactly on its deadline, and no real
    // time passes.
    void longWaitRunsInVirtualTime()
    {
        CFakePlatform platform;
        QElapsedTimer real;
        real.start();
        std::vector<std::uint32_t> ranAt;
        platform.At(1500, [&] { ranAt.push_back(platform.TimeGetTime()); });
        platform.At(2600, [&] { ranAt.push_back(platform.TimeGetTime()); });
        const bool never = false;
        const std::uint32_t endedAt = WaitLoop(platform, 70000, never);
        QCOMPARE(endedAt, 70000u);
        QCOMPARE(ranAt, (std::vector<std::uint32_t>{1500, 2600}));
        QVERIFY(platform.WaitCount() <= 3);
        QVERIFY(real.elapsed() < 1000);
    }

    void actionEndsTheWaitEarly()
    {
        CFakePlatform platform;
        bool stop = false;
        platform.At(1500, [&] { stop = true; });
        QCOMPARE(WaitLoop(platform, 3000, stop), 1500u);
        QCOMPARE(platform.PendingActions(), std::size_t(0));
    }

    void holdLeavesActionsForTheNextPump()
    {
        CFakePlatform platform;
        std::uint32_t ranAt = 0;
        platform.At(100, [&] { ranAt = platform.TimeGetTime(); });
        platform.Hold(500);
        QCOMPARE(ranAt, 0u);
        QCOMPARE(platform.TimeGetTime(), 500u);
        platform.PumpMessages();
        QCOMPARE(ranAt, 500u);
        // The hold moved the clock: this pump needs no step of its own.
        QCOMPARE(platform.TimeGetTime(), 500u);
        platform.PumpMessages();
        QCOMPARE(platform.TimeGetTime(), 501u);
    }

    void actionsRunInOrderAndMayPump()
    {
        CFakePlatform platform;
        QStringList ran;
        // The first action runs a loop of its own (a click on PLAY), inside
        // which the later actions are delivered.
        platform.At(10, [&] {
            ran << "play";
            const bool never = false;
            WaitLoop(platform, 1000, never);
            ran << "play ended";
        });
        platform.At(10, [&] { ran << "second at 10"; });
        platform.At(500, [&] { ran << "stop"; });
        const bool never = false;
        WaitLoop(platform, 100, never);
        QCOMPARE(ran, (QStringList{"play", "second at 10", "stop", "play ended"}));
    }

    void actionTimesFollowTheClock_data()
    {
        QTest::addColumn<quint32>("start");
        QTest::addColumn<quint32>("at");
        QTest::addColumn<quint32>("ranAt");

        QTest::newRow("ahead") << 1000u << 1500u << 1500u;
        QTest::newRow("now") << 1000u << 1000u << 1000u;
        QTest::newRow("already passed") << 1000u << 900u << 1000u;
        QTest::newRow("across the wrap") << 0xFFFFFF00u << 0x10u << 0x10u;
    }

    void actionTimesFollowTheClock()
    {
        QFETCH(quint32, start);
        QFETCH(quint32, at);
        CFakePlatform platform;
        platform.SetTime(start);
        std::uint32_t ranAt = 1;
        platform.At(at, [&] { ranAt = platform.TimeGetTime(); });
        platform.WaitForEvents(-1);
        QTEST(ranAt, "ranAt");
    }

    void pumpLetsQtHandleItsEvents()
    {
        CFakePlatform platform;
        bool handled = false;
        const CDelayedCall pending(0, [&] { handled = true; });
        platform.PumpMessages();
        QVERIFY(handled);
        QCOMPARE(platform.PumpCount(), 1);
        QCOMPARE(platform.TimeGetTime(), 1u);
    }

    // Animation requests are logged, reach the control and play on the
    // virtual clock.
    void animationsFollowTheVirtualClock()
    {
        const CAnimationClip clip = SyntheticMedia::AnimationClip(10, QSize(15, 15), 5);
        CAnimateCtrl lamp;
        lamp.setObjectName("lamp");
        lamp.Open(&clip, 242);

        CFakePlatform platform;
        platform.AnimPlay(lamp, 0, CAnimateCtrl::LastFrame, 1);
        QVERIFY(lamp.HasExternalTime());
        platform.Hold(1000);
        QCOMPARE(lamp.CurrentFrame(), 5);
        platform.SetClipSamples(197, 11025);
        platform.PlayClipSync(197);
        QCOMPARE(lamp.CurrentFrame(), 9);
        QVERIFY(!lamp.IsPlaying());
        platform.AnimPlay(lamp, 10, 10, 1);
        platform.AnimStop(lamp);
        platform.AnimOpen(lamp, 0);
        QVERIFY(!lamp.IsOpen());

        QCOMPARE(platform.AnimationLog(),
            (QStringList{"lamp play 242 0..65535 x1", "lamp play 242 10..10 x1", "lamp stop", "lamp open 0"}));
        const CFakePlatform::AnimationRequest first{
            CFakePlatform::AnimationRequest::Play, &lamp, 242, 0, CAnimateCtrl::LastFrame, 1, 0};
        QCOMPARE(platform.Animations().front(), first);
        QCOMPARE(platform.Animations()[1].time, 2000u);
        platform.ClearLogs();
        QVERIFY(platform.Animations().empty());
        QVERIFY(platform.Sounds().empty());
    }

    void controlsGetTheirTimerBackAfterTheFake()
    {
        CAnimateCtrl control;
        {
            CFakePlatform platform;
            platform.AnimStop(control);
            QVERIFY(control.HasExternalTime());
        }
        QVERIFY(!control.HasExternalTime());
        // A control destroyed before the fake is forgotten safely.
        CFakePlatform platform;
        {
            CAnimateCtrl shortLived;
            platform.AnimStop(shortLived);
        }
        platform.Advance(100);
        QCOMPARE(platform.AnimationLog(), QStringList{"control stop"});
    }
};

QTEST_MAIN(TestPlatformFake)
#include "tst_platform_fake.moc"
