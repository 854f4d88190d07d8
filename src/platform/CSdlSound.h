#pragma once

#include <QByteArray>
#include <QHash>

#include <SDL_audio.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CSoundSequence;

// Sound output through SDL's audio subsystem: one output device, held only
// while sound is wanted. One sound at a time: every new sound cuts off the
// one before.
//
// The device runs at 48000 Hz, 16-bit stereo. Every sound is one stream of
// samples prepared ahead (a CSoundSequence): clips are decoded and converted
// once and kept, and the silence after each clip is written as samples, so
// that what reaches the line does not depend on when the calling thread
// runs. Under load the output may fall behind real time, but it keeps every
// silence. The audio callback counts the frames it hands to the device and
// when, so that a caller learns when each clip is heard.
//
// A clip (a key pressed by hand) is sounded with 240-frame (5 ms) buffers,
// so that it is heard well within 30 ms. A sequence or a file is known whole
// before it starts and needs no such haste: it is sounded with buffers of
// AheadBufferFrames, so that an audio thread or a sound server that a busy
// machine runs late still finds samples waiting, and no tone is cut. A sound
// of the other kind than the device held opens a device of its own, and the
// two take turns: the one not sounding is paused, not closed, until the
// device is released. So a key pressed after a dial line sounds as soon as
// one pressed during a key, and the sound server always has a stream asking
// for a short latency (a PulseAudio sink left without one renders up to 2 s
// ahead, and a new stream would wait that long). The paused device costs
// the wakeups of its audio thread while the device is held. A driver with a
// single device closes one before it opens the other; SDL's disk driver
// keeps its device and its short buffers.
//
// At rest the device can be released: closed, and SDL's audio subsystem
// quit, a release delay after the last sound was heard, so that the sound
// server can suspend its sink and the process makes no wakeups. The next
// sound opens it again, trying the real drivers first, so that a device that
// appeared in the meantime (a headset plugged in) is used. KeepOpen holds it
// open across a silence that belongs to a playback. A thread of the object's
// own waits for the moment to release, and sleeps without waking when there
// is none. Releasing is chosen when the object is made (RestDelay is the
// delay meant for the program); without it the device stays open for the
// object's life. SDL's disk driver is never released: it starts its file
// anew each time it is opened, and a recording of the line would lose what
// came before.
//
// When no real device can be opened, a fallback driver (SDL's silent dummy
// driver by default) keeps the pace of every sound; the object then says so
// once on standard error, and IsSilent and SilenceReason tell the caller.
// Without any device (not even a fallback) nothing is heard, but sounds
// still last their length. Call it from one thread; only one object should
// exist at a time.
class CSdlSound {
public:
    static constexpr int Rate = 48000;
    static constexpr int Channels = 2;
    static constexpr int BufferFrames = 240;
    static constexpr int AheadBufferFrames = 4096;
    // As long as the pause that ends a dial line when recording, so that the
    // keys of one line keep one stream (a sound server may take long to
    // start a new one); short enough that a sound server suspending its sink
    // 2 s after the last stream closed has done so 4 s after the last sound.
    static constexpr auto RestDelay = std::chrono::milliseconds(2000);
    static constexpr auto NeverRelease = std::chrono::milliseconds::max();

    using Clock = std::chrono::steady_clock;

    // Opens the device with SDL's own choice of driver first (the
    // SDL_AUDIODRIVER environment variable, else the first driver that has a
    // device), then with each of fallbackDrivers in turn. The device is
    // released releaseDelay after the last sound was heard, or never.
    explicit CSdlSound(const std::vector<std::string>& fallbackDrivers = {"dummy"},
        std::chrono::milliseconds releaseDelay = NeverRelease);
    ~CSdlSound();
    CSdlSound(const CSdlSound&) = delete;
    CSdlSound& operator=(const CSdlSound&) = delete;

    // Whether the last attempt to open a device succeeded (with a real
    // driver or a fallback). It stays true while the device rests.
    bool IsOpen() const;
    // Whether the device is held open right now.
    bool IsHeld() const;
    // The SDL driver opened last ("pulseaudio", "dummy", ...), empty without
    // one.
    std::string DriverName() const;
    // Whether sounds cannot be heard because only a fallback driver, or no
    // driver at all, could be opened; and why, in words for the user (empty
    // when sound is heard).
    bool IsSilent() const;
    std::string SilenceReason() const;

    // The two take RIFF WAVE bytes. A sound that cannot be decoded is not
    // heard, leaves the current sound alone and returns at once. The
    // synchronous call returns when the sound has been heard.
    void PlayAsync(const QByteArray& wave);
    void PlaySync(const QByteArray& wave);

    // Starts a WAVE file, fromMs milliseconds into its sound, and returns at
    // once. A file that cannot be read or decoded is not heard, leaves the
    // current sound alone and gives false.
    bool StartFile(const std::string& path, int fromMs = 0);
    // How long until the file started last has been heard to its end; zero
    // once it has, or once another sound or StopFile has cut it off.
    Clock::duration FileRemaining() const;
    // Cuts off the file started last if it still sounds; any other sound
    // plays on.
    void StopFile();

    // One clip of a sequence (RIFF WAVE bytes) and the silence after it.
    struct Step {
        QByteArray wave;
        int silenceMs = 0;
    };
    // Starts the steps as one stream and returns at once; cuts off whatever
    // sounds. A clip that cannot be decoded sounds nothing, but its silence
    // keeps its place.
    void StartSequence(const std::vector<Step>& steps);
    // Where the sequence started last stands on the output, as heard now.
    struct SequenceState {
        // Until it has been heard to its end (its last silence included),
        // and while it was not cut off.
        bool sounding = false;
        // The step whose clip is heard now; -1 in a silence, before the
        // first clip and after the end.
        int step = -1;
        // How many clips have started on the output: the keys told so far.
        // Together with step, the caller learns which clips have ended.
        int begun = 0;
        // Time until the next clip starts or ends, or the sequence ends: the
        // longest the caller may wait before it looks again.
        Clock::duration untilChange{};
    };
    SequenceState SequenceNow() const;
    // Blocks until the sequence has been heard to its end, or for timeout
    // at most; true when it has ended.
    bool WaitSequence(Clock::duration timeout);
    // Cuts off the sequence started last at once, if it still sounds.
    void StopSequence();

    // Where each clip of the sequence started last lies in the output
    // stream, in frames as StreamPosition counts them: from start (its
    // first frame) to end (just after its last).
    struct Span {
        std::int64_t start = 0;
        std::int64_t end = 0;
    };
    std::vector<Span> SequenceLayout() const;

    // Holds the device open (opening it now if it rests) until as many
    // EndKeepOpen calls have come, so that a silence that belongs to a
    // playback (a wait, a pause) does not close and reopen it.
    void KeepOpen();
    void EndKeepOpen();

    // Decodes and keeps a clip ahead of its first use, so that even the
    // first one costs no decoding.
    void Prepare(const QByteArray& wave);

    // Where the output stream stands: frames handed to the device so far
    // (counted on across releases), the size of the last buffer and when the
    // audio callback handed it over, and the count when the device held now
    // was opened (a reopened device shows a new one). The frame
    // at position p is heard about (p - (frames - lastBuffer)) / Rate seconds
    // after callbackTime, on a sound server one buffer later still.
    struct Position {
        std::int64_t frames = 0;
        int lastBuffer = 0;
        Clock::time_point callbackTime;
        std::int64_t openedAt = 0;
    };
    Position StreamPosition() const;

private:
    using Samples = std::shared_ptr<const std::vector<std::int16_t>>;
    using Lock = std::unique_lock<std::mutex>;

    // The sound started last, with where it lies on the output: its first
    // frame and the time of the call (none of it is heard earlier).
    struct Sound {
        std::shared_ptr<CSoundSequence> sequence;
        std::uint64_t number = 0;
        std::int64_t startFrame = 0;
        std::int64_t frames = 0;
        Clock::time_point called;
        // Started while a device was held; else it lasts its length in
        // real time.
        bool onDevice = false;
        bool cut = false;
        // Once found heard to its end it stays ended, so that callers
        // asking one after the other agree even when the device's pace and
        // the wall clock disagree (a stall that ends between two questions).
        mutable bool ended = false;
    };

    bool OpenDevice(const Lock& lock, int bufferFrames);
    bool TryOpen(const char* driver, int bufferFrames);
    // Opens a device on the driver of SDL's audio subsystem, initialised.
    bool OpenStream(int bufferFrames);
    // Makes device, with buffers of bufferFrames, the one that sounds and
    // counts its frames from now on; its callback is not running (it was
    // just opened, or paused).
    void Resume(SDL_AudioDeviceID device, int bufferFrames);
    // Makes the device with buffers of bufferFrames the one that sounds (a
    // sound of the other kind starts).
    void SwitchBuffer(const Lock& lock, int bufferFrames);
    void ReleaseDevice(const Lock& lock);
    void ReleaseWhenIdle();
    // Decoded samples for the bytes, from the store or decoded now; null
    // when the bytes cannot be decoded or are too long to keep.
    Samples Clip(const QByteArray& wave);
    std::shared_ptr<CSoundSequence> Sequence(const std::vector<Step>& steps);
    // Makes sequence the sound heard from the next device buffer on, on a
    // device with buffers of bufferFrames, or cuts off the current sound
    // when it is null.
    void Start(const Lock& lock, std::shared_ptr<CSoundSequence> sequence, Clock::time_point called, int bufferFrames);
    // How many frames the device holds besides the buffer it plays.
    int QueuedFrames() const;
    // The frame of the current sound heard at now, counted from its start.
    std::int64_t HeardFrame(const Lock& lock, Clock::time_point now) const;
    // When frame of the current sound will have been heard, and whether the
    // device has been handed it yet.
    Clock::time_point HeardAt(const Lock& lock, std::int64_t frame, bool* handedOver) const;
    // Ended when its last frame was handed to the device and has been
    // heard; on a stalled device, when its length has passed since the call.
    bool Ended(const Lock& lock, Clock::time_point now) const;
    // Whether the device has stopped taking buffers (lost, or never
    // started); then sounds last their length in real time.
    bool Stalled(const Lock& lock, Clock::time_point now) const;
    // Blocks until the current sound has ended or deadline has come; true
    // when it has ended.
    bool WaitUntil(Clock::time_point deadline);
    Position PositionLocked(const Lock& lock) const;
    // When the current sound ends on the output (or ended: for a sound cut
    // off, when it was cut).
    Clock::time_point LastHeard(const Lock& lock) const;
    void ArmRelease(const Lock& lock);
    static void SDLCALL Fill(void* self, Uint8* stream, int length);

    const std::vector<std::string> m_fallbackDrivers;
    const std::chrono::milliseconds m_releaseDelay;

    // Guards everything below against the release thread.
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::thread m_releaser;
    bool m_quit = false;
    Clock::time_point m_releaseAt = Clock::time_point::max();
    int m_holds = 0;

    SDL_AudioDeviceID m_device = 0;
    int m_bufferFrames = BufferFrames;
    // The device with the other buffers, paused, once both were needed.
    SDL_AudioDeviceID m_spare = 0;
    int m_spareFrames = 0;
    bool m_opened = false;
    // Without any device, opening is tried again from then on only.
    Clock::time_point m_nextTry;
    std::string m_driver;
    std::string m_silenceReason;
    bool m_told = false;

    Sound m_sound;
    std::uint64_t m_started = 0;
    std::uint64_t m_file = 0;

    // Decoded clips, touched by the calling thread only.
    QHash<QByteArray, Samples> m_clips;
    std::size_t m_clipBytes = 0;

    // Shared with the audio callback, which runs under the device lock.
    std::shared_ptr<CSoundSequence> m_playing;
    std::int64_t m_delivered = 0;
    std::int64_t m_openedAt = 0;
    int m_lastBuffer = 0;
    Clock::time_point m_lastFill;
    Clock::time_point m_openTime;
};
