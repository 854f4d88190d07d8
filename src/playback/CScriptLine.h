#pragma once

#include <cstdint>
#include <optional>
#include <string>

// How the player reads one line of a script. Every function takes the line
// text as the document's GetLine returns it: left-trimmed, lower-case and cut
// at its line end.
class CScriptLine {
public:
    enum Command { None, Dial, Wait, Pause, Show, Play };

    // The command named by the first letters: "dial", "wait", "pause",
    // "show", "play", compared exactly, first match wins. "dialled 12" is a
    // dial line; a line shorter than the word matches nothing.
    static Command Recognise(const std::string& text);

    // The keys a dial line sends: every '0'-'9', '*' and '#' from the fifth
    // character on; anything else is skipped.
    static std::string DialKeys(const std::string& text);

    // The length of a wait line in milliseconds: the leading decimal integer
    // after the word (blanks skipped, optional sign, the rest ignored, no
    // digits = 0) times 1000. Seconds saturate at the largest count whose
    // milliseconds fit a signed 32-bit number, so huge numbers cannot
    // overflow; negative numbers end the wait at once.
    static std::int32_t WaitMs(const std::string& text);
    static constexpr std::int32_t MaxWaitSeconds = 2147483;

    // The wave file a play line names: the text between the first two
    // double quotes, lower-cased, at least 5 characters and ending in
    // ".wav". Nothing when the line cannot be played.
    static std::optional<std::string> PlayFileName(const std::string& text);

    // What the display previews of a line: its argument with the command
    // word dropped and blanks trimmed; a dial argument longer than 11
    // characters shows its first 11 followed by ">".
    static std::string PreviewText(const std::string& text);
};
