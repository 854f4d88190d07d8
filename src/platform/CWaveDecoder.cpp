#include "platform/CWaveDecoder.h"

#include "platform/CWaveStream.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>

struct CWaveDecoder::Native {
    SDL_AudioSpec spec{};
    CWaveStream::Samples data{nullptr, &SDL_FreeWAV};
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

std::unique_ptr<CWaveStream> CWaveDecoder::Open(const QByteArray& wave, int rate, int channels, double fromSeconds)
{
    auto native = Load(wave);
    if (!native)
        return nullptr;
    const auto skip = std::int64_t(std::llround(std::max(fromSeconds, 0.0) * native->spec.freq));
    auto stream = std::make_unique<CWaveStream>(
        native->spec, std::move(native->data), native->bytes, std::min(skip, native->Frames()), rate, channels);
    if (!stream->IsValid())
        return nullptr;
    return stream;
}

std::optional<CWaveDecoder::Pcm> CWaveDecoder::Decode(const QByteArray& wave, int rate, int channels)
{
    const auto stream = Open(wave, rate, channels);
    if (!stream)
        return std::nullopt;
    Pcm pcm;
    pcm.rate = rate;
    pcm.channels = channels;
    pcm.samples.resize(std::size_t(stream->Frames() * channels));
    std::int64_t frames = 0;
    while (frames < stream->Frames()) {
        const int piece = int(std::min<std::int64_t>(stream->Frames() - frames, 1 << 20));
        const int got = stream->Read(pcm.samples.data() + frames * channels, piece);
        frames += got;
        if (got < piece)
            break;
    }
    if (stream->Failed())
        return std::nullopt;
    pcm.samples.resize(std::size_t(frames * channels));
    return pcm;
}

std::optional<double> CWaveDecoder::Duration(const QByteArray& wave)
{
    const auto native = Load(wave);
    if (!native)
        return std::nullopt;
    return double(native->Frames()) / native->spec.freq;
}
