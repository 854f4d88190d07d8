#include "panel/CPanelPlayback.h"

#include "document/CDialScript.h"
#include "media/MediaIds.h"
#include "panel/CPanelCommands.h"
#include "panel/CPanelModes.h"
#include "panel/CPanelState.h"
#include "platform/CPlatform.h"
#include "playback/CKeypad.h"

#include <QAbstractButton>
#include <QListWidget>

CPanelPlayback::CPanelPlayback(CPanelState& panel, CPanelModes& modes, CPanelCommands& commands, CKeypad& keypad)
    : m_panel(panel)
    , m_modes(modes)
    , m_commands(commands)
    , m_keypad(keypad)
    , m_player(panel.platform)
{
}

void CPanelPlayback::OnPlay()
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
    m_panel.displayText = CScriptPlayer::LinePreview(script, 0);
    m_panel.counterText = "000";
    m_panel.statusText = "...";
    m_modes.RefreshPanel();
    m_panel.platform.ProcessEvents();
    m_player.Play(script, m_panel.scriptDirectory, *this);
}

CPlaybackHost::Request CPanelPlayback::PendingRequest()
{
    if (m_panel.closing)
        return Request::Close;
    switch (m_panel.script.GetMode()) {
    case ModePlaying:
        return Request::Play;
    case ModePaused:
        return Request::Pause;
    case ModeRepeat:
        return Request::Repeat;
    default:
        // STOP has left the playing modes, and maybe the user has gone on
        // to load a script or read the help.
        return Request::Stop;
    }
}

void CPanelPlayback::RepeatTaken()
{
    m_panel.script.SetMode(ModePlaying);
}

void CPanelPlayback::PauseLineReached()
{
    CPanelControls& c = m_panel.controls;
    c.stop->setEnabled(true);
    c.pause->setEnabled(true);
    c.repeat->setEnabled(true);
    m_commands.OnPause();
}

void CPanelPlayback::LineStarted(int position, int lineNumber, const std::optional<std::string>& preview)
{
    m_panel.counterText = CPanelModes::FormatCount(lineNumber);
    if (preview)
        m_panel.displayText = *preview;
    QListWidget* list = m_panel.controls.lineList;
    if (QListWidgetItem* item = list->item(position)) {
        list->scrollToItem(item, QAbstractItemView::PositionAtTop);
        list->setCurrentRow(position);
    }
}

void CPanelPlayback::NoteShown(const std::string& text)
{
    m_panel.displayText = text;
}

void CPanelPlayback::KeySounding(char key, bool sounding)
{
    m_keypad.ShowPressed(key, sounding);
}

void CPanelPlayback::ActivityChanged(Activity activity)
{
    CPanelControls& c = m_panel.controls;
    switch (activity) {
    case Activity::Dialling:
        // Frame 10 lies beyond the flash clip: the lamp shows its last frame.
        m_modes.ShowStill(*c.activityLight, Clip::LampFlash, 10);
        break;
    case Activity::Waiting:
        m_modes.PlayForever(*c.activityLight, Clip::LampCycle);
        m_modes.RefreshPanel();
        break;
    case Activity::WaitOver:
        // PAUSE and REPEAT act only in waits and pauses; STOP stays live,
        // since it ends the playback before any later line.
        c.closeArea->setEnabled(false);
        c.pause->setEnabled(false);
        c.repeat->setEnabled(false);
        break;
    case Activity::SoundingFile:
        m_modes.RefreshPanel();
        break;
    }
}

void CPanelPlayback::Ended(Outcome outcome, int)
{
    const DialMode mode = m_panel.script.GetMode();
    if (outcome == Outcome::Stopped && mode == ModeIdle)
        m_panel.statusText = "Script Aborted.";
    if (outcome == Outcome::SoundNotFound) {
        // Fits the status line, as every status text must.
        m_panel.platform.StartClip(Clip::Refusal);
        m_panel.statusText = "Stopped: Sound Not Found";
    }
    // A closed panel is left alone, and so is one the user has taken on to
    // load a script or read the help after STOP.
    if (m_panel.closing || mode == ModeLoading || mode == ModeInfo)
        return;
    m_panel.displayText = m_panel.script.GetName();
    m_panel.script.SetMode(ModeIdle);
    m_modes.RefreshPanel();
}
