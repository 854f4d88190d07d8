#pragma once

#include <cstdint>
#include <optional>
#include <string>

class CKeypad;
class CPanelCommands;
class CPanelModes;
struct CPanelState;

// PLAY: carries out the loaded script line by line inside the click handler
// and returns when the script has ended or was stopped. It keeps the panel
// alive by pumping events at fixed points; the STOP, PAUSE and REPEAT
// handlers that run from that pump steer it only through the document's
// mode. STOP ends the playback before the next line; PAUSE and REPEAT act
// inside wait, pause and play lines. Closing the panel ends it at once.
class CScriptPlayer {
public:
    CScriptPlayer(CPanelState& panel, CPanelModes& modes, CPanelCommands& commands, CKeypad& keypad);

    void OnPlay();
    // The display text while the line at position plays: the first line's
    // own argument at the start, otherwise the argument of the next line
    // (empty when there is none).
    std::string LinePreview(int position);

    // The wave file a play line names, looked up in directory: the exact
    // name first, then the same name in any letter case. Names are taken
    // literally (no wildcards); only files count, not directories. Nothing
    // when no such file exists.
    static std::optional<std::string> FindWaveFile(const std::string& directory, const std::string& name);

private:
    // Per-playback state; discarded when OnPlay returns.
    struct Run {
        int position = 0;
        int lineNumber = 1;
        int lastPosition = 0;
        bool abort = false;
        bool noteShown = false;
    };

    void Dial(Run& run, const std::string& text);
    void Wait(Run& run, const std::string& text);
    void Pause(Run& run);
    // Sounds the wave file while the panel stays live, as a wait whose
    // length is the sound's: PAUSE cuts it and resumes it where it stopped,
    // STOP, REPEAT and closing cut it for good.
    void PlayWave(Run& run, const std::string& path);
    // The file a play line names, nothing when the line cannot be played.
    std::optional<std::string> WaveFileOf(const std::string& text) const;
    // True, with the abort flag set, once the playback must end: the panel
    // is closing, or STOP has left the playing modes (and maybe the user
    // has gone on to load a script or read the help).
    bool Stopped(Run& run);
    // Acts on STOP and REPEAT seen during a wait, pause or play line.
    // Returns true when the line must be left.
    bool TakeStopOrRepeat(Run& run);
    void ShowLine(int position);

    CPanelState& m_panel;
    CPanelModes& m_modes;
    CPanelCommands& m_commands;
    CKeypad& m_keypad;
};
