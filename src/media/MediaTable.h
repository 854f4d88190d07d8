#pragma once

#include "media/MediaIds.h"

#include <QString>

#include <array>
#include <string_view>

// The fixed facts of every embedded medium that both the media generator and
// the catalogue need: which numbers exist, how long each sound clip is, the
// frame geometry and rate of each animation clip, which button faces exist,
// and where each medium lies below the resource root. Header only, so that
// the generator can use it without linking the library that embeds its own
// output.
namespace MediaTable {

struct SoundClipSpec {
    int clip;
    int samples;
};

// Every sound clip: the twelve key tones, then the effect sounds.
inline constexpr auto SoundClips = std::to_array<SoundClipSpec>({
    {Clip::Tone9, 1155},
    {Clip::Tone1, 1118},
    {Clip::Tone2, 1118},
    {Clip::Tone3, 1118},
    {Clip::Tone4, 1118},
    {Clip::Tone5, 1137},
    {Clip::Tone6, 1137},
    {Clip::Tone7, 1137},
    {Clip::Tone8, 1136},
    {Clip::Tone0, 1137},
    {Clip::ToneHash, 1132},
    {Clip::ToneStar, 1124},
    {Clip::StopBeeps, 4113},
    {Clip::RecordBeeps, 2525},
    {Clip::PauseBeep, 904},
    {Clip::Refusal, 2757},
    {Clip::CloseBlips, 2973},
    {Clip::IntroBlips, 2094},
    {Clip::ConfirmBuzz, 1675},
    {Clip::Chime, 1119},
    {Clip::NoFunction, 1789},
});

struct AnimationClipSpec {
    int clip;
    int width;
    int height;
    int frames;
    int framesPerSecond;
};

inline constexpr auto AnimationClips = std::to_array<AnimationClipSpec>({
    {Clip::BannerRecord, 77, 15, 4, 1},
    {Clip::BannerPlay, 77, 15, 4, 1},
    {Clip::BannerReady, 77, 15, 18, 1},
    {Clip::BannerPause, 77, 15, 2, 1},
    {Clip::BannerStills, 77, 15, 7, 2},
    {Clip::BannerHelp, 77, 15, 1, 15},
    {Clip::LampFlash, 15, 15, 10, 5},
    {Clip::LampCycle, 15, 15, 16, 1},
    {Clip::IntroReel, 116, 75, 15, 15},
});

// The bitmaps addressed by number (the face and the two toggle lamp pictures).
inline constexpr auto Bitmaps = std::to_array({Bitmap::Face, Bitmap::LampBox, Bitmap::LampSpeaker});

struct ButtonFaceSpec {
    std::string_view caption;
    std::string_view letters; // the faces that exist, "UD" or "UDX"
};

inline constexpr auto ButtonFaces = std::to_array<ButtonFaceSpec>({
    {"DIAL1", "UD"},
    {"DIAL2", "UD"},
    {"DIAL3", "UD"},
    {"DIAL4", "UD"},
    {"DIAL5", "UD"},
    {"DIAL6", "UD"},
    {"DIAL7", "UD"},
    {"DIAL8", "UD"},
    {"DIAL9", "UD"},
    {"DIAL0", "UD"},
    {"DIALS", "UD"},
    {"DIALH", "UD"},
    {"PLAY", "UD"},
    {"REC", "UD"},
    {"PAUSE", "UDX"},
    {"STOP", "UDX"},
    {"REPEAT", "UDX"},
});

// The images of icon Bitmap::Icon, in pixels square.
inline constexpr auto IconSizes = std::to_array({32, 16});
inline constexpr auto Strings = std::to_array({::Strings::AboutMenuItem, ::Strings::HelpText});

// The first sound clip, animation clip or button face spec that matches, or
// nullptr.
constexpr const SoundClipSpec* FindSoundClip(int clip)
{
    for (const SoundClipSpec& spec : SoundClips) {
        if (spec.clip == clip)
            return &spec;
    }
    return nullptr;
}

constexpr const AnimationClipSpec* FindAnimationClip(int clip)
{
    for (const AnimationClipSpec& spec : AnimationClips) {
        if (spec.clip == clip)
            return &spec;
    }
    return nullptr;
}

constexpr const ButtonFaceSpec* FindButtonFace(std::string_view caption)
{
    for (const ButtonFaceSpec& spec : ButtonFaces) {
        if (spec.caption == caption)
            return &spec;
    }
    return nullptr;
}

// The resource directory the media are embedded in: a medium at PATH below
// it is read as ":/media/PATH".
inline constexpr QLatin1String ResourcePrefix("/media");

// Where each medium lies below ResourcePrefix (and below the generator's
// output directory).
inline QString SoundPath(int clip)
{
    return QStringLiteral("sound/%1.wav").arg(clip);
}

inline QString AnimationPath(int clip)
{
    return QStringLiteral("anim/%1.png").arg(clip);
}

inline QString BitmapPath(int id)
{
    return QStringLiteral("bitmap/%1.png").arg(id);
}

inline QString ButtonFacePath(const QString& caption, char letter)
{
    return QStringLiteral("button/%1%2.png").arg(caption).arg(QLatin1Char(letter));
}

inline QString IconPath(int size)
{
    return QStringLiteral("icon/%1-%2.png").arg(Bitmap::Icon).arg(size);
}

inline QString StringPath(int id)
{
    return QStringLiteral("string/%1.txt").arg(id);
}

} // namespace MediaTable
