#pragma once

#include "media/CMediaCatalogue.h"

#include <QByteArray>

#include <cstdint>
#include <initializer_list>
#include <vector>

// Builds one sound clip sample by sample: sine partials, noise clicks and
// crackle are mixed into a buffer of a fixed length at the catalogue's
// sample rate, then the whole clip is scaled to its peak level and rounded
// to 16-bit samples. Everything is computed from fixed seeds, so a clip
// comes out the same on every run.
class CClipSynth {
public:
    static constexpr int SampleRate = CMediaCatalogue::SampleRate;

    // One sine component: frequency in Hz and relative amplitude.
    struct Partial {
        double hz;
        double amplitude = 1.0;
    };

    explicit CClipSynth(int samples);

    // Adds the partials from startMs for durationMs, faded in and out with
    // raised-cosine ramps of rampMs. A burst that would run past the end of
    // the clip ends, faded out, with the clip.
    void AddPartials(
        double startMs, double durationMs, std::initializer_list<Partial> partials, double rampMs, double level = 1.0);
    // Adds white noise under an exponential decay: a click (short decay) or
    // a single crackle grain.
    void AddNoiseBurst(double startMs, double durationMs, double level, std::uint32_t seed);
    // Adds count noise grains scattered over [startMs, startMs + durationMs)
    // at levels between level / 3 and level.
    void AddCrackle(double startMs, double durationMs, int count, double level, std::uint32_t seed);

    // The clip scaled so that its largest magnitude is peak × 32767.
    std::vector<std::int16_t> Render(double peak) const;

    // Two equal sine components that start and end at zero: the phases are
    // chosen so that the sum is exactly 0 at sample 0 and at sample
    // `samples` (one past the end), so that tones sent back to back join
    // without a click. Scaled to peak (in sample values).
    static std::vector<std::int16_t> DualTone(int samples, double lowHz, double highHz, double peak);

    // RIFF WAVE bytes: PCM, 1 channel, SampleRate, 16-bit little-endian.
    static QByteArray EncodeWave(const std::vector<std::int16_t>& samples);

private:
    static std::vector<std::int16_t> Scale(const std::vector<double>& mix, double peakValue);
    int ToSample(double ms) const;

    std::vector<double> m_mix;
};
