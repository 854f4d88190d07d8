#include "SyntheticMedia.h"
#include "platform/CAnimateCtrl.h"

#include <QtTest>

using SyntheticMedia::FrameColour;

namespace {

QColor Shown(CAnimateCtrl& control)
{
    return control.grab().toImage().pixelColor(1, 1);
}

} // namespace

class TestPlatformAnimation : public QObject {
    Q_OBJECT

private slots:
    // Open shows frame 0 at the clip's size and stops what was playing;
    // opening again starts over at frame 0.
    void openShowsFrameZeroAtTheClipsSize()
    {
        const CAnimationClip clip = SyntheticMedia::AnimationClip(10, QSize(15, 15), 5);
        CAnimateCtrl control;
        control.resize(40, 30);
        control.SetExternalTime(true);
        control.Open(&clip, 242);
        QCOMPARE(control.Clip(), 242);
        QCOMPARE(control.FrameCount(), 10);
        QCOMPARE(control.size(), QSize(15, 15));
        control.Play(0, CAnimateCtrl::LastFrame, CAnimateCtrl::ForEver);
        control.AdvanceTime(500);
        QCOMPARE(control.CurrentFrame(), 2);
        control.Open(&clip, 242);
        QVERIFY(control.IsOpen() && !control.IsPlaying());
        QCOMPARE(control.CurrentFrame(), 0);
        QCOMPARE(control.RepeatsLeft(), 0);
        QCOMPARE(Shown(control), FrameColour(0));
    }

    void closedControlIsBlankAndIgnoresPlay_data()
    {
        QTest::addColumn<int>("clip");
        QTest::newRow("clip 0") << 0;
        QTest::newRow("not an animation clip") << 9999;
    }

    void closedControlIsBlankAndIgnoresPlay()
    {
        QFETCH(int, clip);
        const CAnimationClip strip = SyntheticMedia::AnimationClip(4, QSize(8, 8), 1);
        CAnimateCtrl control;
        control.Open(&strip, 170);
        control.Open(clip);
        QVERIFY(!control.IsOpen());
        QCOMPARE(control.Clip(), 0);
        QCOMPARE(control.CurrentFrame(), -1);
        QVERIFY(Shown(control) != FrameColour(0));

        control.Play(0, CAnimateCtrl::LastFrame, CAnimateCtrl::ForEver);
        QVERIFY(!control.IsPlaying());
        control.Stop();
        control.AdvanceTime(5000);
        QCOMPARE(control.CurrentFrame(), -1);
    }

    // A clip of frames at fps is played with Play(from, to, repeat); then
    // time passes in steps of step ms until elapsed ms have passed.
    void play_data()
    {
        QTest::addColumn<int>("frames");
        QTest::addColumn<int>("fps");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("repeat");
        QTest::addColumn<int>("elapsed");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("frame");
        QTest::addColumn<bool>("playing");
        QTest::addColumn<int>("repeatsLeft");
        QTest::addColumn<int>("rangeFrom");
        QTest::addColumn<int>("rangeTo");

        constexpr int Last = CAnimateCtrl::LastFrame;
        constexpr int ForEver = CAnimateCtrl::ForEver;
        // clang-format off
        QTest::newRow("still frame")                   << 10 << 5 << 3 << 3 << 1 << 5000 << 5000 << 3 << false << 0 << 3 << 3;
        QTest::newRow("still frame 10 of 10 frames")   << 10 << 5 << 10 << 10 << 1 << 0 << 1 << 9 << false << 0 << 9 << 9;
        QTest::newRow("still frame 0xFFFF")            << 16 << 1 << Last << Last << 1 << 0 << 1 << 15 << false << 0 << 15 << 15;
        QTest::newRow("repeat 0 shows from")           << 10 << 5 << 2 << 8 << 0 << 3000 << 3000 << 2 << false << 0 << 2 << 8;
        QTest::newRow("once, after 1 s")               << 10 << 5 << 0 << Last << 1 << 1000 << 1000 << 5 << true << 1 << 0 << 9;
        QTest::newRow("once, in 1 ms steps")           << 10 << 5 << 0 << Last << 1 << 1000 << 1 << 5 << true << 1 << 0 << 9;
        QTest::newRow("once, just before the end")     << 10 << 5 << 0 << Last << 1 << 1999 << 7 << 9 << true << 1 << 0 << 9;
        QTest::newRow("once, ended on the last frame") << 10 << 5 << 0 << Last << 1 << 2000 << 2000 << 9 << false << 0 << 0 << 9;
        QTest::newRow("range beyond the end clamped")  << 10 << 5 << 7 << 12 << 1 << 400 << 400 << 9 << true << 1 << 7 << 9;
        QTest::newRow("twice, in the second pass")     << 10 << 10 << 2 << 4 << 2 << 300 << 300 << 2 << true << 1 << 2 << 4;
        QTest::newRow("twice, ended")                  << 10 << 10 << 2 << 4 << 2 << 600 << 50 << 4 << false << 0 << 2 << 4;
        QTest::newRow("for ever, fifty loops on")      << 4 << 1 << 0 << Last << ForEver << 202500 << 500 << 2 << true << ForEver << 0 << 3;
        QTest::newRow("negative count loops")          << 4 << 1 << 0 << Last << -5 << 9000 << 9000 << 1 << true << ForEver << 0 << 3;
        QTest::newRow("negative from counts from 0")   << 10 << 5 << -3 << 2 << 1 << 400 << 400 << 2 << true << 1 << 0 << 2;
        // clang-format on
    }

    void play()
    {
        QFETCH(int, frames);
        QFETCH(int, fps);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, repeat);
        QFETCH(int, elapsed);
        QFETCH(int, step);

        const CAnimationClip clip = SyntheticMedia::AnimationClip(frames, QSize(6, 6), fps);
        CAnimateCtrl control;
        control.SetExternalTime(true);
        control.Open(&clip, 1);
        control.Play(from, to, repeat);
        for (int passed = 0; passed < elapsed; passed += step)
            control.AdvanceTime(std::min(step, elapsed - passed));

        QTEST(control.CurrentFrame(), "frame");
        QTEST(control.IsPlaying(), "playing");
        QTEST(control.RepeatsLeft(), "repeatsLeft");
        QTEST(control.RangeFrom(), "rangeFrom");
        QTEST(control.RangeTo(), "rangeTo");
        QCOMPARE(Shown(control), FrameColour(control.CurrentFrame()));
    }

    void backwardRangeIsIgnored()
    {
        const CAnimationClip clip = SyntheticMedia::AnimationClip(10, QSize(6, 6), 5);
        CAnimateCtrl control;
        control.SetExternalTime(true);
        control.Open(&clip, 1);
        control.Play(0, CAnimateCtrl::LastFrame, CAnimateCtrl::ForEver);
        control.AdvanceTime(600);
        control.Play(5, 2, 1);
        QCOMPARE(control.CurrentFrame(), 3);
        QVERIFY(control.IsPlaying());
        QCOMPARE(control.RangeTo(), 9);
    }

    void stopKeepsTheCurrentFrame()
    {
        const CAnimationClip clip = SyntheticMedia::AnimationClip(16, QSize(6, 6), 1);
        CAnimateCtrl control;
        control.SetExternalTime(true);
        control.Open(&clip, 244);
        control.Play(0, CAnimateCtrl::LastFrame, CAnimateCtrl::ForEver);
        control.AdvanceTime(3500);
        control.Stop();
        QCOMPARE(control.CurrentFrame(), 3);
        QVERIFY(!control.IsPlaying());
        control.AdvanceTime(10000);
        QCOMPARE(control.CurrentFrame(), 3);
        QCOMPARE(Shown(control), FrameColour(3));
        // Play again starts from the range's first frame.
        control.Play(0, CAnimateCtrl::LastFrame, 1);
        QCOMPARE(control.CurrentFrame(), 0);
    }

    // The control's own timer plays a clip in real time. The bound is loose:
    // the frame rate is measured by the benchmark, not here.
    void ownTimerPlaysTheClip()
    {
        const CAnimationClip clip = SyntheticMedia::AnimationClip(10, QSize(6, 6), 50);
        CAnimateCtrl control;
        control.show();
        QElapsedTimer timer;
        timer.start();
        control.Open(&clip, 1);
        control.Play(0, CAnimateCtrl::LastFrame, 2);
        QTRY_VERIFY_WITH_TIMEOUT(!control.IsPlaying(), 5000);
        QVERIFY2(timer.elapsed() >= 395, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(control.CurrentFrame(), 9);
    }
};

QTEST_MAIN(TestPlatformAnimation)
#include "tst_platform_animation.moc"
