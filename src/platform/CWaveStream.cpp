#include "platform/CWaveStream.h"

#include <algorithm>
#include <cmath>
#include <numeric>

CWaveStream::CWaveStream(
    const SDL_AudioSpec& spec, Samples samples, Uint32 bytes, std::int64_t skipFrames, int rate, int channels)
    : m_samples(std::move(samples))
    , m_channels(channels)
{
    const int frameBytes = SDL_AUDIO_BITSIZE(spec.format) / 8 * spec.channels;
    const std::int64_t inputFrames = bytes / frameBytes;
    m_bytes = Uint32(inputFrames * frameBytes);
    skipFrames = std::clamp<std::int64_t>(skipFrames, 0, inputFrames);
    m_offset = Uint32(skipFrames * frameBytes);
    m_frames = std::llround(double(inputFrames - skipFrames) * rate / spec.freq);
    m_converter.reset(SDL_NewAudioStream(spec.format, spec.channels, spec.freq, AUDIO_S16SYS, Uint8(channels), rate));
    // SDL's resampler starts each piece it converts afresh at a whole output
    // frame, so a piece whose frames do not convert to a whole number of
    // frames would shift the rest of the sound a little. It keeps back the
    // last frames of every piece for its filter (its padding, set below as
    // SDL sets it) and converts them with the next one, and it gathers
    // pieces shorter than that padding. So the first piece is longer by the
    // padding, and every piece is a whole number of the frames that convert
    // to a whole number of frames, at least the padding and about 10 ms:
    // then the sound converts exactly as it does in one piece.
    int padding = 0;
    if (spec.freq != rate)
        padding = spec.freq > rate ? int(std::ceil(512.0f * float(spec.freq) / float(rate))) : 512;
    const int unit = spec.freq / std::gcd(spec.freq, rate);
    const int pieceFrames = (std::max({padding, spec.freq / 100, 1}) + unit - 1) / unit * unit;
    m_pieceBytes = std::size_t(pieceFrames) * std::size_t(frameBytes);
    m_firstPieceBytes = m_pieceBytes + std::size_t(padding) * std::size_t(frameBytes);
    m_silence = Uint8(spec.format == AUDIO_U8 ? 0x80 : 0);
    // Trailing silence pushes the padding the resampler keeps back out,
    // and the output is cut to the sound's exact converted length.
    m_silentPiecesLeft = (spec.freq / 10 + 1024 + pieceFrames - 1) / pieceFrames;
}

bool CWaveStream::Feed()
{
    const std::size_t size = m_fed ? m_pieceBytes : m_firstPieceBytes;
    const std::size_t left = m_bytes - m_offset;
    if (left >= size) {
        Put(m_samples.get() + m_offset, size);
        m_offset += Uint32(size);
    } else if (left > 0 || m_silentPiecesLeft > 0) {
        // The last piece of the sound, or one of the silence after it.
        std::vector<Uint8> piece(size, m_silence);
        std::copy(m_samples.get() + m_offset, m_samples.get() + m_bytes, piece.begin());
        if (left == 0)
            --m_silentPiecesLeft;
        m_offset = m_bytes;
        Put(piece.data(), size);
    } else {
        return false;
    }
    return !m_failed;
}

void CWaveStream::Put(const Uint8* bytes, std::size_t size)
{
    m_fed = true;
    m_failed = m_failed || SDL_AudioStreamPut(m_converter.get(), bytes, int(size)) != 0;
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
