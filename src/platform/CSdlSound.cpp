#include "platform/CSdlSound.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <thread>

namespace {

constexpr int FrameBytes = CSdlSound::Channels * int(sizeof(std::int16_t));
// Twenty buffers without a callback: the device has stopped.
constexpr auto StallAfter = std::chrono::milliseconds(100);

CSdlSound::Clock::duration FramesToDuration(std::int64_t frames)
{
    return std::chrono::duration_cast<CSdlSound::Clock::duration>(
        std::chrono::duration<double>(double(frames) / CSdlSound::Rate));
}

} // namespace

CSdlSound::CSdlSound(const std::vector<std::string>& fallbackDrivers)
{
    // Otherwise SDL turns SIGINT and SIGTERM into a quit event that nobody
    // reads, and Ctrl-C or kill would no longer end the program.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (OpenDevice())
        return;
    for (const std::string& driver : fallbackDrivers) {
        // Only an override beats an SDL_AUDIODRIVER environment variable.
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, driver.c_str(), SDL_HINT_OVERRIDE);
        const bool opened = OpenDevice();
        SDL_ResetHint(SDL_HINT_AUDIODRIVER);
        if (opened)
            return;
    }
}

CSdlSound::~CSdlSound()
{
    if (m_device == 0)
        return;
    SDL_CloseAudioDevice(m_device);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool CSdlSound::OpenDevice()
{
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    SDL_AudioSpec wanted{};
    wanted.freq = Rate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = Channels;
    wanted.samples = BufferFrames;
    wanted.callback = &CSdlSound::Fill;
    wanted.userdata = this;
    // No changes allowed: SDL converts to whatever the hardware takes, and
    // the callback always sees the format above.
    SDL_AudioSpec obtained{};
    m_device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (m_device == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    m_lastFill = Clock::now();
    SDL_PauseAudioDevice(m_device, 0);
    return true;
}

std::string CSdlSound::DriverName() const
{
    const char* name = m_device != 0 ? SDL_GetCurrentAudioDriver() : nullptr;
    return name != nullptr ? name : "";
}

void SDLCALL CSdlSound::Fill(void* self, Uint8* stream, int length)
{
    auto& sound = *static_cast<CSdlSound*>(self);
    std::size_t copied = 0;
    if (sound.m_playing) {
        const std::vector<std::int16_t>& samples = sound.m_playing->samples;
        const std::size_t left = samples.size() - sound.m_playedSamples;
        copied = std::min(left * sizeof(std::int16_t), std::size_t(length));
        if (copied > 0)
            std::memcpy(stream, samples.data() + sound.m_playedSamples, copied);
        sound.m_playedSamples += copied / sizeof(std::int16_t);
    }
    std::memset(stream + copied, 0, std::size_t(length) - copied);
    sound.m_lastBuffer = length / FrameBytes;
    sound.m_delivered += sound.m_lastBuffer;
    sound.m_lastFill = Clock::now();
}

CSdlSound::Position CSdlSound::StreamPosition() const
{
    if (m_device == 0)
        return {};
    SDL_LockAudioDevice(m_device);
    const Position position{m_delivered, m_lastBuffer, m_lastFill};
    SDL_UnlockAudioDevice(m_device);
    return position;
}

std::optional<CWaveDecoder::Pcm> CSdlSound::Decode(const QByteArray& wave) const
{
    return CWaveDecoder::Decode(wave, Rate, Channels);
}

std::int64_t CSdlSound::Start(PcmPtr pcm)
{
    SDL_LockAudioDevice(m_device);
    std::swap(m_playing, pcm);
    m_playedSamples = 0;
    const std::int64_t end = m_delivered + m_playing->Frames();
    SDL_UnlockAudioDevice(m_device);
    // The sound cut off is released here, outside the device lock.
    return end;
}

void CSdlSound::PlayAsync(const QByteArray& wave)
{
    if (m_device == 0)
        return;
    if (auto pcm = Decode(wave))
        Start(std::make_shared<const CWaveDecoder::Pcm>(std::move(*pcm)));
}

void CSdlSound::PlaySync(const QByteArray& wave)
{
    const auto called = Clock::now();
    PlayDecodedSync(Decode(wave), called);
}

void CSdlSound::PlayFileSync(const std::string& path)
{
    const auto called = Clock::now();
    if (const auto bytes = CWaveDecoder::ReadFile(path))
        PlayDecodedSync(Decode(*bytes), called);
}

void CSdlSound::PlayDecodedSync(std::optional<CWaveDecoder::Pcm> pcm, Clock::time_point called)
{
    if (!pcm)
        return;
    const auto length = FramesToDuration(pcm->Frames());
    const auto notBefore = called + length;
    if (m_device == 0) {
        std::this_thread::sleep_until(notBefore);
        return;
    }
    const std::int64_t end = Start(std::make_shared<const CWaveDecoder::Pcm>(std::move(*pcm)));
    // A device that stalls (a sound server gone away) must not hold the
    // caller for ever; a working one is far inside this margin.
    const auto giveUp = notBefore + length / 4 + std::chrono::milliseconds(250);
    WaitUntilPlayed(end, notBefore, giveUp);
}

void CSdlSound::WaitUntilPlayed(std::int64_t endFrame, Clock::time_point notBefore, Clock::time_point giveUp) const
{
    for (;;) {
        const Position position = StreamPosition();
        // When the frame just before endFrame has been heard, assuming the
        // device plays its buffers in real time from the last callback on.
        const std::int64_t bufferStart = position.frames - position.lastBuffer;
        const auto heard = position.callbackTime + FramesToDuration(std::max<std::int64_t>(endFrame - bufferStart, 0));
        const auto now = Clock::now();
        if (now >= giveUp)
            return;
        // SDL stops calling back when the device is lost (a headset
        // unplugged): from then on the sound lasts its length in real time.
        if (now - position.callbackTime > StallAfter) {
            std::this_thread::sleep_until(notBefore);
            return;
        }
        if (position.frames >= endFrame) {
            std::this_thread::sleep_until(std::min(std::max(heard, notBefore), giveUp));
            return;
        }
        // The last frames are not handed over yet: sleep until they should
        // have been, then look again (a slow device takes a few rounds).
        const auto retry = std::max(heard, now + std::chrono::milliseconds(1));
        std::this_thread::sleep_until(std::min(retry, giveUp));
    }
}
