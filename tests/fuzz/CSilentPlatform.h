#pragma once

#include "platform/CPlatform.h"

// A platform that does nothing, for code that needs one but never sounds,
// animates or waits: the document when it only loads and saves.
class CSilentPlatform : public CPlatform {
public:
    void StartClip(int) override { }
    void PlayClip(int) override { }
    void SoundDialLine(const std::vector<int>&, const DialKeyEvent&) override { }
    bool StartWaveFile(const std::string&, int) override { return false; }
    int WaveFileRemainingMs() override { return 0; }
    void StopWaveFile() override { }
    void Beep() override { }
    void OpenAnimation(CAnimateCtrl&, int) override { }
    void PlayAnimation(CAnimateCtrl&, int, int, int) override { }
    void StopAnimation(CAnimateCtrl&) override { }
    std::uint32_t NowMs() override { return 0; }
    void ProcessEvents() override { }
    void WaitForEvents(int) override { }
    void HoldInput(int) override { }
};
