// Any bytes through the wave decoder: a sound is refused or decoded to the
// format asked for, no longer than the length the decoder reports for it.
#include "FuzzSupport.h"
#include "platform/CWaveDecoder.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The program's output format, and a small one; chosen by the length
    // so that no byte of the input is spent on it.
    const int rate = size % 2 == 0 ? 48000 : 11025;
    const int channels = size % 2 == 0 ? 2 : 1;
    const QByteArray wave = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<CWaveDecoder::Pcm> pcm = CWaveDecoder::Decode(wave, rate, channels);
    const std::optional<double> seconds = CWaveDecoder::Duration(wave);
    FUZZ_CHECK(!seconds || (*seconds >= 0 && *seconds <= CWaveDecoder::MaxSeconds));
    if (pcm) {
        FUZZ_CHECK(seconds.has_value());
        FUZZ_CHECK(pcm->rate == rate && pcm->channels == channels && pcm->samples.size() % std::size_t(channels) == 0);
        // Half a frame may round either way: 53 frames at 22050 Hz are 26.5
        // at 11025 Hz, but 53 / 22050 * 11025 is 26.4999...
        FUZZ_CHECK(pcm->Frames() <= std::llround(*seconds * rate) + 1);
    }
    return 0;
}
