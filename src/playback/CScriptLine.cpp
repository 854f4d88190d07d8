#include "playback/CScriptLine.h"

#include "document/CScriptText.h"
#include "playback/CKeyTable.h"

#include <array>
#include <string_view>

namespace {

constexpr std::size_t WordLength = 4; // "dial", "wait", "show", "play"
constexpr std::size_t PreviewWidth = 11;

bool StartsWith(const std::string& text, std::string_view word)
{
    return text.compare(0, word.size(), word) == 0 && text.size() >= word.size();
}

std::string Argument(const std::string& text)
{
    return text.size() > WordLength ? text.substr(WordLength) : std::string();
}

} // namespace

CScriptLine::Command CScriptLine::Recognise(const std::string& text)
{
    static constexpr std::array<std::pair<std::string_view, Command>, 5> words = {{
        {"dial", Dial},
        {"wait", Wait},
        {"pause", Pause},
        {"show", Show},
        {"play", Play},
    }};
    for (const auto& [word, command] : words) {
        if (StartsWith(text, word))
            return command;
    }
    return None;
}

std::string CScriptLine::DialKeys(const std::string& text)
{
    std::string keys;
    for (const char c : Argument(text)) {
        if (CKeyTable::FromCharacter(c) != nullptr)
            keys += c;
    }
    return keys;
}

std::int32_t CScriptLine::WaitMs(const std::string& text)
{
    const std::string argument = CScriptText::TrimLeft(Argument(text));
    if (argument.empty())
        return 0;
    std::size_t i = 0;
    bool negative = false;
    if (argument[i] == '+' || argument[i] == '-') {
        negative = argument[i] == '-';
        ++i;
    }
    std::int64_t seconds = 0;
    for (; i < argument.size() && argument[i] >= '0' && argument[i] <= '9'; ++i) {
        seconds = seconds * 10 + (argument[i] - '0');
        if (seconds > MaxWaitSeconds)
            seconds = MaxWaitSeconds; // saturate: the digits that follow cannot make it smaller
    }
    return static_cast<std::int32_t>((negative ? -seconds : seconds) * 1000);
}

std::optional<std::string> CScriptLine::PlayFileName(const std::string& text)
{
    const std::size_t open = text.find('"');
    if (open == std::string::npos)
        return std::nullopt;
    const std::size_t close = text.find('"', open + 1);
    if (close == std::string::npos || close - open - 1 < 5)
        return std::nullopt;
    std::string name = text.substr(open + 1, close - open - 1);
    CScriptText::LowerInPlace(name);
    if (name.compare(name.size() - 4, 4, ".wav") != 0)
        return std::nullopt;
    return name;
}

std::string CScriptLine::PreviewText(const std::string& text)
{
    const std::string trimmed = CScriptText::TrimRight(text);
    std::string argument = CScriptText::TrimLeft(Argument(trimmed));
    if (StartsWith(trimmed, "dial") && argument.size() > PreviewWidth)
        argument = argument.substr(0, PreviewWidth) + ">";
    return argument;
}
