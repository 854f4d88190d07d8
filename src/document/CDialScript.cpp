#include "document/CDialScript.h"

#include "document/CScriptFile.h"
#include "document/CScriptText.h"
#include "platform/CPlatform.h"

#include <cstdio>

namespace {

constexpr const char* DialPrefix = "dial ";
constexpr const char* LineEnd = "\r\n";
constexpr std::size_t DisplayWidth = 12;

std::string TextBeforeLineEnd(const std::string& line)
{
    return line.substr(0, line.find_first_of("\r\n"));
}

} // namespace

CDialScript::CDialScript(CPlatform& platform)
    : m_platform(platform)
    , m_lines(LineLimit)
{
}

void CDialScript::Clear()
{
    std::vector<std::string>().swap(m_lines);
    m_currentLine.clear();
    m_digits.clear();
    m_name.clear();
    m_writeIndex = 0;
}

bool CDialScript::NewRecording()
{
    Clear();
    m_name = DefaultName;
    return true;
}

void CDialScript::StartTiming()
{
    m_lastKeyTime = m_platform.NowMs();
    m_gap = 0;
}

bool CDialScript::MeasureGap()
{
    const std::uint32_t now = m_platform.NowMs();
    m_gap = now - m_lastKeyTime; // modulo 2^32: a wrap of the clock still gives the true gap
    m_lastKeyTime = now;
    return m_gap > GapThresholdMs;
}

void CDialScript::StoreLine(std::string line)
{
    if (m_writeIndex < static_cast<std::int32_t>(m_lines.size()))
        m_lines[static_cast<std::size_t>(m_writeIndex)] = std::move(line);
    else
        m_lines.push_back(std::move(line));
    ++m_writeIndex;
}

bool CDialScript::RecordKey(char key)
{
    if (m_writeIndex == 0 && m_currentLine.empty()) {
        StartTiming();
        m_currentLine = DialPrefix;
        if (key == EndMarker)
            return true;
    } else if (key == EndMarker) {
        // The pending dial line is kept whenever it holds a key, so that a
        // number dialled in one go is not lost for want of a pause.
        if (m_currentLine.size() > std::char_traits<char>::length(DialPrefix))
            StoreLine(m_currentLine + LineEnd);
        m_writeIndex = 0;
        return true;
    } else if (MeasureGap()) {
        StoreLine(m_currentLine + LineEnd);
        char wait[32];
        std::snprintf(wait, sizeof wait, "wait %u\r\n", static_cast<unsigned>(m_gap / 1000));
        StoreLine(wait);
        m_digits.clear();
        m_currentLine = DialPrefix;
    }
    m_currentLine += key;
    m_digits += key;
    // Full: the recording ends here, without the pending line.
    return m_writeIndex != LineLimit;
}

bool CDialScript::Save()
{
    return CScriptFile::Write(m_directory + m_name + Extension, CScriptFile::Encode(m_lines));
}

bool CDialScript::Load(const std::string& path)
{
    std::optional<std::string> content = CScriptFile::Read(path);
    if (!content)
        return false;
    m_lines = CScriptFile::Decode(*content);
    m_currentLine.clear();
    m_digits.clear();
    m_writeIndex = static_cast<std::int32_t>(m_lines.size());
    return true;
}

void CDialScript::SetDirectory(const std::string& directory)
{
    m_directory = directory;
}

std::string CDialScript::GetDirectory() const
{
    return m_directory;
}

std::string CDialScript::GetName() const
{
    return m_name;
}

void CDialScript::SetName(const std::string& name)
{
    m_name = name;
}

int CDialScript::GetLineCount() const
{
    return static_cast<int>(m_lines.size());
}

std::string CDialScript::GetLine(int i)
{
    std::string& line = m_lines.at(static_cast<std::size_t>(i));
    line = CScriptText::TrimLeft(line);
    CScriptText::LowerInPlace(line);
    return TextBeforeLineEnd(line);
}

std::string CDialScript::GetShowText(int i) const
{
    const std::string text = CScriptText::Trim(TextBeforeLineEnd(m_lines.at(static_cast<std::size_t>(i))));
    if (text.size() <= 4)
        return std::string();
    return CScriptText::TrimLeft(text.substr(4)).substr(0, DisplayWidth);
}

std::string CDialScript::GetDigits() const
{
    return m_digits;
}

const std::string& CDialScript::StoredLine(int i) const
{
    return m_lines.at(static_cast<std::size_t>(i));
}
