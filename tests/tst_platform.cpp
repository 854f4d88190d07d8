#include "CDelayedCall.h"
#include "SyntheticMedia.h"
#include "TestRows.h"
#include "media/MediaIds.h"
#include "platform/CAnimateCtrl.h"
#include "platform/CQtPlatform.h"
#include "platform/CWaveDecoder.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QtTest>

#include <sys/stat.h>

#include <thread>

using namespace std::chrono_literals;
using SyntheticMedia::Level;
using SyntheticMedia::Wave16;

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

double TimedMs(const std::function<void()>& call)
{
    QElapsedTimer timer;
    timer.start();
    call();
    return double(timer.nsecsElapsed()) / 1e6;
}

QByteArray LevelClip(double seconds, std::int16_t level)
{
    return Wave16(Level(int(std::lround(seconds * 11025)), level));
}

// The levels that sound one after the other on the left channel (each a
// multiple of 1000, for at least half a millisecond; silence left out),
// with the frames each lasts.
std::vector<std::pair<int, int>> Levels(const std::vector<std::int16_t>& left)
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

} // namespace

// The platform of the running program: events, clock, holds, the animation
// control, and sound through SDL (its disk driver records what was played).
class TestPlatform : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    std::string WriteFile(const QString& name, const QByteArray& bytes)
    {
        QFile file(m_dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(name));
        return QFile::encodeName(file.fileName()).toStdString();
    }

    // Runs body on a sound device of SDL's disk driver and returns the levels
    // of what it played.
    std::vector<std::pair<int, int>> Record(const std::function<void(CSdlSound&)>& body)
    {
        const QString file = m_dir.filePath("out.raw");
        qputenv("SDL_AUDIODRIVER", "disk");
        qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(file));
        {
            CSdlSound sound;
            if (sound.DriverName() != "disk")
                qFatal("the disk audio driver did not open");
            body(sound);
            std::this_thread::sleep_for(40ms); // the last buffers reach the file
        }
        QFile raw(file);
        raw.open(QIODevice::ReadOnly);
        const QByteArray bytes = raw.readAll();
        std::vector<std::int16_t> left(std::size_t(bytes.size()) / 4);
        for (std::size_t i = 0; i < left.size(); ++i)
            left[i] = reinterpret_cast<const std::int16_t*>(bytes.constData())[2 * i];
        return Levels(left);
    }

private slots:
    void clockCountsAcrossTheWrap()
    {
        CQtPlatform platform;
        for (const std::uint32_t start : {0xFFFFFFFFu - 40, 5u}) {
            platform.Clock().Set(start);
            const std::uint32_t first = platform.NowMs();
            QVERIFY(first - start < 20);
            const double took = TimedMs([&] { WaitLoop(platform, 100); });
            const std::uint32_t elapsed = platform.NowMs() - first;
            // A clock that broke at the wrap would be off by about 2^32 ms;
            // the slack is for a busy machine.
            QVERIFY2(elapsed >= 100 && std::abs(took - elapsed) <= 20, qPrintable(QString::number(took)));
        }
    }

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

    // What reaches the device: a clip cut off by the next one, synchronous
    // clips in order and at their length, a wave file from where asked, cut
    // off when asked.
    void soundOutput()
    {
        std::vector<std::int16_t> steps;
        for (std::int16_t level = 1000; level <= 5000; level += 1000) {
            const auto step = Level(11025 / 50, level);
            steps.insert(steps.end(), step.begin(), step.end());
        }
        const std::string wave = WriteFile("steps.wav", Wave16(steps));
        const std::string longWave = WriteFile("long.wav", LevelClip(1.0, 6000));
        const auto levels = Record([&](CSdlSound& sound) {
            sound.PlayAsync(LevelClip(1.0, 9000));
            std::this_thread::sleep_for(100ms);
            const double took = TimedMs([&] { sound.PlaySync(LevelClip(0.1, 8000)); });
            QVERIFY2(took >= 99.5 && took < 175, qPrintable(QString::number(took)));
            sound.PlaySync(LevelClip(0.03, 7000));
            QVERIFY(sound.StartFile(wave, 40));
            QVERIFY(sound.FileRemaining() > 55ms && sound.FileRemaining() < 90ms);
            while (sound.FileRemaining() > 0ms)
                std::this_thread::sleep_for(1ms);
            QVERIFY(sound.StartFile(longWave));
            std::this_thread::sleep_for(30ms);
            sound.StopFile();
            QCOMPARE(sound.FileRemaining(), 0ms);
            std::this_thread::sleep_for(30ms);
        });
        QStringList heard;
        for (const auto& [level, frames] : levels)
            heard << QStringLiteral("%1:%2").arg(level / 1000).arg(std::lround(frames / 48.0 / 10) * 10);
        // The first clip sounds until the next cuts it, the steps from 40 ms
        // on for 60 ms, the long file until it is cut off.
        QCOMPARE(heard.mid(1, 5), (QStringList{"8:100", "7:30", "3:20", "4:20", "5:20"}));
        QVERIFY2(heard.size() == 7 && heard[0].startsWith("9:") && heard[6].startsWith("6:")
                && heard[6].mid(2).toInt() < 100,
            qPrintable(heard.join(' ')));
    }

    // Damaged, truncated and hostile files are refused at once and sound
    // nothing; a file that is no wave file at all, too.
    void damagedSoundsNothing_data()
    {
        Columns<QByteArray>({"bytes"});
        const QByteArray good = LevelClip(0.2, 1000);
        const auto with = [&good](qsizetype at, std::uint32_t value, int size = 4) {
            QByteArray bytes = good;
            for (int i = 0; i < size; ++i)
                bytes[at + i] = char((value >> (8 * i)) & 0xFF);
            return bytes;
        };
        Row("truncated in the data", good.left(good.size() - 100));
        Row("truncated in the header", good.left(30));
        Row("data size beyond the file", with(40, std::uint32_t(good.size())));
        Row("data size of 4 GiB", with(40, 0xFFFFFFF0u));
        Row("data size odd", with(40, std::uint32_t(good.size() - 45)));
        Row("fmt size beyond the file", with(16, 0x7FFFFFF0u));
        Row("no channels", with(22, 0, 2));
        Row("rate 0", with(24, 0));
        Row("rate 4 GHz", with(24, 0xFFFFFFF0u));
        Row("rate 999", with(24, 999));
        Row("12 bits", with(34, 12, 2));
        Row("block align 0", with(32, 0, 2));
        Row("not WAVE", QByteArray(good).replace(8, 4, "AVI "));
        Row("text", QByteArray("wait 5\r\ndial 123\r\n"));
        Row("empty", QByteArray());
    }

    void damagedSoundsNothing()
    {
        QFETCH(QByteArray, bytes);
        const std::string path = WriteFile("damaged.wav", bytes);
        QVERIFY(!CWaveDecoder::Decode(bytes, CSdlSound::Rate, CSdlSound::Channels));
        const auto levels = Record([&](CSdlSound& sound) {
            QVERIFY(TimedMs([&] {
                QVERIFY(!sound.StartFile(path));
                sound.PlaySync(bytes);
                sound.PlayAsync(bytes);
            }) < 100);
        });
        QVERIFY(levels.empty());
    }

    // Paths that lead to no file, or to one that would block, give false
    // at once (random bytes are the wave fuzz harness's).
    void hostileFiles()
    {
        QCOMPARE(mkfifo(QFile::encodeName(m_dir.filePath("pipe.wav")), 0600), 0);
        CSdlSound sound(std::vector<std::string>{});
        for (const QString& path : {m_dir.filePath("missing.wav"), m_dir.path(), m_dir.filePath("pipe.wav"), QString()})
            QVERIFY(TimedMs([&] { QVERIFY(!sound.StartFile(QFile::encodeName(path).toStdString())); }) < 100);
    }

    // Every format SDL reads is converted to the device's, at the same level
    // and length; a sine keeps its phase however the conversion is cut up.
    void conversion_data()
    {
        // level: 0: a 697 Hz sine at the file's rate
        Columns<QByteArray, int, int>({"wave", "frames", "level"});
        Row("8-bit mono 8000 Hz", SyntheticMedia::Wave(QByteArray(8000, char(192)), 8000, 1, 8), 48000, 16384);
        Row("16-bit mono 11025 Hz", Wave16(Level(11025, -8000)), 48000, -8000);
        // A chunk of odd length is followed by a pad byte.
        QByteArray padded = Wave16(Level(11025, -8000)).insert(36, QByteArray("LIST\3\0\0\0abc\0", 12));
        padded[4] = char(padded[4] + 12);
        Row("an odd chunk before the data", padded, 48000, -8000);
        Row("16-bit stereo 44100 Hz", Wave16(Level(2 * 22050, 3000), 44100, 2), 24000, 3000);
        Row("16-bit mono 48000 Hz", Wave16(Level(4800, 1234), 48000), 4800, 1234);
        for (const int rate : {11025, 44100, 44101}) {
            std::vector<std::int16_t> sine(std::size_t(rate / 2));
            for (std::size_t i = 0; i < sine.size(); ++i)
                sine[i] = std::int16_t(std::lround(16000 * std::sin(2 * M_PI * 697 * double(i) / rate)));
            QTest::addRow("sine at %d Hz", rate)
                << Wave16(sine, rate) << int(std::lround(24000.0 * (rate / 2 * 2) / rate)) << 0;
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

    // Without a working driver the dummy one serves; without any device
    // nothing is heard, but sounds still last their length.
    void withoutASoundCard()
    {
        qputenv("SDL_AUDIODRIVER", "no-such-driver");
        for (const bool fallback : {true, false}) {
            CSdlSound sound(fallback ? std::vector<std::string>{"dummy"} : std::vector<std::string>{});
            QCOMPARE(sound.DriverName(), std::string(fallback ? "dummy" : ""));
            QVERIFY(TimedMs([&] { sound.PlayAsync(LevelClip(0.5, 1000)); }) < 100);
            const double took = TimedMs([&] { sound.PlaySync(LevelClip(0.15, 1000)); });
            QVERIFY2(took >= 149.5 && took < 250, qPrintable(QString::number(took)));
            QVERIFY(TimedMs([&] { sound.PlaySync(QByteArray("RIFF")); }) < 100);
        }
    }
};

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
