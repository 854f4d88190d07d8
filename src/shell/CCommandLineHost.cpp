#include "shell/CCommandLineHost.h"

#include "document/CDialScript.h"
#include "document/CScriptText.h"
#include "platform/CPlatform.h"
#include "shell/CSignalWatcher.h"

#include <QSocketNotifier>

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

CCommandLineHost::CCommandLineHost(
    const CDialScript& script, CPlatform& platform, const Settings& settings, std::FILE* out, std::FILE* err)
    : m_platform(platform)
    , m_settings(settings)
    , m_out(out)
    , m_err(err)
    , m_startMs(platform.NowMs())
{
    m_lines.reserve(std::size_t(script.GetLineCount()));
    for (int i = 0; i < script.GetLineCount(); ++i) {
        const std::string& stored = script.StoredLine(i);
        m_lines.push_back(CScriptText::Trim(stored.substr(0, stored.find_first_of("\r\n"))));
    }
    // Standard input is watched for the whole playback, so that an Enter
    // typed before a pause line does not end that pause unseen.
    if (m_settings.pauseLines == PauseLines::WaitForEnter && ::fcntl(STDIN_FILENO, F_GETFD) != -1) {
        m_input = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
        QObject::connect(m_input.get(), &QSocketNotifier::activated, m_input.get(), [this] { ReadInput(); });
    } else {
        m_inputEnded = true;
    }
}

CCommandLineHost::~CCommandLineHost() = default;

std::string CCommandLineHost::FormatTime(std::uint32_t ms)
{
    char text[32];
    std::snprintf(text, sizeof text, "%02u:%02u.%03u", ms / 60000, ms / 1000 % 60, ms % 1000);
    return text;
}

std::string CCommandLineHost::Now()
{
    return FormatTime(m_platform.NowMs() - m_startMs);
}

std::string CCommandLineHost::LineText(int position) const
{
    return position >= 0 && std::size_t(position) < m_lines.size() ? m_lines[std::size_t(position)] : std::string();
}

CPlaybackHost::Request CCommandLineHost::PendingRequest()
{
    // The program is ending on the signal: a wave file or a wait is cut,
    // a dial line ends after the key that sounds.
    if (CSignalWatcher::Received() != 0)
        return Request::Close;
    return m_paused ? Request::Pause : Request::Play;
}

void CCommandLineHost::PauseLineReached()
{
    const std::string where = "pelmora: " + m_settings.scriptLabel + ":" + std::to_string(m_position + 1) + ": ";
    switch (m_settings.pauseLines) {
    case PauseLines::Silence:
        std::fprintf(
            m_err, "%spause line at %s: %d s of silence\n", where.c_str(), Now().c_str(), m_settings.pauseSeconds);
        m_platform.HoldInput(m_settings.pauseSeconds * 1000);
        break;
    case PauseLines::WaitForEnter:
        if (m_inputEnded)
            break;
        std::fprintf(m_err, "%spaused: press Enter to go on\n", where.c_str());
        m_paused = true;
        break;
    case PauseLines::PassOver:
        break;
    }
    std::fflush(m_err);
}

void CCommandLineHost::ReadInput()
{
    char bytes[256];
    const ssize_t got = ::read(STDIN_FILENO, bytes, sizeof bytes);
    if (got < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (got <= 0) {
        // Nobody can press Enter any more: this pause and every later one
        // pass over.
        m_inputEnded = true;
        m_input->setEnabled(false);
        m_paused = false;
        return;
    }
    if (m_paused && std::string_view(bytes, std::size_t(got)).find('\n') != std::string_view::npos)
        m_paused = false;
}

void CCommandLineHost::LineStarted(int position, int, const std::optional<std::string>&)
{
    m_position = position;
    if (!m_settings.printLines)
        return;
    std::fprintf(m_out, "%s [%d] %s\n", Now().c_str(), position + 1, LineText(position).c_str());
    std::fflush(m_out);
}

void CCommandLineHost::NoteShown(const std::string&)
{
    // The whole note as written: a terminal is not limited to the
    // display's twelve characters.
    const std::string line = LineText(m_position);
    const std::string note = CScriptText::Trim(line.size() > 4 ? line.substr(4) : std::string());
    std::fprintf(m_out, "%s%s%s\n", Now().c_str(), note.empty() ? "" : " ", note.c_str());
    std::fflush(m_out);
}

void CCommandLineHost::Ended(Outcome outcome, int position)
{
    m_outcome = outcome;
    m_position = position;
}
