#pragma once

#include "platform/CWaveDecoder.h"

#include <QByteArray>

#include <SDL_audio.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

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
// Without any device (no driver opened, not even a fallback) nothing is
// heard, but synchronous sounds still last their length, so the pace of the
// caller stays the same. Only one object should exist at a time.
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

    // The three take RIFF WAVE bytes or a WAVE file. A sound that cannot be
    // read or decoded is not heard, leaves the current sound alone and
    // returns at once.
    void PlayAsync(const QByteArray& wave);
    void PlaySync(const QByteArray& wave);
    void PlayFileSync(const std::string& path);

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
    using PcmPtr = std::shared_ptr<const CWaveDecoder::Pcm>;

    bool OpenDevice();
    std::optional<CWaveDecoder::Pcm> Decode(const QByteArray& wave) const;
    // Makes pcm the sound heard from the next device buffer on; returns the
    // stream position just after its last frame.
    std::int64_t Start(PcmPtr pcm);
    void PlayDecodedSync(std::optional<CWaveDecoder::Pcm> pcm, Clock::time_point called);
    void WaitUntilPlayed(std::int64_t endFrame, Clock::time_point notBefore, Clock::time_point giveUp) const;
    static void SDLCALL Fill(void* self, Uint8* stream, int length);

    SDL_AudioDeviceID m_device = 0;

    // Shared with the audio callback, which runs under the device lock.
    PcmPtr m_playing;
    std::size_t m_playedSamples = 0;
    std::int64_t m_delivered = 0;
    int m_lastBuffer = 0;
    Clock::time_point m_lastFill;
};
