#pragma once

#include "platform/CPlatform.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CWaveStream;
class CWaveWriter;

// The platform of a render: nothing is heard and nothing is waited for. A
// virtual clock moves by the length of every blocking sound, hold and wait,
// and a sample sink puts every sound into the writer at the time it starts
// on that clock, converted to the writer's rate. As in the live program one
// sound plays at a time: a new one cuts off the one before. So a script
// played on it comes out as the live program sounds it, sample for sample,
// as fast as the samples can be written.
//
// The clock counts 1/(1000 × rate) seconds, so that milliseconds and samples
// are both whole steps of it and a long script gathers no rounding error.
// A sound starts at the sample nearest its time.
class CRenderPlatform : public CPlatform {
public:
    CRenderPlatform(CWaveWriter& sink, int rate);
    ~CRenderPlatform() override;
    CRenderPlatform(const CRenderPlatform&) = delete;
    CRenderPlatform& operator=(const CRenderPlatform&) = delete;

    // Writes what sounds and the silence up to the clock: the file then
    // lasts exactly as long as the clock has run.
    void Finish();
    // Samples from the start of the render to the clock.
    std::int64_t SampleNow() const;

    void StartClip(int clip) override;
    void PlayClip(int clip) override;
    void SoundDialLine(const std::vector<int>& toneClips, const DialKeyEvent& onKey) override;
    bool StartWaveFile(const std::string& path, int fromMs) override;
    int WaveFileRemainingMs() override;
    void StopWaveFile() override;
    void Beep() override { }
    void OpenAnimation(CAnimateCtrl&, int) override { }
    void PlayAnimation(CAnimateCtrl&, int, int, int) override { }
    void StopAnimation(CAnimateCtrl&) override { }
    std::uint32_t NowMs() override;
    // Nothing can arrive while rendering: the requests of the host are read
    // between the steps of the player, not as events.
    void ProcessEvents() override { }
    // Moves the clock by timeoutMs, or less when a wave file ends sooner:
    // its end is the only thing that can happen meanwhile. Without a
    // timeout, to the end of a sounding wave file, else not at all.
    void WaitForEvents(int timeoutMs) override;
    void HoldInput(int ms) override;

private:
    // The one sound that may be sounding: a clip's samples or a wave file
    // converted as it is written.
    struct Sound {
        const std::vector<std::int16_t>* clip = nullptr;
        std::unique_ptr<CWaveStream> file;
        std::int64_t start = 0; // sample at which it started
        std::int64_t length = 0;
        std::int64_t End() const { return start + length; }
    };

    // The tone or effect clip at the writer's rate, converted once.
    const std::vector<std::int16_t>& Clip(int clip);
    void Start(Sound sound);
    // Writes the sounding sound and then silence up to sample.
    void WriteUntil(std::int64_t sample);
    void AdvanceMs(std::int64_t ms);

    CWaveWriter& m_sink;
    int m_rate = 0;
    std::int64_t m_units = 0; // the clock, in 1/(1000 × rate) seconds
    std::int64_t m_written = 0; // samples handed to the sink
    Sound m_sound;
    bool m_fileSounding = false;
    std::map<int, std::vector<std::int16_t>> m_clips;
};
