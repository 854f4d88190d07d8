#include "CDelayedCall.h"
#include "SyntheticMedia.h"
#include "TestRows.h"
#include "TestTools.h"
#include "media/MediaIds.h"
#include "platform/CAnimateCtrl.h"
#include "platform/CQtPlatform.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QtTest>

namespace {

// The player's wait: pump, read the clock, block until an event or the
// rest of the time. Returns the passes it took.
int WaitLoop(CPlatform& platform, std::uint32_t ms, const bool& stop = false)
{
    const std::uint32_t start = platform.NowMs();
    int passes = 0;
    for (; !stop; ++passes) {
        platform.ProcessEvents();
        const std::uint32_t elapsed = platform.NowMs() - start;
        if (elapsed >= ms)
            break;
        platform.WaitForEvents(int(ms - elapsed));
    }
    return passes;
}

} // namespace

// The platform of the running program: events, holds and the animation
// control (its sound is tst_sound_device's).
class TestPlatform : public QObject {
    Q_OBJECT

private slots:
    // A pump handles what is pending and returns; a wait ends with the first
    // event or at its timeout; the player's wait loop blocks instead of
    // spinning, and input during it is handled on time.
    void pumpAndWait()
    {
        CQtPlatform platform;
        int calls = 0;
        const CDelayedCall first(0, [&] { ++calls; });
        const CDelayedCall second(0, [&] { ++calls; });
        QVERIFY(TimedMs([&] { platform.ProcessEvents(); }) < 100);
        QCOMPARE(calls, 2);
        double took = TimedMs([&] { platform.WaitForEvents(200); });
        QVERIFY2(took >= 199 && took < 1000, qPrintable(QString::number(took)));
        const CDelayedCall event(80, [&] { ++calls; });
        took = TimedMs([&] { platform.WaitForEvents(-1); });
        QVERIFY2(took >= 75 && took < 2000 && calls == 3, qPrintable(QString::number(took)));
        const CDelayedCall late(500, [&] { ++calls; });
        QVERIFY(TimedMs([&] { platform.WaitForEvents(0); }) < 300 && calls == 3);
        int passes = 0;
        took = TimedMs([&] { passes = WaitLoop(platform, 1000); });
        QVERIFY2(took >= 999 && took < 1300 && passes < 20, qPrintable(QString("%1 in %2").arg(took).arg(passes)));
        bool stop = false;
        const CDelayedCall click(100, [&] { stop = true; });
        QVERIFY(TimedMs([&] { WaitLoop(platform, 5000, stop); }) < 1000);
    }

    // A hold keeps input back and hands it on afterwards, in its order and
    // each click where it was made; only Escape, which closes, passes at
    // once. What the logic changed is painted before a hold or a sound
    // blocks; a hold lets timers run, a sound does not.
    void holdAndBlock()
    {
        CQtPlatform platform;
        QWidget window;
        QPushButton first(&window);
        QPushButton second(&window);
        second.move(0, 40);
        first.setFocusPolicy(Qt::NoFocus); // keys go to the window alone
        second.setFocusPolicy(Qt::NoFocus);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QStringList seen;
        connect(&first, &QPushButton::clicked, [&] { seen << "first"; });
        connect(&second, &QPushButton::clicked, [&] { seen << "second"; });
        struct CWatcher : QObject {
            QStringList* seen = nullptr;
            QObject* painted = nullptr;
            bool eventFilter(QObject* watched, QEvent* event) override
            {
                if (event->type() == QEvent::KeyPress && watched->isWidgetType())
                    *seen << QKeySequence(static_cast<QKeyEvent*>(event)->key()).toString();
                if (event->type() == QEvent::Paint && watched == painted)
                    *seen << "paint";
                return false;
            }
        } watcher;
        watcher.seen = &seen;
        qApp->installEventFilter(&watcher);
        // A dial line holds input in the same way while its tones sound.
        for (const bool dialLine : {false, true}) {
            seen.clear();
            QStringList during;
            const CDelayedCall typing(20, [&] {
                for (const Qt::Key key : {Qt::Key_1, Qt::Key_Escape, Qt::Key_2})
                    QTest::keyClick(window.windowHandle(), key);
                QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, QPoint(5, 5));
                QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, QPoint(5, 45));
                during = seen;
            });
            if (dialLine)
                platform.SoundDialLine({Clip::Tone1, Clip::Tone2, Clip::Tone3}, [](std::size_t, bool) { return true; });
            else
                QVERIFY(TimedMs([&] { platform.HoldInput(5000); }) < 2500); // Escape ends it
            QCOMPARE(during, QStringList{"Esc"});
            platform.ProcessEvents();
            QCOMPARE(seen, (QStringList{"Esc", "1", "2", "first", "second"}));
        }

        watcher.painted = &second;
        for (const bool hold : {true, false}) {
            bool handled = false;
            const CDelayedCall pending(0, [&] { handled = true; });
            seen.clear();
            second.update();
            QVERIFY(TimedMs([&] { hold ? platform.HoldInput(20) : platform.PlayClip(197); }) >= 20);
            QCOMPARE(seen, QStringList{"paint"});
            QCOMPARE(handled, hold);
        }
        qApp->removeEventFilter(&watcher);
    }

    // A clip of 10 frames at 5 per second: open shows frame 0 at the clip's
    // size; then requests and time ("+ms") as a row gives them.
    void animation_data()
    {
        // state: frame, playing, passes left, range
        Columns<QString, QString>({"steps", "state"});
        Row("opened", "", "0 - 0 0..0");
        Row("still frame", "3 3 1 +5000", "3 - 0 3..3");
        Row("still frame beyond the clip", "10 10 1", "9 - 0 9..9");
        Row("still frame 0xFFFF", "65535 65535 1", "9 - 0 9..9");
        Row("repeat 0 shows the first", "2 8 0 +3000", "2 - 0 2..8");
        Row("once, after 1 s", "0 65535 1 +1000", "5 * 1 0..9");
        Row("once, just before the end", "0 65535 1 +1999", "9 * 1 0..9");
        Row("once, ended", "0 65535 1 +2000", "9 - 0 0..9");
        Row("range beyond the end", "7 12 1 +400", "9 * 1 7..9");
        Row("twice, in the second pass", "2 4 2 +500 +100", "2 * 1 2..4");
        Row("twice, ended", "2 4 2 +1200", "4 - 0 2..4");
        Row("for ever", "0 65535 -1 +202500", "2 * -1 0..9");
        Row("negative count loops", "0 65535 -5 +9000", "5 * -1 0..9");
        Row("negative from", "-3 2 1 +400", "2 * 1 0..2");
        Row("backward range ignored", "0 65535 -1 +600 5 2 1", "3 * -1 0..9");
        Row("stop keeps the frame", "0 65535 -1 +700 stop +5000", "3 - 0 0..9");
        Row("opened again", "0 65535 -1 +700 open", "0 - 0 0..0");
        Row("closed ignores play", "close 0 65535 -1 +700", "-1 - 0 0..0");
    }

    void animation()
    {
        QFETCH(QString, steps);
        const CAnimationClip clip = SyntheticMedia::AnimationClip(10, QSize(6, 6), 5);
        CAnimateCtrl control;
        control.resize(40, 30);
        control.SetExternalTime(true);
        control.Open(&clip, 1);
        QCOMPARE(control.size(), QSize(6, 6));
        const QStringList words = steps.split(' ', Qt::SkipEmptyParts);
        for (qsizetype i = 0; i < words.size(); ++i) {
            if (words[i].startsWith('+'))
                control.AdvanceTime(words[i].mid(1).toDouble());
            else if (words[i] == "stop")
                control.Stop();
            else if (words[i] == "open" || words[i] == "close")
                control.Open(words[i] == "open" ? &clip : nullptr, 1);
            else
                control.Play(words[i].toInt(), words[i + 1].toInt(), words[i + 2].toInt()), i += 2;
        }
        QTEST(QStringLiteral("%1 %2 %3 %4..%5")
                  .arg(control.CurrentFrame())
                  .arg(control.IsPlaying() ? "*" : "-")
                  .arg(control.RepeatsLeft())
                  .arg(control.RangeFrom())
                  .arg(control.RangeTo()),
            "state");
        if (control.CurrentFrame() >= 0)
            QCOMPARE(control.grab().toImage().pixelColor(1, 1), SyntheticMedia::FrameColour(control.CurrentFrame()));
    }

    // Without an outside clock the control plays on its own timer.
    void animationRunsOnItsOwn()
    {
        const CAnimationClip clip = SyntheticMedia::AnimationClip(10, QSize(6, 6), 20);
        CAnimateCtrl control;
        control.Open(&clip, 1);
        control.Play(0, 9, 1);
        QTRY_VERIFY_WITH_TIMEOUT(!control.IsPlaying() && control.CurrentFrame() == 9, 5000);
    }
};

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
