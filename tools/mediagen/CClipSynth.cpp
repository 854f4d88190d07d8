#include "CClipSynth.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace {

constexpr double FullScale = 32767.0;

// Raised-cosine fade: 0 at t = 0, 1 at t >= ramp.
double Fade(double t, double ramp)
{
    if (ramp <= 0.0 || t >= ramp)
        return 1.0;
    if (t <= 0.0)
        return 0.0;
    return 0.5 - 0.5 * std::cos(std::numbers::pi * t / ramp);
}

// Uniform noise in [-1, 1) from the raw output of a standard engine (the
// standard distributions are not specified bit for bit across libraries).
double NextNoise(std::minstd_rand& engine)
{
    const double span = static_cast<double>(std::minstd_rand::max() - std::minstd_rand::min()) + 1.0;
    return 2.0 * static_cast<double>(engine() - std::minstd_rand::min()) / span - 1.0;
}

void AppendLe16(QByteArray& bytes, std::uint16_t value)
{
    char raw[2];
    qToLittleEndian(value, raw);
    bytes.append(raw, 2);
}

void AppendLe32(QByteArray& bytes, std::uint32_t value)
{
    char raw[4];
    qToLittleEndian(value, raw);
    bytes.append(raw, 4);
}

} // namespace

CClipSynth::CClipSynth(int samples)
    : m_mix(static_cast<std::size_t>(samples), 0.0)
{
}

int CClipSynth::ToSample(double ms) const
{
    return static_cast<int>(std::lround(ms * SampleRate / 1000.0));
}

void CClipSynth::AddPartials(
    double startMs, double durationMs, std::initializer_list<Partial> partials, double rampMs, double level)
{
    // A burst that would run past the end of the clip is shortened, so
    // that it still fades out instead of being cut off with a click.
    const int first = ToSample(startMs);
    const int count = std::min(ToSample(durationMs), static_cast<int>(m_mix.size()) - first);
    const double rampSamples = rampMs * SampleRate / 1000.0;
    for (int i = 0; i < count; ++i) {
        const int n = first + i;
        if (n < 0 || n >= static_cast<int>(m_mix.size()))
            continue;
        double value = 0.0;
        for (const Partial& partial : partials)
            value += partial.amplitude * std::sin(2.0 * std::numbers::pi * partial.hz * i / SampleRate);
        const double envelope = Fade(i, rampSamples) * Fade(count - 1 - i, rampSamples);
        m_mix[static_cast<std::size_t>(n)] += level * envelope * value;
    }
}

void CClipSynth::AddNoiseBurst(double startMs, double durationMs, double level, std::uint32_t seed)
{
    std::minstd_rand engine(seed);
    const int first = ToSample(startMs);
    const int count = std::max(1, ToSample(durationMs));
    for (int i = 0; i < count; ++i) {
        const int n = first + i;
        if (n < 0 || n >= static_cast<int>(m_mix.size()))
            continue;
        // Falls to about 2 % of its start over the burst.
        const double envelope = std::exp(-4.0 * i / count);
        m_mix[static_cast<std::size_t>(n)] += level * envelope * NextNoise(engine);
    }
}

void CClipSynth::AddCrackle(double startMs, double durationMs, int count, double level, std::uint32_t seed)
{
    std::minstd_rand engine(seed);
    for (int grain = 0; grain < count; ++grain) {
        const double at = startMs + durationMs * (NextNoise(engine) + 1.0) / 2.0;
        const double grainLevel = level * (2.0 + NextNoise(engine)) / 3.0;
        AddNoiseBurst(at, 1.5, grainLevel, engine());
    }
}

std::vector<std::int16_t> CClipSynth::Render(double peak) const
{
    return Scale(m_mix, peak * FullScale);
}

std::vector<std::int16_t> CClipSynth::Scale(const std::vector<double>& mix, double peakValue)
{
    double largest = 0.0;
    for (double value : mix)
        largest = std::max(largest, std::abs(value));
    const double gain = largest > 0.0 ? peakValue / largest : 0.0;
    std::vector<std::int16_t> samples;
    samples.reserve(mix.size());
    for (double value : mix)
        samples.push_back(static_cast<std::int16_t>(std::lround(value * gain)));
    return samples;
}

std::vector<std::int16_t> CClipSynth::DualTone(int samples, double lowHz, double highHz, double peak)
{
    // sin(a + p) + sin(b - p) = 2 sin((a + b) / 2) cos((a - b) / 2 + p): zero
    // at n = 0 for any p, and zero at n = samples when the cosine's argument
    // is pi / 2 there.
    const double low = 2.0 * std::numbers::pi * lowHz / SampleRate;
    const double high = 2.0 * std::numbers::pi * highHz / SampleRate;
    const double phase = std::numbers::pi / 2.0 - (low - high) * samples / 2.0;
    std::vector<double> mix(static_cast<std::size_t>(samples));
    for (int n = 0; n < samples; ++n)
        mix[static_cast<std::size_t>(n)] = std::sin(low * n + phase) + std::sin(high * n - phase);
    return Scale(mix, peak);
}

QByteArray CClipSynth::EncodeWave(const std::vector<std::int16_t>& samples)
{
    constexpr std::uint16_t channels = 1;
    constexpr std::uint16_t bitsPerSample = 16;
    constexpr std::uint16_t blockAlign = channels * bitsPerSample / 8;
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * blockAlign);

    QByteArray bytes;
    bytes.reserve(qsizetype(44) + dataBytes);
    bytes.append("RIFF", 4);
    AppendLe32(bytes, 36 + dataBytes);
    bytes.append("WAVEfmt ", 8);
    AppendLe32(bytes, 16);
    AppendLe16(bytes, 1); // PCM
    AppendLe16(bytes, channels);
    AppendLe32(bytes, SampleRate);
    AppendLe32(bytes, SampleRate * blockAlign);
    AppendLe16(bytes, blockAlign);
    AppendLe16(bytes, bitsPerSample);
    bytes.append("data", 4);
    AppendLe32(bytes, dataBytes);
    for (std::int16_t sample : samples)
        AppendLe16(bytes, static_cast<std::uint16_t>(sample));
    return bytes;
}
