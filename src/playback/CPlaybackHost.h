#pragma once

#include <optional>
#include <string>

// What the script player needs from whoever presents a playback: the panel,
// or a front end without a window. The player decides what sounds when and
// reads the user's wishes only through PendingRequest; the host shows what
// the player tells it and never touches the player's state. Calls come on the
// player's thread; the host handles user input only while the player lets the
// platform process events.
class CPlaybackHost {
public:
    // What the user wants of the playback now. Read before every line and
    // while a wait, a pause line or a wave file holds the line.
    enum class Request {
        Play,
        Pause, // a wait's countdown and a wave file stand still
        Repeat, // at a wait, pause or wave file: the line before plays again
        Stop, // no later line starts; the sounding one finishes
        Close, // the program is closing: end at once, cut what sounds
    };
    // Why a playback ended.
    enum class Outcome {
        Completed,
        Stopped,
        SoundNotFound, // a play line named a wave file that cannot be played
        Closed,
    };
    // What holds the line while the current line runs.
    enum class Activity {
        Dialling, // a dial line's keys are about to sound
        Waiting, // a wait line's countdown runs
        WaitOver, // the countdown has ended or was left
        SoundingFile, // a play line's wave file sounds
    };

    virtual ~CPlaybackHost() = default;

    virtual Request PendingRequest() = 0;
    // The player has acted on Repeat: the request is Play again.
    virtual void RepeatTaken() = 0;
    // A pause line starts: the host asks for Pause as the PAUSE control
    // would (and Play again to go on), or leaves Play to pass over the line.
    virtual void PauseLineReached() = 0;

    // The line at position (counted from 0) starts. lineNumber counts the
    // lines played so far, this one included and repeats counted again.
    // preview is the text to show while the line plays, nothing to keep
    // what is shown (a note of a show line stays up for one more line).
    virtual void LineStarted(int position, int lineNumber, const std::optional<std::string>& preview) = 0;
    // A show line's note.
    virtual void NoteShown(const std::string& text) = 0;
    // A key of a dial line starts or stops sounding.
    virtual void KeySounding(char key, bool sounding) = 0;
    virtual void ActivityChanged(Activity activity) = 0;
    // The last call of a playback. position is the line it ended at.
    virtual void Ended(Outcome outcome, int position) = 0;
};
