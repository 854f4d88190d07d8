#include "CSoundBank.h"

#include "CClipSynth.h"
#include "media/MediaIds.h"
#include "media/MediaTable.h"

#include <array>

namespace {

using Partial = CClipSynth::Partial;

struct KeyTone {
    int clip;
    double lowHz;
    double highHz;
};

// The DTMF pair of each key's tone clip: rows 697/770/852/941 Hz, columns
// 1209/1336/1477 Hz.
constexpr std::array<KeyTone, 12> KeyTones = {{
    {Clip::Tone1, 697, 1209},
    {Clip::Tone2, 697, 1336},
    {Clip::Tone3, 697, 1477},
    {Clip::Tone4, 770, 1209},
    {Clip::Tone5, 770, 1336},
    {Clip::Tone6, 770, 1477},
    {Clip::Tone7, 852, 1209},
    {Clip::Tone8, 852, 1336},
    {Clip::Tone9, 852, 1477},
    {Clip::Tone0, 941, 1336},
    {Clip::ToneStar, 941, 1209},
    {Clip::ToneHash, 941, 1477},
}};

// Both components together peak at about half of full scale.
constexpr double TonePeak = 16370.0;

constexpr double BeepHz = 3270.0;
constexpr double BeepMs = 80.0;
constexpr double BlipHz = 523.0;
constexpr double BlipMs = 35.0;

double LengthMs(int samples)
{
    return samples * 1000.0 / CClipSynth::SampleRate;
}

std::vector<std::int16_t> Beeps(int samples, std::initializer_list<double> startsMs)
{
    CClipSynth synth(samples);
    for (double start : startsMs)
        synth.AddPartials(start, BeepMs, {{BeepHz}}, 1.0);
    return synth.Render(0.08);
}

std::vector<std::int16_t> Blips(CClipSynth& synth, std::initializer_list<double> startsMs, double peak)
{
    for (double start : startsMs)
        synth.AddPartials(start, BlipMs, {{BlipHz}}, 2.0);
    return synth.Render(peak);
}

std::vector<std::int16_t> Effect(int clip, int samples)
{
    switch (clip) {
    case Clip::StopBeeps: // STOP during playback: three quiet beeps
        return Beeps(samples, {5, 145, 290});
    case Clip::RecordBeeps: // REC: two beeps
        return Beeps(samples, {0, 150});
    case Clip::PauseBeep: // PAUSE: one beep
        return Beeps(samples, {0});
    case Clip::Refusal: { // refusal: three loud four-note bursts
        CClipSynth synth(samples);
        const std::initializer_list<Partial> chord = {{780}, {1150}, {1385}, {1480}};
        synth.AddPartials(15, 45, chord, 2.0);
        synth.AddPartials(100, 35, chord, 2.0);
        synth.AddPartials(200, 50, chord, 2.0);
        return synth.Render(0.6);
    }
    case Clip::CloseBlips: { // close: a click, a blip, a crackle, a blip
        CClipSynth synth(samples);
        synth.AddNoiseBurst(0, 10, 0.9, 261);
        synth.AddCrackle(122, 30, 7, 0.5, 2610);
        return Blips(synth, {80, 160}, 0.36);
    }
    case Clip::IntroBlips: { // opening: three blips
        CClipSynth synth(samples);
        return Blips(synth, {0, 80, 155}, 0.2);
    }
    case Clip::ConfirmBuzz: { // saved or loaded: a steady buzz rich in harmonics
        CClipSynth synth(samples);
        synth.AddPartials(0, LengthMs(samples), {{660, 1.0}, {1320, 0.8}, {2620, 0.7}, {3290, 0.6}, {3930, 0.5}}, 3.0);
        return synth.Render(0.14);
    }
    case Clip::Chime: { // file choice, help, name entry: a pure high tone
        CClipSynth synth(samples);
        synth.AddPartials(0, LengthMs(samples), {{1760}}, 2.0);
        return synth.Render(0.2);
    }
    case Clip::NoFunction: { // a key without a function: two dissonant bursts
        CClipSynth synth(samples);
        synth.AddPartials(5, 48, {{790}, {1155}, {1390}, {1485}}, 2.0);
        synth.AddPartials(110, 50, {{830}, {1220}, {1460}, {1565}}, 2.0);
        return synth.Render(0.22);
    }
    default:
        return {};
    }
}

} // namespace

std::vector<std::int16_t> CSoundBank::Clip(int clip)
{
    const MediaTable::SoundClipSpec* spec = MediaTable::FindSoundClip(clip);
    if (!spec)
        return {};
    for (const KeyTone& tone : KeyTones) {
        if (tone.clip == clip)
            return CClipSynth::DualTone(spec->samples, tone.lowHz, tone.highHz, TonePeak);
    }
    return Effect(clip, spec->samples);
}
