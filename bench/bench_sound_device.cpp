// Measures the sound device's life on whatever driver SDL_AUDIODRIVER names
// (bench/sound_device.sh runs it on a PulseAudio null sink and on the disk
// driver). One mode per run:
//
//   sdl-rest open|pause|close|quit   SDL alone, as the device was used
//       before: open it, sound a tone, then leave it open, pause it, close
//       it, or close it and quit the audio subsystem; print "resting" and
//       sleep until killed (the script looks at the sink and the wakeups).
//   rest          the engine: one key, then rest until killed.
//   latency N     key-to-sound for N keys pressed while a tone sounds and N
//                 first keys after a rest.
//   hold S        CPU and wakeups during a silence of S seconds held open.
//   keys KEYS     sounds KEYS as one sequence with 70 ms after each key, as
//                 a dial line does, and prints the pace; exits when heard.
//
// Key-to-sound is measured inside the process, from the audio callbacks: the
// time from the call until the sound server took the tone's first frame (see
// KeyToSound). What the server adds after that is the same for every key.
//
// Built with -DPELMORA_OLD_ENGINE against the engine that kept its device
// open, it offers sdl-rest and latency, for figures of before.

#include "BenchSupport.h"
#include "media/CMediaCatalogue.h"
#include "playback/CKeyTable.h"

#include <QCoreApplication>
#include <QDir>

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numeric>
#include <string>
#include <thread>

namespace {

using namespace BenchSupport;
using namespace std::chrono_literals;

constexpr int KeyGapMs = 70;
constexpr auto Forever = std::chrono::hours(1);

QByteArray KeyClip(char key)
{
    const CKeyTableRow* row = CKeyTable::FromCharacter(key);
    return row != nullptr ? CMediaCatalogue::SoundClip(row->toneClip) : QByteArray();
}

// The engine as the program will use it: released at rest.
std::unique_ptr<CSdlSound> MakeSound()
{
#ifdef PELMORA_OLD_ENGINE
    return std::make_unique<CSdlSound>();
#else
    return std::make_unique<CSdlSound>(std::vector<std::string>{"dummy"}, CSdlSound::RestDelay);
#endif
}

#ifndef PELMORA_OLD_ENGINE
// Voluntary and involuntary context switches of all the process's threads:
// every time one of them went to sleep or was put aside.
long long ContextSwitches()
{
    long long total = 0;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile status(tasks.filePath(task + QStringLiteral("/status")));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.contains("ctxt_switches:"))
                total += line.mid(line.indexOf(':') + 1).trimmed().toLongLong();
        }
    }
    return total;
}
#endif

void Summarise(const char* what, std::vector<double> ms)
{
    if (ms.empty()) {
        std::printf("  %-36s no samples\n", what);
        return;
    }
    std::sort(ms.begin(), ms.end());
    const double mean = std::accumulate(ms.begin(), ms.end(), 0.0) / double(ms.size());
    std::printf("  %-36s n=%zu  min %6.2f  median %6.2f  mean %6.2f  p95 %6.2f  max %6.2f ms\n", what, ms.size(),
        ms.front(), ms[ms.size() / 2], mean, ms[std::min(ms.size() - 1, ms.size() * 95 / 100)], ms.back());
}

// Lets the device come to rest: released by the engine, or left alone for
// a while by the engine of before, which kept it open, and by the engine on
// the disk driver, which it never releases.
void Rest(CSdlSound& sound)
{
#ifdef PELMORA_OLD_ENGINE
    (void)sound;
    std::this_thread::sleep_for(2s);
#else
    const auto giveUp = Clock::now() + CSdlSound::RestDelay + 1s;
    while (sound.IsHeld() && Clock::now() < giveUp)
        std::this_thread::sleep_for(10ms);
    std::this_thread::sleep_for(100ms);
#endif
}

// Sounds tone and returns the milliseconds from the call until the tone's
// first frame was taken by the sound server, or a negative number when
// that cannot be told (nothing taken within 5 s). A server asks for the next buffer once it has taken
// the one before, so the first frame counts as taken when the callback
// after the one that handed it over runs, less one buffer: a stream that
// waits for the server shows here, where the moment the first buffer was
// handed over would hide it.
double KeyToSound(CSdlSound& sound, const QByteArray& tone)
{
    const auto pressed = Clock::now();
#ifdef PELMORA_OLD_ENGINE
    const CSdlSound::Position before = sound.StreamPosition();
    sound.PlayAsync(tone);
    // The tone starts with the next buffer, unless one came between.
    if (sound.StreamPosition().frames != before.frames)
        return -1;
    const std::int64_t first = before.frames;
#else
    sound.PlayAsync(tone);
    const std::int64_t first = sound.SequenceLayout().front().start;
#endif
    CSdlSound::Position position = sound.StreamPosition();
    const auto giveUp = pressed + 5s;
    while (position.frames - position.lastBuffer <= first) {
        if (Clock::now() > giveUp)
            return -1;
        std::this_thread::sleep_for(100us);
        position = sound.StreamPosition();
    }
    // A stream that starts asks for its first buffers back to back: then
    // the first frame was taken at once.
    return std::max(Ms(position.callbackTime - pressed) - 1000.0 * CSdlSound::BufferFrames / CSdlSound::Rate, 0.0);
}

int Latency(int keys)
{
    const auto made = MakeSound();
    CSdlSound& sound = *made;
    const QByteArray tone = KeyClip('5');
    std::vector<double> playing, afterRest;
    for (int i = 0; i < keys; ++i) {
        // A key pressed 30-80 ms into the tone of the one before.
        sound.PlayAsync(KeyClip('1'));
        std::this_thread::sleep_for(std::chrono::milliseconds(30 + (i * 7) % 50));
        if (const double ms = KeyToSound(sound, tone); ms >= 0)
            playing.push_back(ms);
        std::this_thread::sleep_for(150ms);
    }
    for (int i = 0; i < keys; ++i) {
        Rest(sound);
        std::this_thread::sleep_for(std::chrono::milliseconds((i * 13) % 100));
        if (const double ms = KeyToSound(sound, tone); ms >= 0)
            afterRest.push_back(ms);
    }
    std::vector<double> afterLine;
#ifndef PELMORA_OLD_ENGINE
    // A key pressed by hand after a dial line, whose device had other
    // buffers: the key opens a device of its own.
    for (int i = 0; i < keys; ++i) {
        sound.StartSequence({{KeyClip('1'), KeyGapMs}, {KeyClip('2'), KeyGapMs}});
        sound.WaitSequence(Forever);
        std::this_thread::sleep_for(std::chrono::milliseconds((i * 13) % 100));
        if (const double ms = KeyToSound(sound, tone); ms >= 0)
            afterLine.push_back(ms);
        std::this_thread::sleep_for(150ms);
    }
#endif
    std::printf("key-to-sound on %s (press to the tone's first frame heard):\n", sound.DriverName().c_str());
    Summarise("key while a tone sounds", playing);
    Summarise("first key after a rest", afterRest);
    if (!afterLine.empty())
        Summarise("first key after a dial line", afterLine);
    return 0;
}

#ifndef PELMORA_OLD_ENGINE
int Hold(int seconds)
{
    const auto made = MakeSound();
    CSdlSound& sound = *made;
    sound.PlaySync(KeyClip('5'));
    sound.KeepOpen();
    const double cpu = CpuSeconds();
    const long long switches = ContextSwitches();
    const auto start = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("silence held open on %s for %.1f s: CPU %.3f %% of a core, %.0f wakeups/s, device held: %s\n",
        sound.DriverName().c_str(), wall, 100.0 * (CpuSeconds() - cpu) / wall,
        double(ContextSwitches() - switches) / wall, sound.IsHeld() ? "yes" : "no");
    sound.EndKeepOpen();
    return 0;
}

int Keys(const char* keys)
{
    const auto made = MakeSound();
    CSdlSound& sound = *made;
    std::vector<CSdlSound::Step> steps;
    for (const char* k = keys; *k != '\0'; ++k)
        steps.push_back({KeyClip(*k), KeyGapMs});
    const double cpu = CpuSeconds();
    const long long switches = ContextSwitches();
    const auto start = Clock::now();
    sound.StartSequence(steps);
    const auto layout = sound.SequenceLayout();
    // Follow the keys as the panel would: look again when the next clip
    // starts or ends. When each key was first seen sounding is printed,
    // for sound_keys.py to set beside the recording.
    std::vector<double> seenAt(steps.size(), -1);
    int looks = 0;
    for (;;) {
        const CSdlSound::SequenceState state = sound.SequenceNow();
        if (!state.sounding)
            break;
        ++looks;
        if (state.step >= 0 && seenAt[std::size_t(state.step)] < 0)
            seenAt[std::size_t(state.step)] = Ms(Clock::now() - start);
        std::this_thread::sleep_for(state.untilChange);
    }
    const auto shown = std::count_if(seenAt.begin(), seenAt.end(), [](double t) { return t >= 0; });
    const double wall = Ms(Clock::now() - start);
    std::printf("while sounding: CPU %.3f %% of a core, %.0f wakeups/s\n", 100.0 * (CpuSeconds() - cpu) / wall * 1000.0,
        double(ContextSwitches() - switches) / wall * 1000.0);
    std::printf("shown at ms:");
    for (const double t : seenAt)
        std::printf(" %.1f", t);
    std::printf("\n");
    const std::size_t n = steps.size();
    std::printf(
        "%zu keys on %s: %.1f ms wall, %.2f ms a key (stream: %.2f ms a key), %ld keys seen sounding in %d looks\n", n,
        sound.DriverName().c_str(), wall, wall / double(n),
        (double(layout.back().end - layout.front().start) * 1000.0 / CSdlSound::Rate + KeyGapMs) / double(n),
        long(shown), looks);
    // Let the last buffers reach the device before it closes.
    std::this_thread::sleep_for(200ms);
    return 0;
}

#endif

int SdlRest(const char* mode)
{
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return 1;
    SDL_AudioSpec wanted{};
    wanted.freq = CSdlSound::Rate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = CSdlSound::Channels;
    wanted.samples = CSdlSound::BufferFrames;
    // A 1 kHz beep in the first 100 ms, silence after.
    static int frame = 0;
    wanted.callback = [](void*, Uint8* stream, int length) {
        auto* out = reinterpret_cast<std::int16_t*>(stream);
        for (int i = 0; i < length / 4; ++i, ++frame) {
            const auto v = std::int16_t(frame < 4800 ? 8000 * std::sin(2 * M_PI * 1000 * frame / 48000.0) : 0);
            out[2 * i] = out[2 * i + 1] = v;
        }
    };
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    if (device == 0)
        return 1;
    SDL_PauseAudioDevice(device, 0);
    std::this_thread::sleep_for(200ms);
    if (std::strcmp(mode, "pause") == 0)
        SDL_PauseAudioDevice(device, 1);
    if (std::strcmp(mode, "close") == 0 || std::strcmp(mode, "quit") == 0)
        SDL_CloseAudioDevice(device);
    if (std::strcmp(mode, "quit") == 0)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    std::printf("resting\n");
    std::fflush(stdout);
    std::this_thread::sleep_for(1h);
    return 0;
}

#ifndef PELMORA_OLD_ENGINE
int RestForEver()
{
    const auto made = MakeSound();
    CSdlSound& sound = *made;
    sound.PlaySync(KeyClip('5'));
    std::printf("resting\n");
    std::fflush(stdout);
    std::this_thread::sleep_for(1h);
    return 0;
}
#endif

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "sdl-rest" && argc > 2)
        return SdlRest(argv[2]);
    if (mode == "latency")
        return Latency(argc > 2 ? std::atoi(argv[2]) : 40);
#ifndef PELMORA_OLD_ENGINE
    if (mode == "rest")
        return RestForEver();
    if (mode == "hold")
        return Hold(argc > 2 ? std::atoi(argv[2]) : 10);
    if (mode == "keys" && argc > 2)
        return Keys(argv[2]);
#endif
    std::fprintf(stderr, "usage: %s sdl-rest open|pause|close|quit | rest | latency N | hold S | keys KEYS\n", argv[0]);
    return 2;
}
