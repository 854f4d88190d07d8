#pragma once

#include <QByteArray>

#include <SDL_audio.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CWaveStream;

// Sound output through SDL's audio subsystem: one output device, opened when
// the object is made and kept open, so that the first key of a session is
// not clipped. One sound at a time: every new sound cuts off the one before.
//
// The device runs at 48000 Hz, 16-bit stereo with 240-frame (5 ms) buffers,
// so that a key is heard well within 30 ms; SDL converts the clips from their
// 11025 Hz mono. A synchronous sound follows the output stream: the audio
// callback counts the frames it hands to the device and when, so the call
// returns when the stream has played the last frame (and never before the
// sound's own length has passed since the call).
//
// A wave file plays in the background instead: the caller asks how long it
// still sounds and may cut it off. It is converted piece by piece as the
// device takes it, so that a long file does not take memory for all of its
// converted samples.
//
// Without any device (no driver opened, not even a fallback) nothing is
// heard, but synchronous sounds and wave files still last their length, so
// the pace of the caller stays the same. Only one object should exist at a
// time.
class CSdlSound {
public:
    static constexpr int Rate = 48000;
    static constexpr int Channels = 2;
    static constexpr int BufferFrames = 240;

    using Clock = std::chrono::steady_clock;

    // Opens the device with SDL's own choice of driver first (the
    // SDL_AUDIODRIVER environment variable, else the first driver that has a
    // device), then with each of fallbackDrivers in turn.
    explicit CSdlSound(const std::vector<std::string>& fallbackDrivers = {"dummy"});
    ~CSdlSound();
    CSdlSound(const CSdlSound&) = delete;
    CSdlSound& operator=(const CSdlSound&) = delete;

    bool IsOpen() const { return m_device != 0; }
    // The SDL driver in use ("pulseaudio", "dummy", ...), empty without one.
    std::string DriverName() const;

    // The two take RIFF WAVE bytes. A sound that cannot be decoded is not
    // heard, leaves the current sound alone and returns at once.
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

    // Where the output stream stands: frames handed to the device so far,
    // the size of the last buffer and when the audio callback handed it
    // over. The frame at position p is heard about (p - (frames - lastBuffer))
    // / Rate seconds after callbackTime.
    struct Position {
        std::int64_t frames = 0;
        int lastBuffer = 0;
        Clock::time_point callbackTime;
    };
    Position StreamPosition() const;

private:
    using SoundPtr = std::shared_ptr<CWaveStream>;

    // When a sound that was started will have been heard to its end: the
    // position of its last frame in the output stream, the time its length
    // has passed since the call (never earlier), and the time to give up
    // at, so that a device that stalls does not hold the caller for ever
    // (a working one is far inside the margin).
    struct Schedule {
        std::int64_t endFrame = 0;
        Clock::time_point notBefore;
        Clock::time_point giveUp;
    };

    bool OpenDevice();
    // Makes sound the one heard from the next device buffer on (nothing
    // when sound is null) and returns when its last frame will be heard.
    Schedule Start(SoundPtr sound, Clock::time_point called);
    // The best estimate of when the sound of schedule will have been heard,
    // assuming the device plays its buffers in real time from the last
    // callback on; whether the device has been handed the last frame yet.
    Clock::time_point HeardBy(const Schedule& schedule, bool* handedOver = nullptr) const;
    static void SDLCALL Fill(void* self, Uint8* stream, int length);

    SDL_AudioDeviceID m_device = 0;
    // Counts the sounds started, so that a file knows whether it was cut
    // off. Touched by the calling thread only.
    std::uint64_t m_started = 0;
    std::uint64_t m_file = 0;
    Schedule m_fileSchedule;

    // Shared with the audio callback, which runs under the device lock.
    SoundPtr m_playing;
    std::int64_t m_delivered = 0;
    int m_lastBuffer = 0;
    Clock::time_point m_lastFill;
};
