#pragma once

#include <SDL_audio.h>

#include <cstdint>
#include <memory>
#include <vector>

// A sound that SDL decoded in its own format, handed out as signed 16-bit
// interleaved samples at a chosen rate and channel count, a piece at a time.
// Each piece is converted when it is read, so a long sound never takes more
// memory than its own samples: ten minutes at 1 kHz stay about a megabyte,
// where converted to 48 kHz stereo at once they would take over a hundred.
// One reader at a time.
class CWaveStream {
public:
    using Samples = std::unique_ptr<Uint8, decltype(&SDL_FreeWAV)>;

    // bytes bytes of samples in the format of spec, as SDL_LoadWAV_RW gives
    // them; the stream starts skipFrames frames into them.
    CWaveStream(
        const SDL_AudioSpec& spec, Samples samples, Uint32 bytes, std::int64_t skipFrames, int rate, int channels);

    // False when SDL cannot convert between the two formats.
    bool IsValid() const { return m_converter != nullptr; }
    // Whether the converter failed while reading; what was read stays good.
    bool Failed() const { return m_failed; }
    // Frames in all, at the output rate, from the starting frame on.
    std::int64_t Frames() const { return m_frames; }

    // Converts up to frames further frames into out and returns how many it
    // wrote: fewer only at the end of the sound or when the converter fails.
    int Read(std::int16_t* out, int frames);

private:
    // Hands the next piece of input (or, after the last, the trailing
    // silence) to the converter; false when nothing more can come.
    bool Feed();
    void Put(const Uint8* bytes, std::size_t size);

    Samples m_samples;
    Uint32 m_bytes = 0;
    Uint32 m_offset = 0;
    int m_channels = 0;
    std::int64_t m_frames = 0;
    std::int64_t m_read = 0;
    std::unique_ptr<SDL_AudioStream, decltype(&SDL_FreeAudioStream)> m_converter{nullptr, &SDL_FreeAudioStream};
    std::size_t m_pieceBytes = 0;
    std::size_t m_firstPieceBytes = 0;
    bool m_fed = false;
    // A byte of silence, and how many pieces of it still follow the sound
    // to push the resampler's last frames out.
    Uint8 m_silence = 0;
    int m_silentPiecesLeft = 0;
    bool m_failed = false;
};
