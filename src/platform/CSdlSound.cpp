#include "platform/CSdlSound.h"

#include "platform/CSoundSequence.h"
#include "platform/CWaveDecoder.h"
#include "platform/CWaveStream.h"

#include <QtGlobal>

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

using Clock = CSdlSound::Clock;

constexpr int FrameBytes = CSdlSound::Channels * int(sizeof(std::int16_t));
// Twenty short buffers, or five long ones, without a callback: a device that
// was running has stopped.
constexpr auto StallAfter = std::chrono::milliseconds(100);
constexpr int StallAfterBuffers = 5;
// A stream just opened may wait for the sound server before it runs: a
// PulseAudio null sink takes a burst of buffers, then sleeps out a block of
// up to 2 s before it asks for more. Until the device has taken 100 ms of
// sound it counts as starting, not stopped; a stream that was lost in the
// meantime (no callback for 3 s) then counts as stopped.
constexpr int RunningAfterBuffers = 20;
constexpr auto StartAtMost = std::chrono::milliseconds(3000);
// Clips up to this many bytes of output (about 5 s) are decoded once and
// kept, up to the store's limit; longer sounds are converted as they play.
constexpr std::size_t MaxClipBytes = std::size_t(5) * CSdlSound::Rate * FrameBytes;
constexpr std::size_t MaxStoreBytes = std::size_t(32) * 1024 * 1024;

Clock::duration FramesToDuration(std::int64_t frames)
{
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(double(frames) / CSdlSound::Rate));
}

std::int64_t DurationToFrames(Clock::duration duration)
{
    return std::int64_t(std::chrono::duration<double>(duration).count() * CSdlSound::Rate);
}

} // namespace

CSdlSound::CSdlSound(const std::vector<std::string>& fallbackDrivers, std::chrono::milliseconds releaseDelay)
    : m_fallbackDrivers(fallbackDrivers)
    , m_releaseDelay(releaseDelay)
{
    // Otherwise SDL turns SIGINT and SIGTERM into a quit event that nobody
    // reads, and Ctrl-C or kill would no longer end the program.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    {
        Lock lock(m_mutex);
        OpenDevice(lock, BufferFrames);
        ArmRelease(lock);
    }
    if (m_releaseDelay != NeverRelease)
        m_releaser = std::thread([this] { ReleaseWhenIdle(); });
}

CSdlSound::~CSdlSound()
{
    Lock lock(m_mutex);
    m_quit = true;
    m_wake.notify_all();
    lock.unlock();
    if (m_releaser.joinable())
        m_releaser.join();
    lock.lock();
    ReleaseDevice(lock);
}

bool CSdlSound::OpenStream(int bufferFrames)
{
    SDL_AudioSpec wanted{};
    wanted.freq = Rate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = Channels;
    wanted.samples = Uint16(bufferFrames);
    wanted.callback = &CSdlSound::Fill;
    wanted.userdata = this;
    // No changes allowed: SDL converts to whatever the hardware takes, and
    // the callback always sees the format above.
    SDL_AudioSpec obtained{};
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (device == 0)
        return false;
    Resume(device, bufferFrames);
    return true;
}

void CSdlSound::Resume(SDL_AudioDeviceID device, int bufferFrames)
{
    m_device = device;
    m_bufferFrames = bufferFrames;
    // The callback is not running yet: no device lock needed.
    m_openedAt = m_delivered;
    m_lastBuffer = 0;
    m_lastFill = m_openTime = Clock::now();
    SDL_PauseAudioDevice(m_device, 0);
}

bool CSdlSound::TryOpen(const char* driver, int bufferFrames)
{
    // Only an override beats an SDL_AUDIODRIVER environment variable.
    if (driver != nullptr)
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, driver, SDL_HINT_OVERRIDE);
    bool opened = false;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
        opened = OpenStream(bufferFrames);
        if (!opened) {
            // Keep SDL's reason: quitting may overwrite it.
            const std::string reason = SDL_GetError();
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            SDL_SetError("%s", reason.c_str());
        }
    }
    if (driver != nullptr)
        SDL_ResetHint(SDL_HINT_AUDIODRIVER);
    if (!opened)
        return false;
    const char* name = SDL_GetCurrentAudioDriver();
    m_driver = name != nullptr ? name : "";
    return true;
}

bool CSdlSound::OpenDevice(const Lock&, int bufferFrames)
{
    m_opened = TryOpen(nullptr, bufferFrames);
    if (m_opened) {
        m_silenceReason.clear();
        return true;
    }
    std::string reason = "No sound device found: tones cannot be heard.";
    const std::string why = SDL_GetError();
    if (!why.empty())
        reason += " Reason: " + why;
    for (const std::string& driver : m_fallbackDrivers) {
        m_opened = TryOpen(driver.c_str(), bufferFrames);
        if (m_opened)
            break;
    }
    if (!m_opened)
        m_driver.clear();
    m_silenceReason = reason;
    if (!m_told) {
        m_told = true;
        qWarning("%s", m_silenceReason.c_str());
    }
    return m_opened;
}

void CSdlSound::SwitchBuffer(const Lock&, int bufferFrames)
{
    // The disk driver would start its file anew.
    if (m_device == 0 || bufferFrames == m_bufferFrames || m_driver == "disk")
        return;
    // Once paused, a device no longer calls back (pausing takes its lock),
    // so two devices never count frames at once. Kept open, it streams
    // silence: the sound server is never without a stream, and resuming it
    // costs nothing (closing one would block for two of its buffers).
    SDL_PauseAudioDevice(m_device, 1);
    m_playing.reset();
    const SDL_AudioDeviceID old = m_device;
    const int oldFrames = m_bufferFrames;
    if (m_spare != 0) {
        const SDL_AudioDeviceID spare = std::exchange(m_spare, old);
        Resume(spare, std::exchange(m_spareFrames, oldFrames));
    } else if (OpenStream(bufferFrames)) {
        m_spare = old;
        m_spareFrames = oldFrames;
    } else {
        // A driver with a single device (SDL's dummy) opens the new one only
        // once the old one has closed.
        SDL_CloseAudioDevice(old);
        m_device = 0;
        if (!OpenStream(bufferFrames) && !OpenStream(oldFrames))
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
}

void CSdlSound::ReleaseDevice(const Lock&)
{
    if (m_device == 0)
        return;
    // Closing stops SDL's audio thread and the stream on the sound server;
    // quitting the subsystem ends its device-watching thread too, and lets
    // the next opening choose among the real drivers again.
    if (m_spare != 0)
        SDL_CloseAudioDevice(m_spare);
    SDL_CloseAudioDevice(m_device);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    m_device = m_spare = 0;
    m_playing.reset();
    m_lastBuffer = 0;
}

CSdlSound::Clock::time_point CSdlSound::LastHeard(const Lock& lock) const
{
    if (!m_sound.sequence || m_sound.cut)
        return m_sound.called;
    bool handedOver = false;
    return HeardAt(lock, m_sound.frames, &handedOver);
}

void CSdlSound::ArmRelease(const Lock& lock)
{
    const auto heard = LastHeard(lock);
    // The disk driver is a recorder of the line, not a sound card: each
    // opening starts its file anew, which would lose what was recorded, and
    // there is no sink to suspend. It stays open.
    const bool keep = m_releaseDelay == NeverRelease || m_driver == "disk";
    m_releaseAt = keep ? Clock::time_point::max() : std::max(heard, Clock::now()) + m_releaseDelay;
    m_wake.notify_all();
}

void CSdlSound::ReleaseWhenIdle()
{
    Lock lock(m_mutex);
    while (!m_quit) {
        if (m_device == 0 || m_holds > 0 || m_releaseAt == Clock::time_point::max()) {
            m_wake.wait(lock);
            continue;
        }
        const auto now = Clock::now();
        if (now < m_releaseAt) {
            m_wake.wait_until(lock, m_releaseAt);
        } else if (!Ended(lock, now)) {
            // A sound that outlasted its estimate (a device that runs late).
            ArmRelease(lock);
        } else if (const auto rest = LastHeard(lock) + m_releaseDelay; rest > now) {
            // Heard later than foreseen (a stream that waited for the sound
            // server): the rest counts from when it was heard.
            m_releaseAt = rest;
        } else {
            ReleaseDevice(lock);
            m_releaseAt = Clock::time_point::max();
        }
    }
}

bool CSdlSound::IsOpen() const
{
    Lock lock(m_mutex);
    return m_opened;
}

bool CSdlSound::IsHeld() const
{
    Lock lock(m_mutex);
    return m_device != 0;
}

std::string CSdlSound::DriverName() const
{
    Lock lock(m_mutex);
    return m_driver;
}

bool CSdlSound::IsSilent() const
{
    Lock lock(m_mutex);
    return !m_silenceReason.empty();
}

std::string CSdlSound::SilenceReason() const
{
    Lock lock(m_mutex);
    return m_silenceReason;
}

void SDLCALL CSdlSound::Fill(void* self, Uint8* stream, int length)
{
    auto& sound = *static_cast<CSdlSound*>(self);
    const int frames = length / FrameBytes;
    int written = 0;
    if (sound.m_playing)
        written = sound.m_playing->Read(reinterpret_cast<std::int16_t*>(stream), frames);
    std::memset(stream + std::ptrdiff_t(written) * FrameBytes, 0, std::size_t(length - written * FrameBytes));
    sound.m_lastBuffer = frames;
    sound.m_delivered += frames;
    sound.m_lastFill = Clock::now();
}

CSdlSound::Position CSdlSound::PositionLocked(const Lock&) const
{
    if (m_device == 0)
        return {m_delivered, 0, m_lastFill, m_openedAt};
    SDL_LockAudioDevice(m_device);
    const Position position{m_delivered, m_lastBuffer, m_lastFill, m_openedAt};
    SDL_UnlockAudioDevice(m_device);
    return position;
}

CSdlSound::Position CSdlSound::StreamPosition() const
{
    Lock lock(m_mutex);
    return PositionLocked(lock);
}

CSdlSound::Samples CSdlSound::Clip(const QByteArray& wave)
{
    if (const auto kept = m_clips.constFind(wave); kept != m_clips.constEnd())
        return *kept;
    const auto seconds = CWaveDecoder::Duration(wave);
    if (!seconds || *seconds * Rate * FrameBytes > double(MaxClipBytes))
        return nullptr;
    auto pcm = CWaveDecoder::Decode(wave, Rate, Channels);
    if (!pcm)
        return nullptr;
    auto samples = std::make_shared<const std::vector<std::int16_t>>(std::move(pcm->samples));
    const std::size_t bytes = samples->size() * sizeof(std::int16_t) + std::size_t(wave.size());
    if (m_clipBytes + bytes <= MaxStoreBytes) {
        m_clips.insert(wave, samples);
        m_clipBytes += bytes;
    }
    return samples;
}

void CSdlSound::Prepare(const QByteArray& wave)
{
    Lock lock(m_mutex);
    Clip(wave);
}

std::shared_ptr<CSoundSequence> CSdlSound::Sequence(const std::vector<Step>& steps)
{
    auto sequence = std::make_shared<CSoundSequence>(Channels);
    for (const Step& step : steps) {
        const auto silence = std::int64_t(std::llround(double(step.silenceMs) * Rate / 1000.0));
        if (auto clip = Clip(step.wave))
            sequence->AddClip(std::move(clip), silence);
        else
            sequence->AddStream(CWaveDecoder::Open(step.wave, Rate, Channels), silence);
    }
    return sequence;
}

void CSdlSound::Start(
    const Lock& lock, std::shared_ptr<CSoundSequence> sequence, Clock::time_point called, int bufferFrames)
{
    ++m_started;
    if (sequence && m_device == 0 && (m_opened || called >= m_nextTry)) {
        if (!OpenDevice(lock, bufferFrames))
            m_nextTry = called + RestDelay;
    } else if (sequence) {
        SwitchBuffer(lock, bufferFrames);
    }
    Sound sound;
    sound.number = m_started;
    sound.frames = sequence ? sequence->Frames() : 0;
    sound.called = called;
    sound.onDevice = m_device != 0;
    sound.cut = !sequence;
    sound.sequence = sequence;
    if (m_device != 0) {
        SDL_LockAudioDevice(m_device);
        std::swap(m_playing, sequence);
        sound.startFrame = m_delivered;
        SDL_UnlockAudioDevice(m_device);
    }
    // The sound cut off is released here, outside the device lock.
    sequence.reset();
    m_sound = std::move(sound);
    ArmRelease(lock);
}

int CSdlSound::QueuedFrames() const
{
    // SDL's silent and disk drivers take a buffer when it is due; a sound
    // server (or ALSA) is handed the next buffer as soon as it has taken the
    // last, and plays it after that one.
    return m_driver == "disk" || m_driver == "dummy" ? 0 : m_bufferFrames;
}

std::int64_t CSdlSound::HeardFrame(const Lock& lock, Clock::time_point now) const
{
    const std::int64_t wall = DurationToFrames(now - m_sound.called);
    if (!m_sound.onDevice || m_device == 0)
        return wall;
    const Position position = PositionLocked(lock);
    if (Stalled(lock, now))
        return wall;
    const std::int64_t device = position.frames - position.lastBuffer - QueuedFrames() - m_sound.startFrame
        + DurationToFrames(now - position.callbackTime);
    return std::min({device, position.frames - m_sound.startFrame, wall});
}

Clock::time_point CSdlSound::HeardAt(const Lock& lock, std::int64_t frame, bool* handedOver) const
{
    *handedOver = true;
    const auto notBefore = m_sound.called + FramesToDuration(frame);
    if (!m_sound.onDevice || m_device == 0)
        return notBefore;
    // SDL stops calling back when the device is lost (a headset
    // unplugged): from then on the sound lasts its length in real time.
    if (Stalled(lock, Clock::now()))
        return notBefore;
    const Position position = PositionLocked(lock);
    const std::int64_t bufferStart = position.frames - position.lastBuffer;
    // A frame handed over in an earlier buffer was heard before callbackTime.
    const auto heard
        = position.callbackTime + FramesToDuration(m_sound.startFrame + frame - bufferStart + QueuedFrames());
    *handedOver = position.frames >= m_sound.startFrame + frame;
    return std::max(heard, notBefore);
}

bool CSdlSound::Ended(const Lock& lock, Clock::time_point now) const
{
    if (!m_sound.sequence || m_sound.cut || m_sound.ended)
        return true;
    bool handedOver = false;
    const auto heard = HeardAt(lock, m_sound.frames, &handedOver);
    m_sound.ended = handedOver && now >= heard;
    return m_sound.ended;
}

bool CSdlSound::Stalled(const Lock&, Clock::time_point now) const
{
    if (m_device == 0)
        return true;
    SDL_LockAudioDevice(m_device);
    const bool running = m_delivered - m_openedAt >= std::int64_t(RunningAfterBuffers) * BufferFrames;
    const auto last = m_lastFill;
    SDL_UnlockAudioDevice(m_device);
    const auto stallAfter = std::max<Clock::duration>(StallAfter, StallAfterBuffers * FramesToDuration(m_bufferFrames));
    return running ? now - last > stallAfter : now - m_openTime > StartAtMost;
}

bool CSdlSound::WaitUntil(Clock::time_point deadline)
{
    Lock lock(m_mutex);
    const std::uint64_t number = m_sound.number;
    for (;;) {
        const auto now = Clock::now();
        if (m_sound.number != number || Ended(lock, now))
            return true;
        if (now >= deadline)
            return false;
        bool handedOver = false;
        auto wake = HeardAt(lock, m_sound.frames, &handedOver);
        // The last frames are not handed over yet: look again when they
        // should have been (a slow device takes a few rounds).
        if (!handedOver || wake <= now)
            wake = std::max(wake, now + std::chrono::milliseconds(1));
        lock.unlock();
        std::this_thread::sleep_until(std::min(wake, deadline));
        lock.lock();
    }
}

void CSdlSound::PlayAsync(const QByteArray& wave)
{
    const auto called = Clock::now();
    Lock lock(m_mutex);
    auto sequence = std::make_shared<CSoundSequence>(Channels);
    if (auto clip = Clip(wave))
        sequence->AddClip(std::move(clip), 0);
    else if (auto stream = CWaveDecoder::Open(wave, Rate, Channels))
        sequence->AddStream(std::move(stream), 0);
    else
        return;
    Start(lock, std::move(sequence), called, BufferFrames);
}

void CSdlSound::PlaySync(const QByteArray& wave)
{
    const std::uint64_t before = [this] {
        Lock lock(m_mutex);
        return m_started;
    }();
    PlayAsync(wave);
    Lock lock(m_mutex);
    if (m_started == before)
        return;
    lock.unlock();
    WaitUntil(Clock::time_point::max());
}

void CSdlSound::StartSequence(const std::vector<Step>& steps)
{
    const auto called = Clock::now();
    Lock lock(m_mutex);
    Start(lock, steps.empty() ? nullptr : Sequence(steps), called, AheadBufferFrames);
}

CSdlSound::SequenceState CSdlSound::SequenceNow() const
{
    Lock lock(m_mutex);
    const auto now = Clock::now();
    if (Ended(lock, now))
        return {};
    SequenceState state;
    state.sounding = true;
    const std::int64_t frame = HeardFrame(lock, now);
    state.step = m_sound.sequence->StepAt(frame);
    state.begun = m_sound.sequence->ClipsBegun(frame);
    bool handedOver = false;
    const auto change = HeardAt(lock, m_sound.sequence->NextChange(frame), &handedOver);
    state.untilChange = std::max<Clock::duration>(change - now, std::chrono::milliseconds(1));
    return state;
}

bool CSdlSound::WaitSequence(Clock::duration timeout)
{
    const auto now = Clock::now();
    const auto deadline = timeout >= Clock::time_point::max() - now ? Clock::time_point::max() : now + timeout;
    return WaitUntil(deadline);
}

void CSdlSound::StopSequence()
{
    Lock lock(m_mutex);
    if (!Ended(lock, Clock::now()))
        Start(lock, nullptr, Clock::now(), m_bufferFrames);
}

std::vector<CSdlSound::Span> CSdlSound::SequenceLayout() const
{
    Lock lock(m_mutex);
    std::vector<Span> spans;
    if (!m_sound.sequence)
        return spans;
    for (int i = 0; i < m_sound.sequence->Steps(); ++i)
        spans.push_back(
            {m_sound.startFrame + m_sound.sequence->ClipStart(i), m_sound.startFrame + m_sound.sequence->ClipEnd(i)});
    return spans;
}

void CSdlSound::KeepOpen()
{
    Lock lock(m_mutex);
    ++m_holds;
    if (m_device == 0 && (m_opened || Clock::now() >= m_nextTry))
        OpenDevice(lock, BufferFrames);
    m_wake.notify_all();
}

void CSdlSound::EndKeepOpen()
{
    Lock lock(m_mutex);
    m_holds = std::max(m_holds - 1, 0);
    ArmRelease(lock);
}

bool CSdlSound::StartFile(const std::string& path, int fromMs)
{
    const auto called = Clock::now();
    Lock lock(m_mutex);
    const auto bytes = CWaveDecoder::ReadFile(path);
    auto stream = bytes ? CWaveDecoder::Open(*bytes, Rate, Channels, fromMs / 1000.0) : nullptr;
    if (!stream)
        return false;
    auto sequence = std::make_shared<CSoundSequence>(Channels);
    sequence->AddStream(std::move(stream), 0);
    Start(lock, std::move(sequence), called, AheadBufferFrames);
    m_file = m_started;
    return true;
}

CSdlSound::Clock::duration CSdlSound::FileRemaining() const
{
    Lock lock(m_mutex);
    if (m_file != m_started || m_sound.cut)
        return Clock::duration::zero();
    bool handedOver = false;
    return std::max(HeardAt(lock, m_sound.frames, &handedOver) - Clock::now(), Clock::duration::zero());
}

void CSdlSound::StopFile()
{
    Lock lock(m_mutex);
    if (m_file == m_started)
        Start(lock, nullptr, Clock::now(), m_bufferFrames);
}
