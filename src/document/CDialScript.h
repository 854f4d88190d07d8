#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CPlatform;

// The one dial script in memory: its lines, its name, the script directory,
// and the state of a recording under way.
// Strings are 8-bit byte strings in the locale's encoding; lines may hold any
// byte, NUL included. Recorded lines end in CR LF, loaded lines have no LF and
// may end in CR; readers take the text before the first CR or LF.
class CDialScript {
public:
    static constexpr int LineLimit = 16384;
    static constexpr std::uint32_t GapThresholdMs = 2000;
    static constexpr char EndMarker = 0;
    static constexpr const char* Extension = ".dsq";
    static constexpr const char* DefaultName = "noname";

    // The clock of the platform times the gaps between recorded keys.
    explicit CDialScript(CPlatform& platform);

    // Empties the lines, the current line, the digits and the name; the
    // script directory and the timing stay.
    void Clear();
    // Clear, then a recording starts under the name "noname".
    bool NewRecording();
    // Records one key ('0'-'9', '*', '#') or, for EndMarker, closes the
    // recording and stores the pending dial line. Returns false when the
    // key brought the line count to LineLimit: the recording is full and
    // over, and the caller ends it as STOP does but without the end marker,
    // so that the pending line (this key) is not stored.
    bool RecordKey(char key);

    // Writes every line to script directory + name + ".dsq", loaded lines
    // with the line end they lost. Returns false, leaving any existing file
    // of that name untouched, when it fails.
    bool Save();
    // Replaces the lines by those of the file at path. Returns false and
    // leaves the document exactly as it was when the file cannot be read
    // (CScriptFile::Read: pipes, devices and oversized files are refused).
    bool Load(const std::string& path);

    void SetDirectory(const std::string& directory);
    std::string GetDirectory() const;
    std::string GetName() const;
    void SetName(const std::string& name);
    int GetLineCount() const;
    // Left-trims and lower-cases stored line i in place and returns its text
    // before the first CR or LF. Requires 0 <= i < GetLineCount().
    std::string GetLine(int i);
    // The argument of a show line: at most 12 characters, trimmed. The stored
    // line is not changed. Requires 0 <= i < GetLineCount().
    std::string GetShowText(int i) const;
    std::string GetDigits() const;

    // The stored bytes of line i, as kept in the table.
    const std::string& StoredLine(int i) const;

private:
    void StartTiming();
    bool MeasureGap();
    void StoreLine(std::string line);

    CPlatform& m_platform;
    std::vector<std::string> m_lines;
    std::string m_currentLine;
    std::string m_digits;
    std::string m_name;
    std::string m_directory;
    std::int32_t m_writeIndex = 0;
    std::uint32_t m_gap = 0;
    std::uint32_t m_lastKeyTime = 0;
};
