#include "CFakePlatform.h"

#include "media/CMediaCatalogue.h"
#include "platform/CAnimateCtrl.h"
#include "platform/CWaveDecoder.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>

CFakePlatform::~CFakePlatform()
{
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

void CFakePlatform::At(std::uint32_t ms, std::function<void()> action, bool closeRequest)
{
    const auto ahead = static_cast<std::int32_t>(ms - NowMs());
    const std::int64_t due = ahead > 0 ? (m_nowNs / NsPerMs + ahead) * NsPerMs : m_nowNs;
    m_actions.emplace(due, Action{std::move(action), closeRequest});
}

void CFakePlatform::Log(const QString& sound)
{
    sounds << sound;
    soundTimes.push_back(Now());
    m_waveEndNs = 0; // every sound cuts off a wave file
}

void CFakePlatform::StartClip(int clip)
{
    Log(QString::number(clip));
}

void CFakePlatform::PlayClip(int clip)
{
    Log(QStringLiteral("s%1").arg(clip));
    if (onBlock)
        onBlock(sounds.last());
    AdvanceNs(std::llround(CMediaCatalogue::SoundClipSamples(clip) * 1e9 / CMediaCatalogue::SampleRate));
}

void CFakePlatform::SoundDialLine(const std::vector<int>& toneClips, const DialKeyEvent& onKey)
{
    for (std::size_t key = 0; key < toneClips.size() && onKey(key, true); ++key) {
        PlayClip(toneClips[key]);
        if (!onKey(key, false))
            return;
        HoldInput(KeyGapMs);
    }
}

bool CFakePlatform::StartWaveFile(const std::string& path, int fromMs)
{
    Log(QStringLiteral("file ") + QString::fromLocal8Bit(path)
        + (fromMs > 0 ? QStringLiteral(" from %1").arg(fromMs) : QString()));
    double ms = -1;
    if (const auto known = m_waveMs.find(path); known != m_waveMs.end()) {
        ms = known->second;
    } else if (const auto bytes = CWaveDecoder::ReadFile(path)) {
        ms = CWaveDecoder::Duration(*bytes).value_or(-0.001) * 1000;
    }
    if (ms < 0)
        return false;
    m_waveEndNs = m_nowNs + std::max<std::int64_t>(std::llround(ms * NsPerMs) - fromMs * NsPerMs, 0);
    return true;
}

int CFakePlatform::WaveFileRemainingMs()
{
    return int(std::max<std::int64_t>(m_waveEndNs - m_nowNs + NsPerMs - 1, 0) / NsPerMs);
}

void CFakePlatform::StopWaveFile()
{
    if (WaveFileRemainingMs() > 0)
        Log(QStringLiteral("stop file"));
}

void CFakePlatform::Beep()
{
    // The desktop's alert cuts no sound of the program.
    sounds << QStringLiteral("beep");
    soundTimes.push_back(Now());
}

void CFakePlatform::OpenAnimation(CAnimateCtrl& control, int clip)
{
    Adopt(control);
    control.Open(clip);
}

void CFakePlatform::PlayAnimation(CAnimateCtrl& control, int from, int to, int repeat)
{
    Adopt(control);
    control.Play(from, to, repeat);
}

void CFakePlatform::StopAnimation(CAnimateCtrl& control)
{
    control.Stop();
}

void CFakePlatform::Adopt(CAnimateCtrl& control)
{
    if (std::find(m_controls.begin(), m_controls.end(), &control) != m_controls.end())
        return;
    control.SetExternalTime(true);
    m_controls.emplace_back(&control);
}

std::uint32_t CFakePlatform::NowMs()
{
    return static_cast<std::uint32_t>(m_nowNs / NsPerMs);
}

void CFakePlatform::ProcessEvents()
{
    RunDueActions();
    QCoreApplication::processEvents();
    if (!m_movedSincePump)
        AdvanceNs(NsPerMs);
    m_movedSincePump = false;
}

void CFakePlatform::WaitForEvents(int timeoutMs)
{
    std::int64_t wakeUp = timeoutMs >= 0 ? m_nowNs + std::int64_t(timeoutMs) * NsPerMs : INT64_MAX;
    if (!m_actions.empty())
        wakeUp = std::min(wakeUp, m_actions.begin()->first);
    if (wakeUp == INT64_MAX)
        qFatal("CFakePlatform: a wait for an event with none scheduled would never end");
    AdvanceNs(wakeUp - m_nowNs);
    RunDueActions();
    QCoreApplication::processEvents();
}

void CFakePlatform::HoldInput(int ms)
{
    if (onBlock)
        onBlock(QStringLiteral("hold %1").arg(ms));
    const std::int64_t end = m_nowNs + std::int64_t(ms) * NsPerMs;
    const auto close = std::find_if(
        m_actions.begin(), m_actions.upper_bound(end), [](const auto& action) { return action.second.closeRequest; });
    if (close == m_actions.upper_bound(end)) {
        AdvanceNs(end - m_nowNs);
        return;
    }
    AdvanceNs(close->first - m_nowNs);
    const auto run = std::move(close->second.run);
    m_actions.erase(close);
    run();
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
    // Each action leaves the queue before it runs: an action may pump.
    while (!m_actions.empty() && m_actions.begin()->first <= m_nowNs) {
        const auto run = std::move(m_actions.begin()->second.run);
        m_actions.erase(m_actions.begin());
        run();
    }
}
