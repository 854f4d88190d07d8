#include "platform/CSoundSequence.h"

#include "platform/CWaveStream.h"

#include <algorithm>
#include <cstring>

CSoundSequence::CSoundSequence(int channels)
    : m_channels(channels)
{
}

CSoundSequence::~CSoundSequence() = default;

void CSoundSequence::AddClip(Samples clip, std::int64_t silenceFrames)
{
    Step step;
    step.frames = clip ? std::int64_t(clip->size()) / m_channels : 0;
    step.clip = std::move(clip);
    step.silence = std::max<std::int64_t>(silenceFrames, 0);
    Add(std::move(step));
}

void CSoundSequence::AddStream(std::unique_ptr<CWaveStream> stream, std::int64_t silenceFrames)
{
    Step step;
    step.frames = stream ? stream->Frames() : 0;
    step.stream = std::move(stream);
    step.silence = std::max<std::int64_t>(silenceFrames, 0);
    Add(std::move(step));
}

void CSoundSequence::Add(Step step)
{
    step.start = m_frames;
    m_frames += step.frames + step.silence;
    m_steps.push_back(std::move(step));
}

int CSoundSequence::StepAt(std::int64_t frame) const
{
    // The first step that starts after frame; the one before may hold it.
    const auto after = std::upper_bound(
        m_steps.begin(), m_steps.end(), frame, [](std::int64_t f, const Step& s) { return f < s.start; });
    if (after == m_steps.begin())
        return -1;
    const auto step = after - 1;
    return frame < step->start + step->frames ? int(step - m_steps.begin()) : -1;
}

int CSoundSequence::ClipsBegun(std::int64_t frame) const
{
    return int(std::upper_bound(m_steps.begin(), m_steps.end(), frame, [](std::int64_t f, const Step& s) {
        return f < s.start;
    }) - m_steps.begin());
}

std::int64_t CSoundSequence::NextChange(std::int64_t frame) const
{
    for (const Step& step : m_steps) {
        if (step.frames > 0 && step.start > frame)
            return step.start;
        if (step.frames > 0 && step.start + step.frames > frame)
            return step.start + step.frames;
    }
    return m_frames;
}

int CSoundSequence::Read(std::int16_t* out, int frames)
{
    int written = 0;
    while (written < frames && m_step < m_steps.size()) {
        Step& step = m_steps[m_step];
        const std::int64_t into = m_read - step.start;
        const std::int64_t stepFrames = step.frames + step.silence;
        if (into >= stepFrames) {
            // The stream's samples are no longer needed once it is past.
            step.stream.reset();
            ++m_step;
            continue;
        }
        const int take = int(std::min<std::int64_t>(frames - written, stepFrames - into));
        std::int16_t* at = out + std::ptrdiff_t(written) * m_channels;
        int sound = int(std::clamp<std::int64_t>(step.frames - into, 0, take));
        if (sound > 0 && step.clip) {
            std::memcpy(
                at, step.clip->data() + into * m_channels, std::size_t(sound * m_channels) * sizeof(std::int16_t));
        } else if (sound > 0 && step.stream) {
            // A stream that fails stops sounding; its place stays.
            const int got = step.stream->Read(at, sound);
            if (got < sound)
                step.stream.reset();
            std::memset(at + std::ptrdiff_t(got) * m_channels, 0,
                std::size_t((sound - got) * m_channels) * sizeof(std::int16_t));
        } else {
            sound = 0;
        }
        std::memset(at + std::ptrdiff_t(sound) * m_channels, 0,
            std::size_t((take - sound) * m_channels) * sizeof(std::int16_t));
        written += take;
        m_read += take;
    }
    return written;
}
