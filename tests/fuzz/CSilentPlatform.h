#pragma once

#include "platform/CPlatform.h"

// A platform that does nothing, for code that needs one but never sounds,
// animates or waits: the document when it only loads and saves.
class CSilentPlatform : public CPlatform {
public:
    void PlayClipAsync(int) override { }
    void PlayClipSync(int) override { }
    bool StartWaveFile(const std::string&, int) override { return false; }
    int WaveFileRemainingMs() override { return 0; }
    void StopWaveFile() override { }
    void MessageBeep() override { }
    void AnimOpen(CAnimateCtrl&, int) override { }
    void AnimPlay(CAnimateCtrl&, int, int, int) override { }
    void AnimStop(CAnimateCtrl&) override { }
    std::uint32_t TimeGetTime() override { return 0; }
    void PumpMessages() override { }
    void WaitForEvents(int) override { }
    void Hold(int) override { }
};
