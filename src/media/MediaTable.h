#pragma once

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

// All 21 sound clips: the twelve key tones, then the nine effect sounds.
inline constexpr std::array<SoundClipSpec, 21> SoundClips = {{
    {192, 1155},
    {193, 1118},
    {194, 1118},
    {195, 1118},
    {196, 1118},
    {197, 1137},
    {198, 1137},
    {199, 1137},
    {200, 1136},
    {201, 1137},
    {246, 1132},
    {247, 1124},
    {248, 4113},
    {249, 2525},
    {250, 904},
    {252, 2757},
    {261, 2973},
    {262, 2094},
    {265, 1675},
    {266, 1119},
    {267, 1789},
}};

struct AnimationClipSpec {
    int clip;
    int width;
    int height;
    int frames;
    int framesPerSecond;
};

inline constexpr std::array<AnimationClipSpec, 9> AnimationClips = {{
    {170, 77, 15, 4, 1},
    {176, 77, 15, 4, 1},
    {186, 77, 15, 18, 1},
    {188, 77, 15, 2, 1},
    {264, 77, 15, 7, 2},
    {268, 77, 15, 1, 15},
    {242, 15, 15, 10, 5},
    {244, 15, 15, 16, 1},
    {245, 116, 75, 15, 15},
}};

// The bitmaps addressed by number (the face and the two toggle lamp pictures).
inline constexpr std::array<int, 3> Bitmaps = {168, 189, 190};

struct ButtonFaceSpec {
    std::string_view caption;
    std::string_view letters; // the faces that exist, "UD" or "UDX"
};

inline constexpr std::array<ButtonFaceSpec, 17> ButtonFaces = {{
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
}};

inline constexpr std::array<int, 2> IconSizes = {32, 16};
inline constexpr std::array<int, 2> Strings = {101, 102};

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

// Where each medium lies below the resource root ":/media/" (and below the
// generator's output directory).
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
    return QStringLiteral("icon/128-%1.png").arg(size);
}

inline QString StringPath(int id)
{
    return QStringLiteral("string/%1.txt").arg(id);
}

} // namespace MediaTable
