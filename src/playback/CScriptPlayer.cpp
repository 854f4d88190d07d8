#include "playback/CScriptPlayer.h"

#include "document/CDialScript.h"
#include "media/MediaIds.h"
#include "panel/CPanelCommands.h"
#include "panel/CPanelModes.h"
#include "panel/CPanelState.h"
#include "platform/CPlatform.h"
#include "playback/CKeyTable.h"
#include "playback/CKeypad.h"
#include "playback/CScriptLine.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>

#include <algorithm>

namespace {

// Fits the status line, as every status text must.
constexpr const char* SoundNotFound = "Stopped: Sound Not Found";

} // namespace

CScriptPlayer::CScriptPlayer(CPanelState& panel, CPanelModes& modes, CPanelCommands& commands, CKeypad& keypad)
    : m_panel(panel)
    , m_modes(modes)
    , m_commands(commands)
    , m_keypad(keypad)
{
}

std::string CScriptPlayer::LinePreview(int position)
{
    const int source = position <= 0 ? 0 : position + 1;
    // Nothing follows the last line: there is nothing to preview.
    if (source >= m_panel.script.GetLineCount())
        return std::string();
    return CScriptLine::PreviewText(m_panel.script.GetLine(source));
}

void CScriptPlayer::OnPlay()
{
    CDialScript& script = m_panel.script;
    if (script.GetName().empty()) {
        m_panel.platform.StartClip(Clip::Refusal);
        m_panel.statusText = "No Script Loaded";
        m_panel.displayText.clear();
        m_modes.RefreshPanel();
        return;
    }
    if (script.GetLineCount() == 0) {
        m_panel.platform.StartClip(Clip::Refusal);
        script.SetName(std::string());
        m_panel.statusText = "This Script is Empty";
        m_panel.displayText.clear();
        m_modes.RefreshPanel();
        return;
    }

    script.SetMode(ModePlaying);
    // The line list follows the line being played, not a selection the
    // panel carried from before.
    m_panel.lineListSelection.clear();
    m_modes.FillLineList();
    m_panel.displayText = LinePreview(0);
    m_panel.counterText = "000";
    m_panel.statusText = "...";
    m_modes.RefreshPanel();
    m_panel.platform.ProcessEvents();

    Run run;
    run.lastPosition = script.GetLineCount() - 1;
    for (; run.position <= run.lastPosition; ++run.position, ++run.lineNumber) {
        // The lines are read afresh each time: a script replaced from the
        // event pump (STOP, then '*' and Enter, handled together) may have
        // fewer lines than at the start.
        if (run.abort || Stopped(run) || run.position >= script.GetLineCount())
            break;
        const std::string text = script.GetLine(run.position);
        m_panel.counterText = CPanelModes::FormatCount(run.lineNumber);
        if (run.noteShown)
            run.noteShown = false; // the note stays up while this line plays
        else if (run.position < run.lastPosition)
            m_panel.displayText = LinePreview(run.position);
        ShowLine(run.position);

        switch (CScriptLine::Recognise(text)) {
        case CScriptLine::Dial:
            Dial(run, text);
            break;
        case CScriptLine::Wait:
            Wait(run, text);
            break;
        case CScriptLine::Pause:
            Pause(run);
            break;
        case CScriptLine::Show:
            m_panel.displayText = script.GetShowText(run.position);
            run.noteShown = true;
            break;
        case CScriptLine::Play:
            if (const std::optional<std::string> path = WaveFileOf(text)) {
                PlayWave(run, *path);
            } else {
                // A mistyped name must not look like a complete run.
                m_panel.platform.StartClip(Clip::Refusal);
                m_panel.statusText = SoundNotFound;
                run.abort = true;
            }
            break;
        case CScriptLine::None:
            break;
        }
    }

    // A closed panel is left alone, and so is one the user has taken on to
    // load a script or read the help after STOP.
    const DialMode mode = script.GetMode();
    if (m_panel.closing || mode == ModeLoading || mode == ModeInfo)
        return;
    m_panel.displayText = script.GetName();
    script.SetMode(ModeIdle);
    m_modes.RefreshPanel();
}

void CScriptPlayer::ShowLine(int position)
{
    QListWidget* list = m_panel.controls.lineList;
    if (QListWidgetItem* item = list->item(position)) {
        list->scrollToItem(item, QAbstractItemView::PositionAtTop);
        list->setCurrentRow(position);
    }
}

void CScriptPlayer::Dial(Run& run, const std::string& text)
{
    // Frame 10 lies beyond the flash clip: the lamp shows its last frame.
    m_modes.ShowStill(*m_panel.controls.activityLight, Clip::LampFlash, 10);
    m_panel.platform.ProcessEvents();
    if (Stopped(run))
        return;
    // The keys of one line sound back to back, each button drawn pressed
    // for its tone, and a STOP waits for the last of them. Only closing the
    // panel ends the line early.
    const std::string keys = CScriptLine::DialKeys(text);
    std::vector<int> tones;
    for (const char key : keys)
        tones.push_back(CKeyTable::FromCharacter(key)->toneClip);
    m_panel.platform.SoundDialLine(tones, [this, &keys](std::size_t key, bool sounding) {
        if (sounding && m_panel.closing)
            return false;
        m_keypad.ShowPressed(keys[key], sounding);
        return true;
    });
}

bool CScriptPlayer::Stopped(Run& run)
{
    const DialMode mode = m_panel.script.GetMode();
    if (!m_panel.closing && (mode == ModePlaying || mode == ModePaused || mode == ModeRepeat))
        return false;
    if (mode == ModeIdle)
        m_panel.statusText = "Script Aborted.";
    run.abort = true;
    return true;
}

bool CScriptPlayer::TakeStopOrRepeat(Run& run)
{
    if (Stopped(run))
        return true;
    const DialMode mode = m_panel.script.GetMode();
    if (mode == ModeRepeat && run.lineNumber >= 2) {
        // With the loop's step, the line before this one plays next, then
        // this line again.
        run.position -= 2;
        run.lineNumber -= 2;
        m_panel.script.SetMode(ModePlaying);
        return true;
    }
    return false;
}

void CScriptPlayer::Wait(Run& run, const std::string& text)
{
    CPlatform& platform = m_panel.platform;
    const std::int32_t length = CScriptLine::WaitMs(text);
    std::int32_t remaining = length;
    std::uint32_t deadline = platform.NowMs() + static_cast<std::uint32_t>(length);
    m_modes.PlayForever(*m_panel.controls.activityLight, Clip::LampCycle);
    m_modes.RefreshPanel();
    platform.ProcessEvents();
    // Whether the countdown stood still since the previous pass. The mode
    // changes only in handlers, which run as the blocking wait between two
    // passes ends, so the time of that wait belongs to the mode seen before
    // it: a pause that arrives after 4 s of a 10-second wait keeps 6 s, and
    // a resume after a minute's pause does not count the minute.
    bool stoodStill = false;
    for (;;) {
        if (TakeStopOrRepeat(run))
            break;
        const std::uint32_t now = platform.NowMs();
        if (stoodStill)
            deadline = now + static_cast<std::uint32_t>(remaining);
        else
            remaining = static_cast<std::int32_t>(deadline - now); // wraps like the clock
        if (remaining <= 0)
            break;
        stoodStill = m_panel.script.GetMode() == ModePaused;
        // Sleeps until the next event or the deadline instead of spinning;
        // every pass still checks the mode and reads the clock.
        platform.WaitForEvents(stoodStill ? -1 : remaining);
    }
    // PAUSE and REPEAT act only in waits and pauses; STOP stays live, since
    // it ends the playback before any later line.
    CPanelControls& c = m_panel.controls;
    c.closeArea->setEnabled(false);
    c.pause->setEnabled(false);
    c.repeat->setEnabled(false);
}

void CScriptPlayer::Pause(Run& run)
{
    CPanelControls& c = m_panel.controls;
    c.stop->setEnabled(true);
    c.pause->setEnabled(true);
    c.repeat->setEnabled(true);
    m_commands.OnPause();
    m_panel.platform.ProcessEvents();
    for (;;) {
        if (TakeStopOrRepeat(run))
            break;
        if (m_panel.script.GetMode() != ModePaused)
            break;
        m_panel.platform.WaitForEvents(-1);
    }
}

std::optional<std::string> CScriptPlayer::FindWaveFile(const std::string& directory, const std::string& name)
{
    const std::string exact = directory + name;
    if (QFileInfo(QFile::decodeName(QByteArray::fromStdString(exact))).isFile())
        return exact;
    if (name.find('/') != std::string::npos)
        return std::nullopt;
    // The player lowers the name, so a wave file copied as "Menu.WAV" is
    // found by comparing without regard to case.
    const QDir dir(directory.empty() ? QStringLiteral(".") : QFile::decodeName(QByteArray::fromStdString(directory)));
    const QString wanted = QFile::decodeName(QByteArray::fromStdString(name));
    for (const QString& entry : dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name)) {
        if (entry.compare(wanted, Qt::CaseInsensitive) == 0)
            return directory + QFile::encodeName(entry).toStdString();
    }
    return std::nullopt;
}

std::optional<std::string> CScriptPlayer::WaveFileOf(const std::string& text) const
{
    const std::optional<std::string> name = CScriptLine::PlayFileName(text);
    return name ? FindWaveFile(m_panel.scriptDirectory, *name) : std::nullopt;
}

void CScriptPlayer::PlayWave(Run& run, const std::string& path)
{
    CPlatform& platform = m_panel.platform;
    // As at a wait: STOP, PAUSE and REPEAT are live while the sound plays.
    m_modes.RefreshPanel();
    platform.ProcessEvents();
    std::int32_t lengthMs = -1; // known once the sound has started
    std::int32_t fromMs = 0; // where the sound starts, or resumes after a pause
    std::uint32_t endsAt = 0;
    bool sounding = false;
    for (;;) {
        if (TakeStopOrRepeat(run)) {
            platform.StopWaveFile();
            break;
        }
        const std::uint32_t now = platform.NowMs();
        if (m_panel.script.GetMode() == ModePaused) {
            if (sounding) {
                // PAUSE's own clip has cut the sound already; it resumes
                // where it was cut, as a wait keeps the time it had left.
                platform.StopWaveFile();
                fromMs = std::clamp(lengthMs - static_cast<std::int32_t>(endsAt - now), 0, lengthMs);
                sounding = false;
            }
            platform.WaitForEvents(-1);
            continue;
        }
        if (!sounding) {
            // A file that exists but cannot be sounded is passed over.
            if ((lengthMs >= 0 && fromMs >= lengthMs) || !platform.StartWaveFile(path, fromMs))
                break;
            sounding = true;
        }
        const int remaining = platform.WaveFileRemainingMs();
        if (lengthMs < 0)
            lengthMs = remaining;
        if (remaining <= 0)
            break;
        endsAt = now + static_cast<std::uint32_t>(remaining);
        platform.WaitForEvents(remaining);
    }
}
