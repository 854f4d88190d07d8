// The script reader, every line accessor and the player's reading of each
// line, on any bytes: each result must keep its promises, and wait lengths
// and previews must agree with a reading made here another way.
#include "CSilentPlatform.h"
#include "FuzzSupport.h"
#include "document/CDialScript.h"
#include "document/CScriptFile.h"
#include "playback/CScriptLine.h"

#include <algorithm>
#include <string_view>

namespace {

constexpr std::string_view Blanks = " \t\n\v\f\r";

std::string_view TrimLeft(std::string_view text)
{
    while (!text.empty() && Blanks.find(text.front()) != std::string_view::npos)
        text.remove_prefix(1);
    return text;
}

// The argument after the word, trimmed; a dial argument of more than 11
// characters shows 11 and ">".
std::string Preview(std::string_view text)
{
    while (!text.empty() && Blanks.find(text.back()) != std::string_view::npos)
        text.remove_suffix(1);
    const std::string_view argument = TrimLeft(text.size() > 4 ? text.substr(4) : std::string_view());
    if (text.starts_with("dial") && argument.size() > 11)
        return std::string(argument.substr(0, 11)) + ">";
    return std::string(argument);
}

// The C library's reading of the leading integer, which saturates instead
// of overflowing, held to the longest wait.
std::int64_t WaitMs(const std::string& text)
{
    const long long seconds = text.size() > 4 ? std::strtoll(text.c_str() + 4, nullptr, 10) : 0;
    return std::clamp<long long>(seconds, -CScriptLine::MaxWaitSeconds, CScriptLine::MaxWaitSeconds) * 1000;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // One document for every input, as the panel has: a new one would
    // spend most of the time on its 16,384 empty lines.
    static CSilentPlatform platform;
    static CDialScript script(platform);
    if (!script.Load(ScratchFile("script.dsq", data, size))) {
        FUZZ_CHECK(size > CScriptFile::MaxBytes);
        return 0;
    }
    for (int i = 0; i < script.GetLineCount(); ++i) {
        FUZZ_CHECK(script.StoredLine(i).find_first_of("\n\x1a") == std::string::npos);
        FUZZ_CHECK(script.GetShowText(i).size() <= 12); // before GetLine normalises the line, and after
        const std::string text = script.GetLine(i);
        FUZZ_CHECK(text.find_first_of("\r\n\x1a") == std::string::npos && TrimLeft(text).size() == text.size());
        FUZZ_CHECK(std::none_of(text.begin(), text.end(), [](char c) { return c >= 'A' && c <= 'Z'; }));
        FUZZ_CHECK(script.GetShowText(i).size() <= 12);

        CScriptLine::Recognise(text);
        FUZZ_CHECK(CScriptLine::WaitMs(text) == WaitMs(text));
        FUZZ_CHECK(CScriptLine::PreviewText(text) == Preview(text));
        const std::string keys = CScriptLine::DialKeys(text);
        FUZZ_CHECK(keys.find_first_not_of("0123456789*#") == std::string::npos);
        if (const auto name = CScriptLine::PlayFileName(text))
            FUZZ_CHECK(name->size() >= 5 && name->ends_with(".wav") && name->find('"') == std::string::npos);
    }
    return 0;
}
