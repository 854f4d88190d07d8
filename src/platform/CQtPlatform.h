#pragma once

#include "platform/CInputHold.h"
#include "platform/CMillisecondClock.h"
#include "platform/CPlatform.h"
#include "platform/CSdlSound.h"

#include <chrono>

// The platform of the running program: sound through SDL, animation in
// CAnimateCtrl widgets, the monotonic millisecond clock and Qt's event loop.
// Make it after the QApplication and keep it for the life of the program:
// it opens the sound device when it is made (so that a missing device is
// known at once), and releases it whenever nothing has sounded for 2 s,
// so that the sound server can suspend its sink and the program rests
// without waking up. The next sound opens it again.
class CQtPlatform : public CPlatform {
public:
    CQtPlatform();

    CSdlSound& Sound() { return m_sound; }

    void StartClip(int clip) override;
    void PlayClip(int clip) override;
    void SoundDialLine(const std::vector<int>& toneClips, const DialKeyEvent& onKey) override;
    bool StartWaveFile(const std::string& path, int fromMs) override;
    int WaveFileRemainingMs() override;
    void StopWaveFile() override;
    void Beep() override;
    void KeepSoundDevice(bool keep) override;
    std::string SoundProblem() const override;
    void OpenAnimation(CAnimateCtrl& control, int clip) override;
    void PlayAnimation(CAnimateCtrl& control, int from, int to, int repeat) override;
    void StopAnimation(CAnimateCtrl& control) override;
    std::uint32_t NowMs() override;
    void ProcessEvents() override;
    void WaitForEvents(int timeoutMs) override;
    void HoldInput(int ms) override;

private:
    // Paints what the logic changed just before it blocks, so that the
    // screen shows it during the block (a key shown pressed while its tone
    // sounds). Handles no other event.
    static void FlushPaints();

    // Handles events until timeout has passed or an event came; the wait
    // itself wakes nothing else.
    static void WaitForEventsFor(std::chrono::milliseconds timeout);

    CSdlSound m_sound;
    CMillisecondClock m_clock;
    CInputHold m_input;
};
