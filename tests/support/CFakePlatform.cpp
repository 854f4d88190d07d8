#include "CFakePlatform.h"

#include "media/CMediaCatalogue.h"
#include "platform/CAnimateCtrl.h"
#include "platform/CWaveDecoder.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>

CFakePlatform::~CFakePlatform()
{
    // Controls that outlive the fake go back to their own timers.
    for (const QPointer<CAnimateCtrl>& control : m_controls) {
        if (control)
            control->SetExternalTime(false);
    }
}

void CFakePlatform::SetTime(std::uint32_t ms)
{
    m_nowNs = std::int64_t(ms) * NsPerMs;
}

void CFakePlatform::Advance(std::uint32_t ms)
{
    AdvanceNs(std::int64_t(ms) * NsPerMs);
}

void CFakePlatform::SetPumpStep(double ms)
{
    m_pumpStepNs = std::max<std::int64_t>(0, std::llround(ms * NsPerMs));
}

void CFakePlatform::At(std::uint32_t ms, std::function<void()> action, bool closeRequest)
{
    // The first instant at which the clock reads ms.
    const auto ahead = static_cast<std::int32_t>(ms - TimeGetTime());
    const std::int64_t due = ahead > 0 ? (m_nowNs / NsPerMs + ahead) * NsPerMs : m_nowNs;
    m_actions.emplace(due, Action{std::move(action), closeRequest});
}

void CFakePlatform::After(std::uint32_t ms, std::function<void()> action)
{
    m_actions.emplace(m_nowNs + std::int64_t(ms) * NsPerMs, Action{std::move(action)});
}

void CFakePlatform::SetClipSamples(int clip, int samples)
{
    m_clipSamples[clip] = samples;
}

void CFakePlatform::SetWaveFileLength(const std::string& path, double ms)
{
    m_waveFileMs[path] = ms;
}

QStringList CFakePlatform::SoundLog() const
{
    QStringList log;
    for (const SoundRequest& sound : m_sounds) {
        switch (sound.kind) {
        case SoundRequest::ClipAsync:
            log << QStringLiteral("async %1").arg(sound.clip);
            break;
        case SoundRequest::ClipSync:
            log << QStringLiteral("sync %1").arg(sound.clip);
            break;
        case SoundRequest::WaveFile:
            log << QStringLiteral("file ") + QString::fromLocal8Bit(sound.path)
                    + (sound.clip > 0 ? QStringLiteral(" from %1").arg(sound.clip) : QString());
            break;
        case SoundRequest::StopWaveFile:
            log << QStringLiteral("stop file");
            break;
        case SoundRequest::Beep:
            log << QStringLiteral("beep");
            break;
        }
    }
    return log;
}

QStringList CFakePlatform::AnimationLog() const
{
    QStringList log;
    for (const AnimationRequest& request : m_animations) {
        // Controls may be gone by now: their names are looked up only among
        // the controls still alive.
        QString name = QStringLiteral("control");
        for (const QPointer<CAnimateCtrl>& control : m_controls) {
            if (control && control.data() == request.control && !control->objectName().isEmpty())
                name = control->objectName();
        }
        switch (request.kind) {
        case AnimationRequest::Open:
            log << QStringLiteral("%1 open %2").arg(name).arg(request.clip);
            break;
        case AnimationRequest::Play:
            log << QStringLiteral("%1 play %2 %3..%4 x%5")
                       .arg(name)
                       .arg(request.clip)
                       .arg(request.from)
                       .arg(request.to)
                       .arg(request.repeat);
            break;
        case AnimationRequest::Stop:
            log << QStringLiteral("%1 stop").arg(name);
            break;
        }
    }
    return log;
}

void CFakePlatform::ClearLogs()
{
    m_sounds.clear();
    m_animations.clear();
}

void CFakePlatform::Record(SoundRequest request)
{
    request.time = TimeGetTime();
    m_sounds.push_back(std::move(request));
    m_waveEndNs = 0;
}

void CFakePlatform::PlayClipAsync(int clip)
{
    Record({SoundRequest::ClipAsync, clip, {}, 0});
}

void CFakePlatform::PlayClipSync(int clip)
{
    Record({SoundRequest::ClipSync, clip, {}, 0});
    if (onSyncClip)
        onSyncClip(clip);
    const auto registered = m_clipSamples.find(clip);
    const int samples
        = registered != m_clipSamples.end() ? registered->second : CMediaCatalogue::SoundClipSamples(clip);
    AdvanceNs(std::llround(double(samples) * 1e9 / CMediaCatalogue::SampleRate));
}

bool CFakePlatform::StartWaveFile(const std::string& path, int fromMs)
{
    Record({SoundRequest::WaveFile, fromMs, path, 0});
    const std::int64_t length = WaveFileNs(path);
    if (length < 0)
        return false;
    m_waveEndNs = m_nowNs + std::max<std::int64_t>(length - std::int64_t(fromMs) * NsPerMs, 0);
    return true;
}

int CFakePlatform::WaveFileRemainingMs()
{
    return int(std::max<std::int64_t>(m_waveEndNs - m_nowNs + NsPerMs - 1, 0) / NsPerMs);
}

void CFakePlatform::StopWaveFile()
{
    if (WaveFileRemainingMs() > 0)
        Record({SoundRequest::StopWaveFile, 0, {}, 0});
}

std::int64_t CFakePlatform::WaveFileNs(const std::string& path) const
{
    if (const auto registered = m_waveFileMs.find(path); registered != m_waveFileMs.end())
        return std::llround(registered->second * NsPerMs);
    const auto bytes = CWaveDecoder::ReadFile(path);
    const auto seconds = bytes ? CWaveDecoder::Duration(*bytes) : std::nullopt;
    return seconds ? std::llround(*seconds * 1e9) : -1;
}

void CFakePlatform::MessageBeep()
{
    // The desktop's alert, not the program's sound: it cuts nothing.
    m_sounds.push_back({SoundRequest::Beep, 0, {}, TimeGetTime()});
}

void CFakePlatform::AnimOpen(CAnimateCtrl& control, int clip)
{
    m_animations.push_back({AnimationRequest::Open, &control, clip, 0, 0, 0, TimeGetTime()});
    Adopt(control);
    control.Open(clip);
}

void CFakePlatform::AnimPlay(CAnimateCtrl& control, int from, int to, int repeat)
{
    m_animations.push_back({AnimationRequest::Play, &control, control.Clip(), from, to, repeat, TimeGetTime()});
    Adopt(control);
    control.Play(from, to, repeat);
}

void CFakePlatform::AnimStop(CAnimateCtrl& control)
{
    m_animations.push_back({AnimationRequest::Stop, &control, control.Clip(), 0, 0, 0, TimeGetTime()});
    Adopt(control);
    control.Stop();
}

void CFakePlatform::Adopt(CAnimateCtrl& control)
{
    const auto known = std::find(m_controls.begin(), m_controls.end(), &control);
    if (known != m_controls.end())
        return;
    control.SetExternalTime(true);
    m_controls.emplace_back(&control);
}

std::uint32_t CFakePlatform::TimeGetTime()
{
    return static_cast<std::uint32_t>(m_nowNs / NsPerMs);
}

void CFakePlatform::PumpMessages()
{
    ++m_pumps;
    RunDueActions();
    ProcessQtEvents();
    if (!m_movedSincePump)
        AdvanceNs(m_pumpStepNs);
    m_movedSincePump = false;
}

void CFakePlatform::WaitForEvents(int timeoutMs)
{
    ++m_waits;
    if (timeoutMs == 0) {
        PumpMessages();
        return;
    }
    std::int64_t wakeUp = timeoutMs > 0 ? m_nowNs + std::int64_t(timeoutMs) * NsPerMs : INT64_MAX;
    if (!m_actions.empty())
        wakeUp = std::min(wakeUp, m_actions.begin()->first);
    if (wakeUp == INT64_MAX)
        qFatal("CFakePlatform: WaitForEvents(%d) with no action scheduled would wait for ever", timeoutMs);
    if (wakeUp > m_nowNs)
        AdvanceNs(wakeUp - m_nowNs);
    RunDueActions();
    ProcessQtEvents();
}

void CFakePlatform::Hold(int ms)
{
    if (onHold)
        onHold(ms);
    const std::int64_t end = m_nowNs + std::int64_t(std::max(ms, 0)) * NsPerMs;
    auto request = m_actions.begin();
    while (request != m_actions.end() && request->first <= end && !request->second.closeRequest)
        ++request;
    if (request == m_actions.end() || request->first > end) {
        AdvanceNs(end - m_nowNs);
        return;
    }
    // The hold ends with the request, as on the real platform.
    AdvanceNs(request->first - m_nowNs);
    auto action = std::move(request->second.run);
    m_actions.erase(request);
    action();
}

void CFakePlatform::AdvanceNs(std::int64_t ns)
{
    if (ns <= 0)
        return;
    m_nowNs += ns;
    m_movedSincePump = true;
    std::erase_if(m_controls, [](const QPointer<CAnimateCtrl>& control) { return control.isNull(); });
    for (const QPointer<CAnimateCtrl>& control : m_controls)
        control->AdvanceTime(double(ns) / NsPerMs);
}

void CFakePlatform::RunDueActions()
{
    // Each action leaves the queue before it runs, so that an action that
    // pumps by itself does not run again.
    while (!m_actions.empty() && m_actions.begin()->first <= m_nowNs) {
        auto action = std::move(m_actions.begin()->second.run);
        m_actions.erase(m_actions.begin());
        action();
    }
}

void CFakePlatform::ProcessQtEvents()
{
    if (QCoreApplication::instance() != nullptr)
        QCoreApplication::processEvents();
}
