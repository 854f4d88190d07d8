#pragma once

#include "platform/CPlatform.h"

#include <cstdint>
#include <string>
#include <vector>

// The platform for tests: a virtual 32-bit millisecond clock that the test
// sets and advances, and a log of every sound request.
class CFakePlatform : public CPlatform {
public:
    struct SoundRequest {
        enum Kind { ClipAsync, ClipSync, WaveFileSync, Beep } kind;
        int clip = 0;
        std::string path;
        std::uint32_t time = 0;
    };

    void SetTime(std::uint32_t ms) { m_now = ms; }
    void Advance(std::uint32_t ms) { m_now += ms; }
    const std::vector<SoundRequest>& Sounds() const { return m_sounds; }

    void PlayClipAsync(int clip) override;
    void PlayClipSync(int clip) override;
    void PlayWaveFileSync(const std::string& path) override;
    void MessageBeep() override;
    void AnimOpen(CAnimateCtrl& control, int clip) override;
    void AnimPlay(CAnimateCtrl& control, int from, int to, int repeat) override;
    void AnimStop(CAnimateCtrl& control) override;
    std::uint32_t TimeGetTime() override { return m_now; }
    void PumpMessages() override;
    void WaitForEvents(int timeoutMs) override;
    void Hold(int ms) override;

private:
    std::uint32_t m_now = 0;
    std::vector<SoundRequest> m_sounds;
};
