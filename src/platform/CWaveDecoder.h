#pragma once

#include <QByteArray>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CWaveStream;

// Turns RIFF WAVE bytes (any format SDL can read: 8/16/24/32-bit PCM, float,
// A-law, mu-law, ADPCM; any channel count SDL converts) into signed 16-bit
// interleaved samples at a chosen rate and channel count. Everything it is
// given may be hostile: damaged, truncated and oversized input is refused,
// never trusted.
class CWaveDecoder {
public:
    struct Pcm {
        std::vector<std::int16_t> samples; // interleaved
        int rate = 0;
        int channels = 0;

        std::int64_t Frames() const { return channels > 0 ? std::int64_t(samples.size()) / channels : 0; }
    };

    // Files larger than this are not read at all.
    static constexpr std::int64_t MaxFileBytes = std::int64_t(256) * 1024 * 1024;
    // Longer sounds are refused: their converted samples would take more
    // memory than a dialer should ever hold.
    static constexpr int MaxSeconds = 600;
    // Sample rates outside this range are refused as implausible; converting
    // from them would cost unbounded work.
    static constexpr int MinRate = 1000;
    static constexpr int MaxRate = 384000;

    // The bytes of a regular file; nothing for a missing file, a directory,
    // a device or pipe (which could block for ever), or an oversized file.
    // The path is passed to the system as it is (8-bit, locale encoding).
    static std::optional<QByteArray> ReadFile(const std::string& path);

    // The sound converted to rate and channels; nothing when the bytes are
    // not a complete, decodable WAVE file or the sound is too long.
    static std::optional<Pcm> Decode(const QByteArray& wave, int rate, int channels);

    // The same sound as a stream that converts it as it is read, starting
    // fromSeconds into it; nothing when Decode would refuse the bytes. A
    // long sound played this way takes the memory of its own samples, not
    // that of its converted ones.
    static std::unique_ptr<CWaveStream> Open(const QByteArray& wave, int rate, int channels, double fromSeconds = 0);

    // The length of the sound in seconds, as Decode would play it; nothing
    // when Decode would refuse the bytes.
    static std::optional<double> Duration(const QByteArray& wave);

private:
    // The sound in its own format, as SDL decodes it.
    struct Native;
    static std::optional<Native> Load(const QByteArray& wave);
    // True when the first data chunk lies wholly inside the bytes. SDL
    // allocates what a data chunk claims before it reads, so a header that
    // claims gigabytes is refused here first.
    static bool DataChunkFits(const QByteArray& wave);
};
