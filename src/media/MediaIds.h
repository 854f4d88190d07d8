#pragma once

// Resource numbers of the embedded media and the control ids of the panel
// layout. They are part of every interface that sounds a clip, drives an
// animation or finds a control, so code names them here. This is the one
// place a medium's number is written: MediaTable.h describes each medium by
// these names, and the build embeds what the media generator writes from
// that table.
namespace Clip {
// Key tones (the key table maps keys to them; the numbers are out of order).
constexpr int Tone9 = 192;
constexpr int Tone1 = 193;
constexpr int Tone2 = 194;
constexpr int Tone3 = 195;
constexpr int Tone4 = 196;
constexpr int Tone5 = 197;
constexpr int Tone6 = 198;
constexpr int Tone7 = 199;
constexpr int Tone8 = 200;
constexpr int Tone0 = 201;
constexpr int ToneHash = 246;
constexpr int ToneStar = 247;

// Effect sounds.
constexpr int StopBeeps = 248; // STOP while a script plays or is paused
constexpr int RecordBeeps = 249; // REC
constexpr int PauseBeep = 250; // PAUSE, both ways, and a pause line
constexpr int Refusal = 252; // cancelled, nothing recorded, nothing to play
constexpr int CloseBlips = 261; // close area (played to its end)
constexpr int IntroBlips = 262; // opening sequence
constexpr int ConfirmBuzz = 265; // script saved or loaded (played to its end)
constexpr int Chime = 266; // file choice, help text, name entry
constexpr int NoFunction = 267; // a key without a meaning while idle

// Animation clips (their frame sizes, counts and rates are in MediaTable.h).
constexpr int BannerRecord = 170;
constexpr int BannerPlay = 176;
constexpr int BannerReady = 186;
constexpr int BannerPause = 188;
constexpr int BannerStills = 264; // stills: REPEAT, ERROR x2, LOAD x2, SAVE x2
constexpr int BannerHelp = 268;
constexpr int LampFlash = 242;
constexpr int LampCycle = 244;
constexpr int IntroReel = 245;
} // namespace Clip

namespace Bitmap {
constexpr int Face = 168; // 182 x 449, painted under the panel's controls
constexpr int LampBox = 189; // 20 x 15, toggle lamp on
constexpr int LampSpeaker = 190; // 20 x 15, toggle lamp off (the start)
constexpr int Icon = 128; // in the sizes of MediaTable::IconSizes
} // namespace Bitmap

namespace Strings {
constexpr int AboutMenuItem = 101; // "&About mirvat01..."
constexpr int HelpText = 102; // shown in the info text by the # key
} // namespace Strings

// Controls of the panel layout other than the twelve keys, whose ids are in
// the key table.
namespace ControlId {
constexpr int Play = 1001;
constexpr int ScriptList = 1004;
constexpr int LineList = 1005;
constexpr int Display = 1006;
constexpr int Rec = 1019;
constexpr int Pause = 1020;
constexpr int Stop = 1021;
constexpr int Repeat = 1022;
constexpr int ModeBanner = 1024;
constexpr int StatusLine = 1025;
constexpr int CloseArea = 1027;
constexpr int DragBar = 1029;
constexpr int ToggleLamp = 1030;
constexpr int InfoText = 1032;
constexpr int ActivityLight = 1033;
constexpr int IntroReel = 1034;
constexpr int LineCounter = 1035;
} // namespace ControlId
