#pragma once

#include <QByteArray>

// The string resources: Strings::AboutMenuItem, the About item of the
// system menu, and Strings::HelpText, the help text that the # key shows, as
// 8-bit bytes with CR LF line ends.
class CStringTable {
public:
    // The bytes of string id; empty for an unknown number.
    static QByteArray String(int id);
};
