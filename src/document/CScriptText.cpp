#include "document/CScriptText.h"

namespace {

constexpr const char* WhiteSpace = " \t\n\v\f\r";

} // namespace

std::string CScriptText::TrimLeft(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(WhiteSpace);
    return first == std::string::npos ? std::string() : text.substr(first);
}

std::string CScriptText::TrimRight(const std::string& text)
{
    return text.substr(0, text.find_last_not_of(WhiteSpace) + 1);
}

std::string CScriptText::Trim(const std::string& text)
{
    return TrimRight(TrimLeft(text));
}

void CScriptText::LowerInPlace(std::string& text)
{
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
}
