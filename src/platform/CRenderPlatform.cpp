#include "platform/CRenderPlatform.h"

#include "media/CMediaCatalogue.h"
#include "platform/CWaveDecoder.h"
#include "platform/CWaveStream.h"
#include "platform/CWaveWriter.h"

#include <algorithm>
#include <array>
#include <climits>

namespace {

constexpr std::int64_t UnitsPerSample = 1000;

} // namespace

CRenderPlatform::CRenderPlatform(CWaveWriter& sink, int rate)
    : m_sink(sink)
    , m_rate(rate)
{
}

CRenderPlatform::~CRenderPlatform() = default;

std::int64_t CRenderPlatform::SampleNow() const
{
    return (m_units + UnitsPerSample / 2) / UnitsPerSample;
}

std::uint32_t CRenderPlatform::NowMs()
{
    return static_cast<std::uint32_t>(m_units / m_rate); // wraps like the real clock
}

void CRenderPlatform::AdvanceMs(std::int64_t ms)
{
    if (ms > 0)
        m_units += ms * m_rate;
}

const std::vector<std::int16_t>& CRenderPlatform::Clip(int clip)
{
    auto found = m_clips.find(clip);
    if (found == m_clips.end()) {
        std::optional<CWaveDecoder::Pcm> pcm = CWaveDecoder::Decode(CMediaCatalogue::SoundClip(clip), m_rate, 1);
        found = m_clips.emplace(clip, pcm ? std::move(pcm->samples) : std::vector<std::int16_t>()).first;
    }
    return found->second;
}

void CRenderPlatform::Start(Sound sound)
{
    const std::int64_t now = SampleNow();
    WriteUntil(now);
    sound.start = now;
    m_sound = std::move(sound);
    m_fileSounding = m_sound.file != nullptr;
}

void CRenderPlatform::WriteUntil(std::int64_t sample)
{
    if (sample <= m_written)
        return;
    const std::int64_t soundEnd = std::min(sample, m_sound.End());
    if (m_sound.clip != nullptr && soundEnd > m_written) {
        m_sink.Append(m_sound.clip->data() + (m_written - m_sound.start), soundEnd - m_written);
        m_written = soundEnd;
    } else if (m_sound.file != nullptr && soundEnd > m_written) {
        std::array<std::int16_t, 4096> piece;
        while (m_written < soundEnd) {
            const int wanted = static_cast<int>(std::min<std::int64_t>(soundEnd - m_written, piece.size()));
            const int got = m_sound.file->Read(piece.data(), wanted);
            if (got <= 0) // the converter failed: the rest is silence
                break;
            m_sink.Append(piece.data(), got);
            m_written += got;
        }
    }
    m_sink.AppendSilence(sample - m_written);
    m_written = sample;
}

void CRenderPlatform::Finish()
{
    WriteUntil(SampleNow());
}

void CRenderPlatform::StartClip(int clip)
{
    const std::vector<std::int16_t>& samples = Clip(clip);
    Sound sound;
    sound.clip = &samples;
    sound.length = std::int64_t(samples.size());
    Start(std::move(sound));
}

void CRenderPlatform::PlayClip(int clip)
{
    StartClip(clip);
    // The clip lasts its own samples at this rate, so that the silence
    // after it starts on the next sample.
    m_units = m_sound.End() * UnitsPerSample;
}

void CRenderPlatform::SoundDialLine(const std::vector<int>& toneClips, const DialKeyEvent& onKey)
{
    for (std::size_t key = 0; key < toneClips.size(); ++key) {
        if (!onKey(key, true))
            return;
        PlayClip(toneClips[key]);
        if (!onKey(key, false))
            return;
        AdvanceMs(KeyGapMs);
    }
}

bool CRenderPlatform::StartWaveFile(const std::string& path, int fromMs)
{
    const std::optional<QByteArray> bytes = CWaveDecoder::ReadFile(path);
    std::unique_ptr<CWaveStream> stream
        = bytes ? CWaveDecoder::Open(*bytes, m_rate, 1, std::max(fromMs, 0) / 1000.0) : nullptr;
    if (stream == nullptr)
        return false;
    Sound sound;
    sound.length = stream->Frames();
    sound.file = std::move(stream);
    Start(std::move(sound));
    return true;
}

int CRenderPlatform::WaveFileRemainingMs()
{
    if (!m_fileSounding)
        return 0;
    const std::int64_t remainingUnits = m_sound.End() * UnitsPerSample - m_units;
    if (remainingUnits <= 0)
        return 0;
    return static_cast<int>(std::min<std::int64_t>((remainingUnits + m_rate - 1) / m_rate, INT_MAX));
}

void CRenderPlatform::StopWaveFile()
{
    if (!m_fileSounding)
        return;
    WriteUntil(SampleNow());
    m_sound = Sound();
    m_sound.start = m_written;
    m_fileSounding = false;
}

void CRenderPlatform::WaitForEvents(int timeoutMs)
{
    const std::int64_t fileEnd = m_fileSounding ? m_sound.End() * UnitsPerSample : -1;
    std::int64_t until = timeoutMs >= 0 ? m_units + std::int64_t(timeoutMs) * m_rate : fileEnd;
    if (fileEnd > m_units)
        until = std::min(until, fileEnd);
    m_units = std::max(m_units, until);
}

void CRenderPlatform::HoldInput(int ms)
{
    AdvanceMs(ms);
}
