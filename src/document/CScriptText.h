#pragma once

#include <string>

// The text rules of script lines, shared by the document and the player:
// white space is C's (blank, tab, line ends, vertical tab, form feed), and
// only ASCII letters change case, so that bytes of any locale pass through.
class CScriptText {
public:
    static std::string TrimLeft(const std::string& text);
    static std::string TrimRight(const std::string& text);
    static std::string Trim(const std::string& text);
    static void LowerInPlace(std::string& text);
};
