// Measures the script player in the real panel on the Qt platform, with
// SDL's disk driver (or the driver named as the first argument):
//  - the pace of dialling a 40-key line, found in the output;
//  - the error of wait 1 ... wait 5 on the output timeline;
//  - the CPU used during a 10-second wait;
//  - the time to load and list a script of 16384 lines, and to play that
//    many lines that do nothing.
// The disk driver consumes samples a little slower than real time; its pace
// is measured from the frames it took against the clock, and output times are
// also given at that pace. Run it on a quiet machine; figures vary with load.

#include "BenchSupport.h"
#include "document/CDialScript.h"
#include "media/CMediaCatalogue.h"
#include "panel/CPanelController.h"
#include "platform/CQtPlatform.h"
#include "shell/CDialerDlg.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace BenchSupport;

constexpr int Rate = CSdlSound::Rate;
constexpr int KeyGapMs = CPlatform::KeyGapMs;
constexpr int LongLine = 40;
constexpr int LinesInBigScript = CDialScript::LineLimit;

double FramesToMs(std::int64_t frames)
{
    return double(frames) * 1000.0 / Rate;
}

void WriteScript(const QString& path, const QByteArray& text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.flush())
        std::printf("cannot write %s\n", qPrintable(path));
}

// Frames the device has taken against the clock, from the audio callback.
struct PacePoint {
    std::int64_t frames = 0;
    Clock::time_point at;
};

// Records the stream position every 2 ms on a thread of its own while it
// lives, so that the pace of the device around any stretch of the output
// can be fitted afterwards.
class CPaceRecorder {
public:
    explicit CPaceRecorder(CSdlSound& sound)
        : m_thread([this, &sound] {
            while (!m_stop) {
                const CSdlSound::Position position = sound.StreamPosition();
                if (m_points.empty() || m_points.back().frames != position.frames)
                    m_points.push_back({position.frames, position.callbackTime});
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        })
    {
    }
    ~CPaceRecorder() { Stop(); }
    CPaceRecorder(const CPaceRecorder&) = delete;
    CPaceRecorder& operator=(const CPaceRecorder&) = delete;

    std::vector<PacePoint> Stop()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        return m_points;
    }

private:
    std::atomic<bool> m_stop{false};
    std::vector<PacePoint> m_points;
    std::thread m_thread;
};

// Frames per second of the clock relative to the nominal rate, fitted by
// least squares over the points between frames first and end; 0 with too
// few points.
double FittedPace(const std::vector<PacePoint>& points, std::int64_t first, std::int64_t end)
{
    std::vector<std::pair<double, double>> xy; // (seconds, frames)
    for (const PacePoint& point : points) {
        if (point.frames >= first && point.frames <= end)
            xy.emplace_back(std::chrono::duration<double>(point.at - points.front().at).count(), double(point.frames));
    }
    if (xy.size() < 10)
        return 0;
    double meanT = 0, meanF = 0;
    for (const auto& [t, f] : xy) {
        meanT += t;
        meanF += f;
    }
    meanT /= double(xy.size());
    meanF /= double(xy.size());
    double covariance = 0, variance = 0;
    for (const auto& [t, f] : xy) {
        covariance += (t - meanT) * (f - meanF);
        variance += (t - meanT) * (t - meanT);
    }
    return covariance / variance / Rate;
}

// Loads the script file into the panel, as CommitLoad does without its
// confirming clip, and plays it. Returns the wall-clock milliseconds of the
// playback.
double PlayScript(CDialerDlg& panel, const QString& file)
{
    panel.Script().Load(QFile::encodeName(file).toStdString());
    panel.Script().SetName("bench");
    panel.Controller().FillLineList();
    const auto start = Clock::now();
    panel.Controller().OnPlay();
    return Ms(Clock::now() - start);
}

// One sound of the output: first loud frame and one past the last.
struct Sound {
    std::int64_t first = 0;
    std::int64_t end = 0;
};

std::vector<Sound> SoundsIn(const QString& rawFile)
{
    const std::vector<std::int16_t> samples = LeftChannel(rawFile);
    const auto frames = static_cast<std::int64_t>(samples.size());
    std::vector<Sound> sounds;
    std::optional<Sound> current;
    constexpr std::int64_t QuietRun = Rate / 100; // 10 ms of silence end a sound
    for (std::int64_t i = 0; i < frames; ++i) {
        const int left = samples[std::size_t(i)];
        if (left > 400 || left < -400) {
            if (!current)
                current = Sound{i, i + 1};
            current->end = i + 1;
        } else if (current && i - current->end >= QuietRun) {
            sounds.push_back(*current);
            current.reset();
        }
    }
    if (current)
        sounds.push_back(*current);
    return sounds;
}

struct Run {
    double dialWallMs = 0;
    double waitsWallMs = 0;
    std::vector<PacePoint> pacePoints;
    double pace = 1;
    double waitCpuProcessMs = 0;
    double waitCpuThreadMs = 0;
    double waitWallMs = 0;
};

void ReportDialling(const std::vector<Sound>& line, const Run& run)
{
    std::printf("dialling a %d-key line:\n", LongLine);
    if (line.size() != std::size_t(LongLine)) {
        std::printf("  found %zu sounds instead of %d\n", line.size(), LongLine);
        return;
    }
    // The line lasts from its first tone to the end of the silence after
    // its last key.
    const double pace = FittedPace(run.pacePoints, line.front().first, line.back().end);
    const double lineMs = FramesToMs(line.back().end - line.front().first) + KeyGapMs * pace;
    std::vector<double> gaps;
    for (std::size_t i = 1; i < line.size(); ++i)
        gaps.push_back(FramesToMs(line[i].first - line[i - 1].end));
    std::sort(gaps.begin(), gaps.end());
    std::printf("  on the output: %.1f ms = %.2f keys per second; %.1f ms = %.2f keys per second at the\n"
                "  device's pace of %.4f\n",
        lineMs, LongLine * 1000.0 / lineMs, lineMs / pace, LongLine * 1000.0 / (lineMs / pace), pace);
    std::printf("  silence between keys: min %.1f, median %.1f, max %.1f ms of output\n", gaps.front(),
        gaps[gaps.size() / 2], gaps.back());
    std::printf("  wall clock of the playback: %.1f ms = %.2f keys per second\n", run.dialWallMs,
        LongLine * 1000.0 / run.dialWallMs);
}

void ReportWaits(const std::vector<Sound>& tones, const Run& run)
{
    std::printf("wait 1 ... wait 5: silence between the tones around each wait, minus the wait and the\n"
                "%d ms after the key before it (device pace %.4f of real time over the playback):\n",
        KeyGapMs, run.pace);
    if (tones.size() != 6) {
        std::printf("  found %zu sounds instead of 6\n", tones.size());
        return;
    }
    for (int seconds = 1; seconds <= 5; ++seconds) {
        const std::int64_t first = tones[std::size_t(seconds - 1)].end;
        const std::int64_t end = tones[std::size_t(seconds)].first;
        const double silence = FramesToMs(end - first);
        const double wanted = seconds * 1000.0 + KeyGapMs;
        const double local = FittedPace(run.pacePoints, first, end);
        std::printf("  wait %d: %+7.1f ms on the output, %+6.1f ms at the pace of %.4f around it\n", seconds,
            silence - wanted, silence / local - wanted, local);
    }
    std::printf("  wall clock of the playback: %.1f ms\n", run.waitsWallMs);
}

struct BigScript {
    qsizetype bytes = 0;
    double commitMs = 0;
    double loadMs = 0;
    bool loaded = false;
    double listMs = 0;
    int entries = 0;
    double playMs = 0;
};

BigScript MeasureBigScript(CDialerDlg& panel, const QString& dir)
{
    BigScript big;
    QByteArray text;
    for (int i = 0; i < LinesInBigScript; ++i)
        text += (i % 2 == 0 ? "dial 0123456789*#\r\n" : "; a remark that the player passes over\r\n");
    WriteScript(dir + QStringLiteral("/big.dsq"), text);
    big.bytes = text.size();

    // As the user does it: '*' lists the scripts, Enter loads the first.
    panel.Controller().BeginLoad();
    auto start = Clock::now();
    panel.Controller().CommitLoad();
    big.commitMs = Ms(Clock::now() - start);

    start = Clock::now();
    big.loaded = panel.Script().Load(QFile::encodeName(dir + QStringLiteral("/big.dsq")).toStdString());
    big.loadMs = Ms(Clock::now() - start);
    start = Clock::now();
    panel.Controller().FillLineList();
    big.listMs = Ms(Clock::now() - start);
    big.entries = int(panel.Controller().Controls().lineList->count());

    QByteArray remarks;
    for (int i = 0; i < LinesInBigScript; ++i)
        remarks += "; nothing to do\r\n";
    WriteScript(dir + QStringLiteral("/remarks.dsq"), remarks);
    big.playMs = PlayScript(panel, dir + QStringLiteral("/remarks.dsq"));
    return big;
}

void ReportBigScript(const BigScript& big)
{
    const double confirmMs
        = CMediaCatalogue::SoundClipSamples(Clip::ConfirmBuzz) * 1000.0 / CMediaCatalogue::SampleRate;
    std::printf("a script of %d lines (%lld bytes):\n", LinesInBigScript, static_cast<long long>(big.bytes));
    std::printf("  load and list (CommitLoad): %.1f ms, of which the confirming clip sounds %.1f ms\n", big.commitMs,
        confirmMs);
    std::printf("  Load alone %.1f ms (%s), FillLineList alone %.1f ms, %d entries\n", big.loadMs,
        big.loaded ? "read" : "FAILED", big.listMs, big.entries);
    std::printf("  playing %d lines that do nothing: %.1f ms (%.1f us per line, list selection included)\n",
        LinesInBigScript, big.playMs, big.playMs * 1000.0 / LinesInBigScript);
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QByteArray driver = argc > 1 ? QByteArray(argv[1]) : QByteArray("disk");
    qputenv("SDL_AUDIODRIVER", driver);
    QTemporaryDir work;
    const QString soundFile = work.filePath(QStringLiteral("sound.raw"));
    qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(soundFile));
    QDir::setCurrent(work.path());
    QDir().mkdir(QStringLiteral("script"));
    const QString scripts = work.filePath(QStringLiteral("script"));

    QByteArray dialLine = "dial ";
    for (int i = 0; i < LongLine; ++i)
        dialLine += "0123456789*#"[(i * 7) % 12]; // every key, no two alike in a row
    WriteScript(scripts + QStringLiteral("/dial.dsq"), dialLine + "\r\n");
    WriteScript(scripts + QStringLiteral("/waits.dsq"),
        "dial 1\r\nwait 1\r\ndial 2\r\nwait 2\r\ndial 3\r\nwait 3\r\ndial 4\r\nwait 4\r\ndial 5\r\nwait 5\r\ndial "
        "6\r\n");
    WriteScript(scripts + QStringLiteral("/wait10.dsq"), "wait 10\r\n");

    Run run;
    BigScript big;
    {
        QApplication app(argc, argv);
        CQtPlatform platform;
        std::printf("driver %s (%s), device %d Hz, %d-frame buffers\n", driver.constData(),
            platform.Sound().DriverName().c_str(), Rate, CSdlSound::BufferFrames);
        CDialerDlg panel(platform, CMediaCatalogue::PanelLayout());
        panel.SkipIntro();
        panel.show();
        platform.HoldInput(300);

        {
            CPaceRecorder recorder(platform.Sound());
            run.dialWallMs = PlayScript(panel, scripts + QStringLiteral("/dial.dsq"));
            platform.HoldInput(300);
            run.waitsWallMs = PlayScript(panel, scripts + QStringLiteral("/waits.dsq"));
            platform.HoldInput(300);
            run.pacePoints = recorder.Stop();
            run.pace = FittedPace(run.pacePoints, 0, INT64_MAX);
        }

        const double processBefore = CpuSeconds(RUSAGE_SELF);
        const double threadBefore = CpuSeconds(RUSAGE_THREAD);
        run.waitWallMs = PlayScript(panel, scripts + QStringLiteral("/wait10.dsq"));
        run.waitCpuProcessMs = (CpuSeconds(RUSAGE_SELF) - processBefore) * 1000.0;
        run.waitCpuThreadMs = (CpuSeconds(RUSAGE_THREAD) - threadBefore) * 1000.0;

        big = MeasureBigScript(panel, scripts);
    }

    std::printf("a 10-second wait: %.1f ms of wall clock; CPU of the process %.1f ms = %.2f %% of a core,\n"
                "  of the player's thread %.1f ms = %.3f %% (the rest is the audio device's thread)\n",
        run.waitWallMs, run.waitCpuProcessMs, 100.0 * run.waitCpuProcessMs / run.waitWallMs, run.waitCpuThreadMs,
        100.0 * run.waitCpuThreadMs / run.waitWallMs);
    ReportBigScript(big);
    if (driver != "disk")
        return 0;
    // The disk driver's file is complete once the device is closed.
    const std::vector<Sound> sounds = SoundsIn(soundFile);
    // The 40 keys, then the six tones around the waits; the confirming clip
    // of the load comes last.
    const auto part = [&sounds](std::size_t from, std::size_t count) {
        from = std::min(from, sounds.size());
        return std::vector<Sound>(sounds.begin() + std::ptrdiff_t(from),
            sounds.begin() + std::ptrdiff_t(std::min(from + count, sounds.size())));
    };
    ReportDialling(part(0, LongLine), run);
    ReportWaits(part(LongLine, 6), run);
    return 0;
}
