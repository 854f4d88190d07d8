#include "CFakePlatform.h"
#include "TestRows.h"
#include "media/CMediaCatalogue.h"

#include <QtTest>

// The fake platform's clock, on which every timing the other tests assert
// rests: exact sound lengths, scheduled actions, waits in virtual time.
// (Wave file lengths show in the player's play-line rows.)
class TestPlatformFake : public QObject {
    Q_OBJECT

private slots:
    // Synchronous clips move the clock by their exact length, so that many
    // tones add up without rounding drift.
    void syncClipsAdvanceTheClockExactly_data()
    {
        QTest::addColumn<int>("samples");
        QTest::addColumn<int>("count");
        Row("one tone", 1137, 1);
        Row("a thousand tones", 1155, 1000);
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
    }

    // A 70-second wait of the player's kind, with actions scheduled in it:
    // they run at their virtual times, the wait ends exactly on its
    // deadline, and no real time passes.
    void longWaitRunsInVirtualTime()
    {
        CFakePlatform platform;
        QElapsedTimer real;
        real.start();
        std::vector<std::uint32_t> ranAt;
        platform.At(1500, [&] { ranAt.push_back(platform.TimeGetTime()); });
        platform.At(2600, [&] { ranAt.push_back(platform.TimeGetTime()); });
        const std::uint32_t start = platform.TimeGetTime();
        while (true) {
            platform.PumpMessages();
            const std::uint32_t elapsed = platform.TimeGetTime() - start;
            if (elapsed >= 70000)
                break;
            platform.WaitForEvents(int(70000 - elapsed));
        }
        QCOMPARE(platform.TimeGetTime(), 70000u);
        QCOMPARE(ranAt, (std::vector<std::uint32_t>{1500, 2600}));
        QVERIFY(platform.WaitCount() <= 3);
        QVERIFY(real.elapsed() < 1000);
    }

    void actionTimesFollowTheClock_data()
    {
        QTest::addColumn<quint32>("start");
        QTest::addColumn<quint32>("at");
        QTest::addColumn<quint32>("ranAt");
        Row("ahead", 1000u, 1500u, 1500u);
        Row("already passed", 1000u, 900u, 1000u);
        Row("across the wrap", 0xFFFFFF00u, 0x10u, 0x10u);
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

    // A hold moves the clock but runs no action: input waits for the next
    // pump, as during the opening flashes.
    void holdLeavesActionsForTheNextPump()
    {
        CFakePlatform platform;
        std::uint32_t ranAt = 0;
        platform.At(100, [&] { ranAt = platform.TimeGetTime(); });
        platform.Hold(500);
        QCOMPARE(ranAt, 0u);
        platform.PumpMessages();
        QCOMPARE(ranAt, 500u);
    }
};

QTEST_MAIN(TestPlatformFake)
#include "tst_platform_fake.moc"
