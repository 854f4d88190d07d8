// Measures the platform layer on SDL's disk driver (or the driver named as
// the first argument): key-to-sound latency, the error of synchronous
// returns, the pace of dialling, and the CPU time and end error of a
// 10-second wait. Run it on a quiet machine; figures vary with load.

#include "BenchSupport.h"
#include "SyntheticMedia.h"
#include "platform/CQtPlatform.h"
#include "platform/CWaveDecoder.h"

#include <QApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <thread>

namespace {

using namespace BenchSupport;
using namespace std::chrono_literals;

// A key tone of the catalogue's kind: 1137 samples at 11025 Hz of two
// sines at half scale. It starts at a peak, so that its first sample shows
// in the output.
QByteArray Tone()
{
    std::vector<std::int16_t> samples(1137);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double t = double(i) / CMediaCatalogue::SampleRate;
        samples[i] = std::int16_t(8000 * (std::cos(2 * M_PI * 770 * t) + std::cos(2 * M_PI * 1336 * t)));
    }
    return SyntheticMedia::Wave16(samples);
}
constexpr double ToneMs = 1137 * 1000.0 / CMediaCatalogue::SampleRate;

// The frame heard at time t, from the stream position the audio callback
// last reported (the device plays its buffers in real time, and cannot play
// beyond what it was given when its next callback is late).
double FrameHeardAt(const CSdlSound::Position& position, Clock::time_point t)
{
    const double heard
        = double(position.frames - position.lastBuffer) + Ms(t - position.callbackTime) * CSdlSound::Rate / 1000.0;
    return std::min(heard, double(position.frames));
}

Clock::time_point TimeFrameHeard(const CSdlSound::Position& position, double frame)
{
    const double ms = (frame - double(position.frames - position.lastBuffer)) * 1000.0 / CSdlSound::Rate;
    return position.callbackTime
        + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double, std::milli>(ms));
}

// Index of the first loud sample at or after from; -1 when none.
std::int64_t FirstSound(const std::vector<std::int16_t>& left, std::int64_t from)
{
    for (auto i = std::size_t(std::max<std::int64_t>(from, 0)); i < left.size(); ++i) {
        if (std::abs(left[i]) > 200)
            return std::int64_t(i);
    }
    return -1;
}

// Index just after the last loud sample of the sound starting at start.
std::int64_t EndOfSound(const std::vector<std::int16_t>& left, std::int64_t start)
{
    std::int64_t last = start;
    const std::int64_t quietRun = CSdlSound::Rate / 100; // 10 ms of silence ends a sound
    for (auto i = start; i < std::int64_t(left.size()) && i - last < quietRun; ++i) {
        if (std::abs(left[std::size_t(i)]) > 200)
            last = i;
    }
    return last + 1;
}

struct Stats {
    double min = 0, median = 0, mean = 0, p95 = 0, max = 0;
};

Stats Summarise(std::vector<double> values)
{
    if (values.empty())
        return {};
    std::sort(values.begin(), values.end());
    Stats s;
    s.min = values.front();
    s.max = values.back();
    s.median = values[values.size() / 2];
    s.p95 = values[std::min(values.size() - 1, values.size() * 95 / 100)];
    s.mean = std::accumulate(values.begin(), values.end(), 0.0) / double(values.size());
    return s;
}

void Print(const char* what, const std::vector<double>& values)
{
    const Stats s = Summarise(values);
    std::printf("  %-44s n=%zu  min %7.2f  median %7.2f  mean %7.2f  p95 %7.2f  max %7.2f ms\n", what, values.size(),
        s.min, s.median, s.mean, s.p95, s.max);
}

void MeasureDecoding(const QByteArray& tone)
{
    std::vector<double> times;
    for (int i = 0; i < 200; ++i) {
        const auto start = Clock::now();
        const auto pcm = CWaveDecoder::Decode(tone, CSdlSound::Rate, CSdlSound::Channels);
        times.push_back(Ms(Clock::now() - start));
        if (!pcm)
            std::printf("  decoding failed\n");
    }
    Print("decode + convert one tone (11025 -> 48000)", times);
}

struct SoundRun {
    // Per asynchronous press: the frame heard when the key was pressed and
    // the stream position the tone was queued at.
    std::vector<double> heardAtPress;
    std::vector<std::int64_t> queuedAt;
    struct SyncCall {
        Clock::time_point called, returned;
        CSdlSound::Position before, after;
    };
    std::vector<SyncCall> syncCalls;
    double dialMs = 0;
};

SoundRun PlaySounds(CSdlSound& sound, const QByteArray& tone)
{
    SoundRun run;
    QRandomGenerator random(2024);
    // Key presses at random moments, 250 to 300 ms apart.
    for (int i = 0; i < 60; ++i) {
        std::this_thread::sleep_for(std::chrono::microseconds(250000 + random.bounded(50000)));
        const auto pressed = Clock::now();
        const CSdlSound::Position position = sound.StreamPosition();
        sound.PlayAsync(tone);
        run.heardAtPress.push_back(FrameHeardAt(position, pressed));
        run.queuedAt.push_back(position.frames);
    }
    std::this_thread::sleep_for(300ms);
    for (int i = 0; i < 60; ++i) {
        std::this_thread::sleep_for(std::chrono::microseconds(100000 + random.bounded(50000)));
        SoundRun::SyncCall call;
        call.called = Clock::now();
        call.before = sound.StreamPosition();
        sound.PlaySync(tone);
        call.returned = Clock::now();
        call.after = sound.StreamPosition();
        run.syncCalls.push_back(call);
    }
    // Twelve keys back to back, as a dial line sends them.
    std::this_thread::sleep_for(200ms);
    const auto dialStart = Clock::now();
    for (int i = 0; i < 12; ++i)
        sound.PlaySync(tone);
    run.dialMs = Ms(Clock::now() - dialStart);
    std::this_thread::sleep_for(100ms);
    return run;
}

void ReportSounds(const SoundRun& run, const std::vector<std::int16_t>& left)
{
    std::vector<double> latency, syncError, syncLength, toneInFile;
    int misplaced = 0;
    for (std::size_t i = 0; i < run.heardAtPress.size(); ++i) {
        const std::int64_t first = FirstSound(left, run.queuedAt[i]);
        if (first < 0)
            continue;
        latency.push_back((double(first) - run.heardAtPress[i]) * 1000.0 / CSdlSound::Rate);
        // The tone starts with the first buffer after the call, or one
        // buffer later when a callback ran between reading and queueing.
        if (first != run.queuedAt[i] && first != run.queuedAt[i] + CSdlSound::BufferFrames)
            ++misplaced;
    }
    for (const SoundRun::SyncCall& call : run.syncCalls) {
        const std::int64_t first = FirstSound(left, call.before.frames);
        if (first < 0)
            continue;
        const std::int64_t end = EndOfSound(left, first);
        toneInFile.push_back(double(end - first) * 1000.0 / CSdlSound::Rate);
        syncError.push_back(Ms(call.returned - TimeFrameHeard(call.after, double(end))));
        syncLength.push_back(Ms(call.returned - call.called) - ToneMs);
    }
    std::printf("key-to-sound latency (press to the tone's first frame in the output file):\n");
    Print("latency", latency);
    std::printf("  tones not at the first buffer after the press: %d\n", misplaced);
    std::printf("synchronous tone of %.2f ms:\n", ToneMs);
    Print("tone length found in the output file", toneInFile);
    Print("return minus moment its last frame was heard", syncError);
    Print("call length minus tone length", syncLength);
    std::printf("twelve tones back to back: %.1f ms (12 x %.2f = %.1f ms)\n", run.dialMs, ToneMs, 12 * ToneMs);
}

// The player's wait line: check the mode, pump, read the clock, block.
void ReportWait(CQtPlatform& platform, std::uint32_t ms)
{
    const bool stopped = false;
    const double cpuBefore = CpuSeconds();
    const auto start = Clock::now();
    const std::uint32_t begin = platform.NowMs();
    int passes = 0;
    while (!stopped) {
        ++passes;
        platform.ProcessEvents();
        const std::uint32_t elapsed = platform.NowMs() - begin;
        if (elapsed >= ms)
            break;
        platform.WaitForEvents(int(ms - elapsed));
    }
    const double wallMs = Ms(Clock::now() - start);
    const double cpuMs = (CpuSeconds() - cpuBefore) * 1000.0;
    std::printf("  wait of %u ms: ended %+.2f ms from its deadline, %d passes, CPU %.1f ms = %.3f %% of a core\n", ms,
        wallMs - ms, passes, cpuMs, 100.0 * cpuMs / wallMs);
}

void ReportIdle(std::chrono::milliseconds how)
{
    const double cpuBefore = CpuSeconds();
    const auto start = Clock::now();
    std::this_thread::sleep_for(how);
    const double wallMs = Ms(Clock::now() - start);
    const double cpuMs = (CpuSeconds() - cpuBefore) * 1000.0;
    std::printf("  device open, program asleep for %.0f ms: CPU %.1f ms = %.3f %% of a core\n", wallMs, cpuMs,
        100.0 * cpuMs / wallMs);
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QByteArray driver = argc > 1 ? QByteArray(argv[1]) : QByteArray("disk");
    qputenv("SDL_AUDIODRIVER", driver);
    QTemporaryDir dir;
    const QString soundFile = dir.filePath("sound.raw");
    const QString waitFile = dir.filePath("wait.raw");
    const QByteArray tone = Tone();

    std::printf("driver %s, device %d Hz, %d channels, %d-frame buffers (%.2f ms)\n", driver.constData(),
        CSdlSound::Rate, CSdlSound::Channels, CSdlSound::BufferFrames,
        1000.0 * CSdlSound::BufferFrames / CSdlSound::Rate);
    MeasureDecoding(tone);

    qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(soundFile));
    SoundRun run;
    {
        CSdlSound sound;
        if (!sound.IsOpen()) {
            std::printf("no sound device\n");
            return 1;
        }
        run = PlaySounds(sound, tone);
    }
    // The disk driver's file is complete once the device is closed.
    if (driver == "disk")
        ReportSounds(run, LeftChannel(soundFile));

    qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(waitFile));
    QApplication app(argc, argv);
    CQtPlatform platform;
    std::printf("waiting (CPU of the whole process, the audio thread included):\n");
    ReportIdle(10s);
    ReportWait(platform, 10000);
    ReportWait(platform, 10000);
    return 0;
}
