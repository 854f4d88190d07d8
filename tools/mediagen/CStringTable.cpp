#include "CStringTable.h"

#include "media/MediaIds.h"

#include <array>

namespace {

// The help text, one line per entry; each line is ended by CR LF. The ten
// lines after the credits are kept exactly as they have always read,
// spelling and trailing blanks included.
constexpr std::array<const char*, 16> HelpLines = {
    "Pelmora v.0.99b",
    "by the Pelmora developers",
    "https://pelmora.example.org",
    "",
    "Idea: the Pelmora developers",
    "",
    "This application can be used",
    "for easy recording and playback",
    "of dial-up sequences. Recorded",
    "sequences can be easily saved ",
    "as script files and used again",
    "when needed. Script fles are",
    "saved as plain-text files and",
    "can be easly edited using ",
    "Notepad or any other text ",
    "editor.",
};

} // namespace

QByteArray CStringTable::String(int id)
{
    if (id == Strings::AboutMenuItem)
        return QByteArrayLiteral("&About mirvat01...");
    if (id == Strings::HelpText) {
        QByteArray text;
        for (const char* line : HelpLines) {
            text += line;
            text += "\r\n";
        }
        return text;
    }
    return {};
}
