#include "platform/CSdlSound.h"

#include "platform/CWaveDecoder.h"
#include "platform/CWaveStream.h"

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
    const int frames = length / FrameBytes;
    int written = 0;
    if (sound.m_playing)
        written = sound.m_playing->Read(reinterpret_cast<std::int16_t*>(stream), frames);
    std::memset(stream + written * FrameBytes, 0, std::size_t(length - written * FrameBytes));
    sound.m_lastBuffer = frames;
    sound.m_delivered += frames;
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

CSdlSound::Schedule CSdlSound::Start(SoundPtr sound, Clock::time_point called)
{
    ++m_started;
    const auto length = sound ? FramesToDuration(sound->Frames()) : Clock::duration::zero();
    Schedule schedule{0, called + length, called + length + length / 4 + std::chrono::milliseconds(250)};
    if (m_device == 0)
        return schedule;
    SDL_LockAudioDevice(m_device);
    std::swap(m_playing, sound);
    schedule.endFrame = m_delivered + (m_playing ? m_playing->Frames() : 0);
    SDL_UnlockAudioDevice(m_device);
    // The sound cut off is released here, outside the device lock.
    return schedule;
}

CSdlSound::Clock::time_point CSdlSound::HeardBy(const Schedule& schedule, bool* handedOver) const
{
    if (handedOver != nullptr)
        *handedOver = true;
    if (m_device == 0)
        return schedule.notBefore;
    const Position position = StreamPosition();
    // SDL stops calling back when the device is lost (a headset
    // unplugged): from then on the sound lasts its length in real time.
    if (Clock::now() - position.callbackTime > StallAfter)
        return schedule.notBefore;
    const std::int64_t bufferStart = position.frames - position.lastBuffer;
    const auto heard
        = position.callbackTime + FramesToDuration(std::max<std::int64_t>(schedule.endFrame - bufferStart, 0));
    if (handedOver != nullptr)
        *handedOver = position.frames >= schedule.endFrame;
    return std::min(std::max(heard, schedule.notBefore), schedule.giveUp);
}

void CSdlSound::PlayAsync(const QByteArray& wave)
{
    if (auto sound = CWaveDecoder::Open(wave, Rate, Channels))
        Start(std::move(sound), Clock::now());
}

void CSdlSound::PlaySync(const QByteArray& wave)
{
    const auto called = Clock::now();
    auto sound = CWaveDecoder::Open(wave, Rate, Channels);
    if (!sound)
        return;
    const Schedule schedule = Start(std::move(sound), called);
    for (;;) {
        bool handedOver = false;
        const auto heard = HeardBy(schedule, &handedOver);
        if (handedOver || Clock::now() >= schedule.giveUp) {
            std::this_thread::sleep_until(heard);
            return;
        }
        // The last frames are not handed over yet: sleep until they should
        // have been, then look again (a slow device takes a few rounds).
        std::this_thread::sleep_until(std::max(heard, Clock::now() + std::chrono::milliseconds(1)));
    }
}

bool CSdlSound::StartFile(const std::string& path, int fromMs)
{
    const auto called = Clock::now();
    const auto bytes = CWaveDecoder::ReadFile(path);
    auto sound = bytes ? CWaveDecoder::Open(*bytes, Rate, Channels, fromMs / 1000.0) : nullptr;
    if (!sound)
        return false;
    m_fileSchedule = Start(std::move(sound), called);
    m_file = m_started;
    return true;
}

CSdlSound::Clock::duration CSdlSound::FileRemaining() const
{
    if (m_file != m_started)
        return Clock::duration::zero();
    return std::max(HeardBy(m_fileSchedule) - Clock::now(), Clock::duration::zero());
}

void CSdlSound::StopFile()
{
    if (m_file == m_started)
        Start(nullptr, Clock::now());
}
