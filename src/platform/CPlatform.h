#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CAnimateCtrl;

// The one seam between the panel logic and the machine: sound output, the
// animation controls, the millisecond clock and the event pump. The logic
// never calls SDL, QTimer or the event loop directly, so that tests can run
// it on a fake with a virtual clock and a log of every request.
class CPlatform {
public:
    // Silence kept after each key of a dial line. Without it, repeated
    // digits ("555") reach the line as one long tone and a receiver reads a
    // single key.
    static constexpr int KeyGapMs = 70;
    // Told as key (an index into the line's tones) starts sounding and as
    // it stops; returns false to end the line there (the program closes).
    using DialKeyEvent = std::function<bool(std::size_t key, bool sounding)>;

    virtual ~CPlatform() = default;

    // Sound. Clips are the catalogue's sound clip numbers. Results are not
    // reported: a clip that cannot be played is simply not heard. Every new
    // sound cuts off the one still sounding. The synchronous call blocks the
    // thread without handling events (input waits in the queue), but what
    // the logic changed on the screen just before is painted first.

    // Returns at once; cuts off whatever clip or tone is still sounding.
    virtual void StartClip(int clip) = 0;
    // Returns when the clip has finished sounding.
    virtual void PlayClip(int clip) = 0;
    // Sounds the tone clips of a dial line one after the other, each for its
    // whole length and followed by KeyGapMs of silence, and returns when the
    // last silence is over. Input waits meanwhile, as during HoldInput; only
    // a request to close is handled, and onKey then ends the line.
    virtual void SoundDialLine(const std::vector<int>& toneClips, const DialKeyEvent& onKey) = 0;
    // Starts a WAVE file fromMs milliseconds into its sound and returns at
    // once: the caller keeps handling events while it sounds. A file that
    // cannot be read or decoded sounds nothing and gives false. The path is
    // an 8-bit file name in the locale's encoding.
    virtual bool StartWaveFile(const std::string& path, int fromMs) = 0;
    // Milliseconds until the wave file started last has been heard to its
    // end, rounded up; 0 once it has, or once another sound cut it off.
    virtual int WaveFileRemainingMs() = 0;
    // Cuts off the wave file started last if it still sounds; any other
    // sound plays on.
    virtual void StopWaveFile() = 0;
    // The desktop's default alert, used when a typed character is refused.
    virtual void Beep() = 0;
    // Keeps the sound device from being released while keep is true: a
    // playback holds it from its first line to its end, so that its waits
    // and pauses do not close and reopen the device and disturb the timing.
    // Calls nest: each true needs its false.
    virtual void KeepSoundDevice([[maybe_unused]] bool keep) { }
    // Why tones cannot be heard, in the user's words, when no real sound
    // device could be opened and sounds only keep their pace; empty while
    // sound is heard.
    virtual std::string SoundProblem() const { return {}; }

    // Animation. Opening a clip shows its frame 0 and stops any playback;
    // clip 0 leaves the control blank. Play never blocks: repeat −1 loops for
    // ever, to 0xFFFF means the last frame, equal ends show one still frame.
    virtual void OpenAnimation(CAnimateCtrl& control, int clip) = 0;
    virtual void PlayAnimation(CAnimateCtrl& control, int from, int to, int repeat) = 0;
    virtual void StopAnimation(CAnimateCtrl& control) = 0;

    // Milliseconds as an unsigned 32-bit count that wraps; every difference
    // is taken modulo 2^32.
    virtual std::uint32_t NowMs() = 0;

    // Handles every pending event (the panel's keyboard filter
    // applies) and returns as soon as the queue is empty; never waits.
    virtual void ProcessEvents() = 0;
    // Blocks until an event arrives or timeoutMs milliseconds have passed
    // (a negative timeout waits for an event only), then handles the pending
    // events like ProcessEvents. Polling loops call it between passes so that
    // they do not burn a core.
    virtual void WaitForEvents(int timeoutMs) = 0;
    // Blocks for ms milliseconds without handling input: it waits, in its
    // order, to be handled after the hold. Only a request to close the
    // program (the Escape key, the window system's close) is handled at
    // once, and ends the hold, so that the program can end within a long
    // run of holds. Pending repaints are painted first, and animations go
    // on playing.
    virtual void HoldInput(int ms) = 0;
};
