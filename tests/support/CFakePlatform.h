#pragma once

#include "platform/CPlatform.h"

#include <QPointer>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

// The platform for tests: a virtual clock, a log of every sound, and user
// actions that run at virtual times. Nothing sounds and nothing waits in real
// time, so a 70-second wait takes no time.
//
// The clock moves only when something moves it: a synchronous clip by its
// exact length, a hold by its milliseconds (or up to the first close request
// scheduled within it, which runs there and ends it, as on the real
// platform), WaitForEvents up to the next action or its deadline, and a pump
// by 1 ms when nothing else moved it since the pump before, so that polling
// loops progress. An action runs inside the first pump or wait once the clock
// has reached its time, in the order scheduled. A wave file sounds for its
// length from its start; any later sound cuts it off. Animation controls play
// on the virtual clock.
class CFakePlatform : public CPlatform {
public:
    CFakePlatform() = default;
    ~CFakePlatform() override;
    CFakePlatform(const CFakePlatform&) = delete;
    CFakePlatform& operator=(const CFakePlatform&) = delete;

    void SetTime(std::uint32_t ms);
    void Advance(std::uint32_t ms);
    // Exact virtual milliseconds since the clock read 0, without the wrap.
    double Now() const { return double(m_nowNs) / 1e6; }
    // Runs action once the clock reads ms (a reading already passed: at the
    // next pump); a close request also runs inside a hold.
    void At(std::uint32_t ms, std::function<void()> action, bool closeRequest = false);
    bool HasActions() const { return !m_actions.empty(); }
    // A wave file that is not given a length here is measured from the file;
    // one that cannot be decoded takes no time and gives false.
    void SetWaveFileLength(const std::string& path, double ms) { m_waveMs[path] = ms; }

    // Every sound in order, with the virtual time it was asked for: "197"
    // started, "s193" played to its end, "file PATH" or "file PATH from MS",
    // "stop file" (only when it cut a sounding file), "beep".
    QStringList sounds;
    std::vector<double> soundTimes;
    // Called as every synchronous clip ("s193") and hold ("hold 70") begins,
    // so that a test can look at the screen while the logic blocks.
    std::function<void(const QString& what)> onBlock;

    void StartClip(int clip) override;
    void PlayClip(int clip) override;
    void SoundDialLine(const std::vector<int>& toneClips, const DialKeyEvent& onKey) override;
    bool StartWaveFile(const std::string& path, int fromMs) override;
    int WaveFileRemainingMs() override;
    void StopWaveFile() override;
    void Beep() override;
    std::string SoundProblem() const override { return soundProblem; }
    std::string soundProblem;
    void KeepSoundDevice(bool keep) override { soundDeviceKept += keep ? 1 : -1; }
    int soundDeviceKept = 0;
    void OpenAnimation(CAnimateCtrl& control, int clip) override;
    void PlayAnimation(CAnimateCtrl& control, int from, int to, int repeat) override;
    void StopAnimation(CAnimateCtrl& control) override;
    std::uint32_t NowMs() override;
    void ProcessEvents() override;
    void WaitForEvents(int timeoutMs) override;
    void HoldInput(int ms) override;

private:
    static constexpr std::int64_t NsPerMs = 1'000'000;
    struct Action {
        std::function<void()> run;
        bool closeRequest = false;
    };

    void Log(const QString& sound);
    void AdvanceNs(std::int64_t ns);
    void RunDueActions();
    void Adopt(CAnimateCtrl& control);

    std::int64_t m_nowNs = 0;
    bool m_movedSincePump = false;
    std::multimap<std::int64_t, Action> m_actions;
    std::map<std::string, double> m_waveMs;
    std::int64_t m_waveEndNs = 0;
    std::vector<QPointer<CAnimateCtrl>> m_controls;
};
