#pragma once

#include "playback/CPlaybackHost.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

class CDialScript;
class CPlatform;
class QSocketNotifier;

// Presents a playback on a terminal: line starts and the notes of show lines
// as cues on standard output ("mm:ss.mmm text", the time since the start on
// the platform's clock: the time in the file when rendering), and notes on
// standard error. It asks the player to stop once SIGINT or SIGTERM has
// arrived (CSignalWatcher), and holds pause lines as told.
class CCommandLineHost : public CPlaybackHost {
public:
    enum class PauseLines {
        Silence, // the clock moves on by the pause's seconds, noted on standard error
        WaitForEnter, // the playback stands still until a line is read from standard input
        PassOver,
    };
    struct Settings {
        std::string scriptLabel; // names the script in messages
        bool printLines = false;
        PauseLines pauseLines = PauseLines::PassOver;
        int pauseSeconds = 0;
    };

    // Takes the text of script's lines as they are now.
    CCommandLineHost(
        const CDialScript& script, CPlatform& platform, const Settings& settings, std::FILE* out, std::FILE* err);
    ~CCommandLineHost() override;
    CCommandLineHost(const CCommandLineHost&) = delete;
    CCommandLineHost& operator=(const CCommandLineHost&) = delete;

    // "mm:ss.mmm", minutes as many as it takes.
    static std::string FormatTime(std::uint32_t ms);

    Request PendingRequest() override;
    void RepeatTaken() override { }
    void PauseLineReached() override;
    void LineStarted(int position, int lineNumber, const std::optional<std::string>& preview) override;
    void NoteShown(const std::string& text) override;
    void KeySounding(char, bool) override { }
    void ActivityChanged(Activity) override { }
    void Ended(Outcome outcome, int position) override;

    Outcome LastOutcome() const { return m_outcome; }
    int LastPosition() const { return m_position; }

private:
    // The line at position as written; empty past the end.
    std::string LineText(int position) const;
    std::string Now();
    void ReadInput();

    // The lines as written, cut at their line ends and trimmed: the player
    // lowers the case of the document's lines as it reads them.
    std::vector<std::string> m_lines;
    CPlatform& m_platform;
    Settings m_settings;
    std::FILE* m_out;
    std::FILE* m_err;
    std::uint32_t m_startMs = 0;
    int m_position = 0;
    bool m_paused = false;
    bool m_inputEnded = false;
    std::unique_ptr<QSocketNotifier> m_input;
    Outcome m_outcome = Outcome::Completed;
};
