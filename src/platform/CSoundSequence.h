#pragma once

#include <cstdint>
#include <memory>
#include <vector>

class CWaveStream;

// A run of sounds handed to the output as one stream of samples: each step is
// a clip followed by a silence of its own, both counted in frames, so that
// the silence after a key reaches the line exactly, however late the thread
// that asked for it runs. Samples are signed 16-bit, interleaved, at the
// output's rate and channel count.
//
// The layout is fixed when the steps are added: the clip of step i starts
// ClipStart(i) frames into the sequence and ends ClipEnd(i) frames into it.
// A clip that cannot be read to its end is padded with silence, so that
// every later step keeps its place. One reader at a time.
class CSoundSequence {
public:
    // Decoded samples shared between the clips that use them.
    using Samples = std::shared_ptr<const std::vector<std::int16_t>>;

    explicit CSoundSequence(int channels);
    ~CSoundSequence();
    CSoundSequence(const CSoundSequence&) = delete;
    CSoundSequence& operator=(const CSoundSequence&) = delete;

    // Adds a step; a null clip adds its silence alone.
    void AddClip(Samples clip, std::int64_t silenceFrames);
    // Adds a clip that is converted as it is read (a long file).
    void AddStream(std::unique_ptr<CWaveStream> stream, std::int64_t silenceFrames);

    int Steps() const { return int(m_steps.size()); }
    std::int64_t ClipStart(int step) const { return m_steps[std::size_t(step)].start; }
    std::int64_t ClipEnd(int step) const
    {
        return m_steps[std::size_t(step)].start + m_steps[std::size_t(step)].frames;
    }
    // All frames, the last step's silence included.
    std::int64_t Frames() const { return m_frames; }
    // The step whose clip holds frame (counted from the sequence's start);
    // -1 in a silence, before the start and after the end.
    int StepAt(std::int64_t frame) const;
    // How many clips have started by frame: those whose first frame lies at
    // or before it (an empty clip counts once its place is reached).
    int ClipsBegun(std::int64_t frame) const;
    // The first clip start or clip end after frame; Frames() when none is
    // left before the end.
    std::int64_t NextChange(std::int64_t frame) const;

    // Writes up to frames further frames into out and returns how many:
    // fewer only at the end of the sequence.
    int Read(std::int16_t* out, int frames);

private:
    struct Step {
        Samples clip;
        std::unique_ptr<CWaveStream> stream;
        std::int64_t start = 0;
        std::int64_t frames = 0;
        std::int64_t silence = 0;
    };
    void Add(Step step);

    int m_channels = 0;
    std::vector<Step> m_steps;
    std::int64_t m_frames = 0;
    // Where reading stands: the step, and the frame inside the sequence.
    std::size_t m_step = 0;
    std::int64_t m_read = 0;
};
