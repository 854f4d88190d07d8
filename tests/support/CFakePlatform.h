#pragma once

#include "platform/CPlatform.h"

#include <QPointer>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

// The platform for tests: a virtual clock, a log of every sound and
// animation request, and user actions that run at virtual times. Nothing
// sounds and nothing waits in real time, so a test of a 70-second wait runs
// in milliseconds.
//
// The clock. TimeGetTime reports whole milliseconds of a virtual clock that
// keeps sub-millisecond time internally and wraps at 2^32 like the real one.
// It moves only when the test or the logic makes it:
//  - SetTime jumps to a reading, Advance moves on by some milliseconds;
//  - a synchronous clip moves it by the clip's exact length (samples /
//    11025 s; see SetClipSamples);
//  - Hold moves it by its milliseconds, or up to the first action scheduled
//    as a close request, which it runs: the real platform lets those
//    through a hold, and the hold ends with them;
//  - PumpMessages moves it by the pump step (1 ms unless SetPumpStep says
//    otherwise) after handling events when nothing else has moved it since
//    the previous pump: tight polling loops progress, and loops that wait
//    end exactly on their deadlines;
//  - WaitForEvents jumps to the next scheduled action or to its deadline,
//    whichever comes first.
//
// User actions. At(ms, action) schedules a function ("click STOP at
// 1500 ms"); it runs inside the first PumpMessages or WaitForEvents once the
// clock has reached ms, just as queued input is handled by the next pump.
// Actions due at the same time run in the order they were scheduled; an
// action may itself pump and wait (a click on PLAY runs the whole player).
// A WaitForEvents without deadline and with nothing scheduled would wait for
// ever in a real program: the fake stops the test with a fatal message.
// Both pumps also let Qt handle its own pending events.
//
// A wave file sounds from its start for its length on the virtual clock
// (see SetWaveFileLength); any later sound, or StopWaveFile, cuts it off.
//
// Animation requests are logged and forwarded to the real CAnimateCtrl, so
// the widgets show what the logic asked for; the fake switches each control
// it sees to external time and lets it play on the virtual clock.
class CFakePlatform : public CPlatform {
public:
    struct SoundRequest {
        enum Kind { ClipAsync, ClipSync, WaveFile, StopWaveFile, Beep };
        Kind kind = ClipAsync;
        int clip = 0; // the clip, for ClipAsync and ClipSync; where a WaveFile starts, in ms
        std::string path; // the file, for WaveFile
        std::uint32_t time = 0; // TimeGetTime when the request was made

        bool operator==(const SoundRequest&) const = default;
    };

    struct AnimationRequest {
        enum Kind { Open, Play, Stop };
        Kind kind = Open;
        const CAnimateCtrl* control = nullptr;
        int clip = 0; // the clip opened, or the control's clip when playing or stopping
        int from = 0; // the range and repeat count as requested, for Play
        int to = 0;
        int repeat = 0;
        std::uint32_t time = 0;

        bool operator==(const AnimationRequest&) const = default;
    };

    CFakePlatform() = default;
    ~CFakePlatform() override;
    CFakePlatform(const CFakePlatform&) = delete;
    CFakePlatform& operator=(const CFakePlatform&) = delete;

    // The clock.
    void SetTime(std::uint32_t ms);
    void Advance(std::uint32_t ms);
    // Exact virtual milliseconds since the clock read 0, without the wrap.
    double PreciseTime() const { return double(m_nowNs) / 1e6; }
    void SetPumpStep(double ms);

    // User actions, at a clock reading (taken modulo 2^32; a reading already
    // passed means the next pump) or after some milliseconds from now. A
    // close request (Escape) runs even inside a Hold.
    void At(std::uint32_t ms, std::function<void()> action, bool closeRequest = false);
    void After(std::uint32_t ms, std::function<void()> action);
    std::size_t PendingActions() const { return m_actions.size(); }

    // Sound lengths for clips and files the catalogue does not know. A wave
    // file that is not registered is measured from the file itself; one that
    // cannot be read or decoded takes no time, as on the real platform.
    void SetClipSamples(int clip, int samples);
    void SetWaveFileLength(const std::string& path, double ms);

    // The logs, in request order.
    const std::vector<SoundRequest>& Sounds() const { return m_sounds; }
    const std::vector<AnimationRequest>& Animations() const { return m_animations; }
    // The same as short texts without times, for QCOMPARE: "async 197",
    // "sync 193", "file script/a.wav", "file script/a.wav from 1200",
    // "stop file" (only when it cut a sounding file), "beep"; "lamp open 242",
    // "lamp play 242 0..65535 x1", "lamp stop" (the control's objectName,
    // or "control" when it has none).
    QStringList SoundLog() const;
    QStringList AnimationLog() const;
    void ClearLogs();
    // How often the logic pumped and waited.
    int PumpCount() const { return m_pumps; }
    int WaitCount() const { return m_waits; }
    // Called at the start of every Hold with its milliseconds and of every
    // synchronous clip with its number, so that a test can look at the
    // screen while the logic holds it or sounds.
    std::function<void(int ms)> onHold;
    std::function<void(int clip)> onSyncClip;

    void PlayClipAsync(int clip) override;
    void PlayClipSync(int clip) override;
    bool StartWaveFile(const std::string& path, int fromMs) override;
    int WaveFileRemainingMs() override;
    void StopWaveFile() override;
    void MessageBeep() override;
    void AnimOpen(CAnimateCtrl& control, int clip) override;
    void AnimPlay(CAnimateCtrl& control, int from, int to, int repeat) override;
    void AnimStop(CAnimateCtrl& control) override;
    std::uint32_t TimeGetTime() override;
    void PumpMessages() override;
    void WaitForEvents(int timeoutMs) override;
    void Hold(int ms) override;

private:
    static constexpr std::int64_t NsPerMs = 1'000'000;

    struct Action {
        std::function<void()> run;
        bool closeRequest = false;
    };

    void AdvanceNs(std::int64_t ns);
    void RunDueActions();
    void Record(SoundRequest request);
    static void ProcessQtEvents();
    void Adopt(CAnimateCtrl& control);
    std::int64_t WaveFileNs(const std::string& path) const;

    std::int64_t m_nowNs = 0;
    std::int64_t m_pumpStepNs = NsPerMs;
    // Due time in ns; equal times keep their order of insertion.
    std::multimap<std::int64_t, Action> m_actions;
    std::map<int, int> m_clipSamples;
    std::map<std::string, double> m_waveFileMs;
    std::vector<SoundRequest> m_sounds;
    std::vector<AnimationRequest> m_animations;
    // When the wave file started last ends; 0 once cut off.
    std::int64_t m_waveEndNs = 0;
    std::vector<QPointer<CAnimateCtrl>> m_controls;
    // Whether anything but the pump step moved the clock since the last pump.
    bool m_movedSincePump = false;
    int m_pumps = 0;
    int m_waits = 0;
};
