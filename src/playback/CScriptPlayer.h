#pragma once

#include "playback/CPlaybackHost.h"

#include <optional>
#include <string>

class CDialScript;
class CPlatform;

// Plays a script line by line on the platform and returns when it has
// ended. It sounds the keys, counts down the waits and sounds the wave
// files; whoever presents the playback (the panel, or a front end without a
// window) is told what happens and steers it only through the host's
// PendingRequest. The host's input is handled while the player lets the
// platform process events: STOP ends the playback before the next line;
// PAUSE and REPEAT act inside wait, pause and play lines; closing ends it at
// once.
class CScriptPlayer {
public:
    explicit CScriptPlayer(CPlatform& platform);

    // Plays script from its first line; wave files are looked up in
    // waveDirectory ("" for the working directory, else with a trailing
    // '/'). Calls host.Ended last and returns the same outcome. The script
    // is read afresh before each line: the host may change it meanwhile.
    // Reading a line normalises it in the document (CDialScript::GetLine),
    // hence the script is not const.
    CPlaybackHost::Outcome Play(CDialScript& script, const std::string& waveDirectory, CPlaybackHost& host);

    // The display text while the line at position plays: the first line's
    // own argument at the start, otherwise the argument of the next line
    // (empty when there is none).
    static std::string LinePreview(CDialScript& script, int position);

    // The wave file a play line names, looked up in directory: the exact
    // name first, then the same name in any letter case. Names are taken
    // literally (no wildcards); only files count, not directories. Nothing
    // when no such file exists.
    static std::optional<std::string> FindWaveFile(const std::string& directory, const std::string& name);

private:
    // Per-playback state; discarded when Play returns.
    struct Run {
        CDialScript& script;
        const std::string& waveDirectory;
        CPlaybackHost& host;
        int position = 0;
        int lineNumber = 1;
        int lastPosition = 0;
        // Set once the playback must end, with the outcome it ends with.
        std::optional<CPlaybackHost::Outcome> end;
    };

    void Dial(Run& run, const std::string& text);
    void Wait(Run& run, const std::string& text);
    void Pause(Run& run);
    // Sounds the wave file while the host stays live, as a wait whose
    // length is the sound's: PAUSE cuts it and resumes it where it stopped,
    // STOP, REPEAT and closing cut it for good. A file the platform cannot
    // sound ends the playback as SoundNotFound.
    void PlayWave(Run& run, const std::string& path);
    // True, with the end set, once the host asks to stop or close.
    static bool Stopped(Run& run);
    // Acts on STOP and REPEAT seen during a wait, pause or play line.
    // Returns true when the line must be left.
    static bool TakeStopOrRepeat(Run& run);

    CPlatform& m_platform;
};
