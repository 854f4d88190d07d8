#include "platform/CWaveStream.h"

#include <algorithm>
#include <cmath>

CWaveStream::CWaveStream(
    const SDL_AudioSpec& spec, Samples samples, Uint32 bytes, std::int64_t skipFrames, int rate, int channels)
    : m_spec(spec)
    , m_samples(std::move(samples))
    , m_channels(channels)
{
    const int frameBytes = SDL_AUDIO_BITSIZE(spec.format) / 8 * spec.channels;
    const std::int64_t inputFrames = bytes / frameBytes;
    m_bytes = Uint32(inputFrames * frameBytes);
    skipFrames = std::clamp<std::int64_t>(skipFrames, 0, inputFrames);
    m_offset = Uint32(skipFrames * frameBytes);
    m_frames = std::llround(double(inputFrames - skipFrames) * rate / spec.freq);
    m_converter.reset(SDL_NewAudioStream(spec.format, spec.channels, spec.freq, AUDIO_S16SYS, Uint8(channels), rate));
    // Pieces of 10 ms: small enough to convert inside one device buffer.
    const int pieceFrames = std::max(1, spec.freq / 100);
    m_silence.assign(std::size_t(pieceFrames) * std::size_t(frameBytes), Uint8(spec.format == AUDIO_U8 ? 0x80 : 0));
    // The resampler keeps the last few hundred input frames back even when
    // flushed: trailing silence pushes them out, and the output is cut to
    // the sound's exact converted length.
    m_silentPiecesLeft = (spec.freq / 10 + 1024 + pieceFrames - 1) / pieceFrames;
}

bool CWaveStream::Feed()
{
    SDL_AudioStream* converter = m_converter.get();
    if (m_offset < m_bytes) {
        const Uint32 piece = std::min(Uint32(m_silence.size()), m_bytes - m_offset);
        m_failed = SDL_AudioStreamPut(converter, m_samples.get() + m_offset, int(piece)) != 0;
        m_offset += piece;
    } else if (m_silentPiecesLeft > 0) {
        m_failed = SDL_AudioStreamPut(converter, m_silence.data(), int(m_silence.size())) != 0;
        if (--m_silentPiecesLeft == 0 && !m_failed)
            m_failed = SDL_AudioStreamFlush(converter) != 0;
    } else {
        return false;
    }
    return !m_failed;
}

int CWaveStream::Read(std::int16_t* out, int frames)
{
    const int frameBytes = m_channels * int(sizeof(std::int16_t));
    const int wanted = int(std::min<std::int64_t>(frames, m_frames - m_read));
    int written = 0;
    while (written < wanted && !m_failed) {
        const int available = SDL_AudioStreamAvailable(m_converter.get()) / frameBytes;
        if (available == 0) {
            if (!Feed())
                break;
            continue;
        }
        const int bytes = std::min(available, wanted - written) * frameBytes;
        const int got = SDL_AudioStreamGet(m_converter.get(), out + std::ptrdiff_t(written) * m_channels, bytes);
        m_failed = got <= 0;
        written += std::max(got, 0) / frameBytes;
    }
    m_read += written;
    return written;
}
