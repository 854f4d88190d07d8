#pragma once

#include "playback/CPlaybackHost.h"
#include "playback/CScriptPlayer.h"

class CKeypad;
class CPanelCommands;
class CPanelModes;
struct CPanelState;

// PLAY on the panel: the checks and the look before a playback starts, and
// the host through which the player shows its lines, keys and lamp on the
// panel and reads the user's STOP, PAUSE and REPEAT from the mode. The
// playback runs inside PLAY's click handler; the panel's other handlers run
// from inside it whenever the player lets events be processed.
class CPanelPlayback : public CPlaybackHost {
public:
    CPanelPlayback(CPanelState& panel, CPanelModes& modes, CPanelCommands& commands, CKeypad& keypad);

    void OnPlay();

    Request PendingRequest() override;
    void RepeatTaken() override;
    void PauseLineReached() override;
    void LineStarted(int position, int lineNumber, const std::optional<std::string>& preview) override;
    void NoteShown(const std::string& text) override;
    void KeySounding(char key, bool sounding) override;
    void ActivityChanged(Activity activity) override;
    void Ended(Outcome outcome, int position) override;

private:
    CPanelState& m_panel;
    CPanelModes& m_modes;
    CPanelCommands& m_commands;
    CKeypad& m_keypad;
    CScriptPlayer m_player;
};
