#include "platform/CWaveDecoder.h"

#include <SDL.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>

struct CWaveDecoder::Native {
    SDL_AudioSpec spec{};
    std::unique_ptr<Uint8, decltype(&SDL_FreeWAV)> data{nullptr, &SDL_FreeWAV};
    Uint32 bytes = 0;

    std::int64_t Frames() const { return bytes / (SDL_AUDIO_BITSIZE(spec.format) / 8 * spec.channels); }
};

namespace {

std::uint32_t ReadLe32(const QByteArray& bytes, qsizetype at)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData() + at);
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

} // namespace

std::optional<QByteArray> CWaveDecoder::ReadFile(const std::string& path)
{
    std::error_code error;
    if (path.empty() || !std::filesystem::is_regular_file(path, error))
        return std::nullopt;
    const auto size = std::filesystem::file_size(path, error);
    if (error || size > std::uintmax_t(MaxFileBytes))
        return std::nullopt;

    std::ifstream file(path, std::ios::binary);
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    if (!file.read(bytes.data(), std::streamsize(size)))
        return std::nullopt;
    return bytes;
}

bool CWaveDecoder::DataChunkFits(const QByteArray& wave)
{
    // "RIFF" size "WAVE", then chunks of id, size and data padded to even.
    constexpr qsizetype ChunkHeader = 8;
    if (wave.size() < 12 || !wave.startsWith("RIFF") || wave.mid(8, 4) != "WAVE")
        return false;
    qsizetype at = 12;
    while (at + ChunkHeader <= wave.size()) {
        const std::uint32_t length = ReadLe32(wave, at + 4);
        const qsizetype remaining = wave.size() - (at + ChunkHeader);
        if (wave.mid(at, 4) == "data")
            return length <= std::uint64_t(remaining);
        if (length >= std::uint64_t(remaining))
            return false;
        at += ChunkHeader + qsizetype(length) + qsizetype(length & 1);
    }
    return false;
}

std::optional<CWaveDecoder::Native> CWaveDecoder::Load(const QByteArray& wave)
{
    if (!DataChunkFits(wave))
        return std::nullopt;
    // A data chunk shorter than it claims is damage, not a sound to play in
    // part; the RIFF size itself is often wrong in files from real tools.
    SDL_SetHint(SDL_HINT_WAVE_TRUNCATION, "strict");

    Native native;
    Uint8* data = nullptr;
    SDL_RWops* source = SDL_RWFromConstMem(wave.constData(), int(wave.size()));
    if (!SDL_LoadWAV_RW(source, 1, &native.spec, &data, &native.bytes))
        return std::nullopt;
    native.data.reset(data);

    const SDL_AudioSpec& spec = native.spec;
    if (spec.channels == 0 || spec.freq < MinRate || spec.freq > MaxRate)
        return std::nullopt;
    if (native.bytes > Uint32(INT32_MAX) || native.Frames() > std::int64_t(MaxSeconds) * spec.freq)
        return std::nullopt;
    return native;
}

std::optional<CWaveDecoder::Pcm> CWaveDecoder::Decode(const QByteArray& wave, int rate, int channels)
{
    const auto native = Load(wave);
    if (!native)
        return std::nullopt;
    const SDL_AudioSpec& spec = native->spec;

    std::unique_ptr<SDL_AudioStream, decltype(&SDL_FreeAudioStream)> stream(
        SDL_NewAudioStream(spec.format, spec.channels, spec.freq, AUDIO_S16SYS, Uint8(channels), rate),
        &SDL_FreeAudioStream);
    if (!stream)
        return std::nullopt;
    // The resampler keeps the last few hundred input frames back even when
    // flushed: trailing silence pushes them out, and the output is cut to
    // the sound's exact converted length.
    const int frameBytes = SDL_AUDIO_BITSIZE(spec.format) / 8 * spec.channels;
    const std::vector<Uint8> padding(
        std::size_t(spec.freq / 10 + 1024) * std::size_t(frameBytes), Uint8(spec.format == AUDIO_U8 ? 0x80 : 0));
    if (native->bytes > 0 && SDL_AudioStreamPut(stream.get(), native->data.get(), int(native->bytes)) != 0)
        return std::nullopt;
    if (SDL_AudioStreamPut(stream.get(), padding.data(), int(padding.size())) != 0
        || SDL_AudioStreamFlush(stream.get()) != 0)
        return std::nullopt;

    Pcm pcm;
    pcm.rate = rate;
    pcm.channels = channels;
    const auto frames = std::int64_t(std::llround(double(native->Frames()) * rate / spec.freq));
    pcm.samples.resize(std::size_t(frames * channels));
    if (frames == 0)
        return pcm;
    const int wanted = int(pcm.samples.size() * sizeof(std::int16_t));
    const int got = SDL_AudioStreamGet(stream.get(), pcm.samples.data(), wanted);
    if (got < 0)
        return std::nullopt;
    pcm.samples.resize(std::size_t(got) / sizeof(std::int16_t) / std::size_t(channels) * std::size_t(channels));
    return pcm;
}

std::optional<double> CWaveDecoder::Duration(const QByteArray& wave)
{
    const auto native = Load(wave);
    if (!native)
        return std::nullopt;
    return double(native->Frames()) / native->spec.freq;
}
