#include "platform/CQtPlatform.h"

#include "media/CMediaCatalogue.h"
#include "platform/CAnimateCtrl.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <climits>

CQtPlatform::CQtPlatform()
    : m_sound({"dummy"}, CSdlSound::RestDelay)
{
}

void CQtPlatform::StartClip(int clip)
{
    m_sound.PlayAsync(CMediaCatalogue::SoundClip(clip));
}

void CQtPlatform::PlayClip(int clip)
{
    FlushPaints();
    m_sound.PlaySync(CMediaCatalogue::SoundClip(clip));
}

void CQtPlatform::SoundDialLine(const std::vector<int>& toneClips, const DialKeyEvent& onKey)
{
    if (toneClips.empty())
        return;
    // The whole line is one stream of tones and silences prepared ahead: the
    // 70 ms after each key reach the line however late this thread runs.
    // The panel follows the output: each key is told as its tone starts and
    // ends there, and keys passed while the thread was late are told in
    // order as soon as it runs again.
    std::vector<CSdlSound::Step> steps;
    steps.reserve(toneClips.size());
    for (const int clip : toneClips)
        steps.push_back({CMediaCatalogue::SoundClip(clip), KeyGapMs});
    FlushPaints();
    m_input.Begin();
    m_sound.StartSequence(steps);
    const std::size_t keys = toneClips.size();
    // Keys below started were told as sounding, keys below ended as done.
    std::size_t started = 0;
    std::size_t ended = 0;
    for (;;) {
        const CSdlSound::SequenceState state = m_sound.SequenceNow();
        const std::size_t begun = state.sounding ? std::size_t(state.begun) : keys;
        const std::size_t over = state.sounding && state.step >= 0 ? begun - 1 : begun;
        bool goOn = true;
        while (goOn) {
            if (ended < started && ended < over)
                goOn = onKey(ended++, false);
            else if (ended == started && started < begun)
                goOn = onKey(started++, true);
            else
                break;
        }
        if (!goOn) {
            m_sound.StopSequence();
            break;
        }
        if (!state.sounding)
            break;
        // Input is kept back meanwhile; a close request passes, and the
        // caller ends the line at the next key it is told.
        WaitForEventsFor(std::chrono::ceil<std::chrono::milliseconds>(state.untilChange));
    }
    m_input.End();
}

bool CQtPlatform::StartWaveFile(const std::string& path, int fromMs)
{
    return m_sound.StartFile(path, fromMs);
}

int CQtPlatform::WaveFileRemainingMs()
{
    const auto remaining = std::chrono::ceil<std::chrono::milliseconds>(m_sound.FileRemaining());
    return static_cast<int>(std::min<std::chrono::milliseconds::rep>(remaining.count(), INT_MAX));
}

void CQtPlatform::StopWaveFile()
{
    m_sound.StopFile();
}

void CQtPlatform::Beep()
{
    QApplication::beep();
}

void CQtPlatform::KeepSoundDevice(bool keep)
{
    if (keep)
        m_sound.KeepOpen();
    else
        m_sound.EndKeepOpen();
}

std::string CQtPlatform::SoundProblem() const
{
    return m_sound.SilenceReason();
}

void CQtPlatform::OpenAnimation(CAnimateCtrl& control, int clip)
{
    control.Open(clip);
}

void CQtPlatform::PlayAnimation(CAnimateCtrl& control, int from, int to, int repeat)
{
    control.Play(from, to, repeat);
}

void CQtPlatform::StopAnimation(CAnimateCtrl& control)
{
    control.Stop();
}

std::uint32_t CQtPlatform::NowMs()
{
    return m_clock.Now();
}

void CQtPlatform::ProcessEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void CQtPlatform::WaitForEvents(int timeoutMs)
{
    if (timeoutMs == 0) {
        ProcessEvents();
        return;
    }
    // The wake-up is an event like any other: the wait ends with whichever
    // comes first. Qt's default coarse timers may fire 5 % early, so the
    // wake-up is precise. A local timer keeps nested waits independent.
    QTimer wakeUp;
    if (timeoutMs > 0) {
        wakeUp.setSingleShot(true);
        wakeUp.setTimerType(Qt::PreciseTimer);
        wakeUp.start(timeoutMs);
    }
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    ProcessEvents();
}

void CQtPlatform::HoldInput(int ms)
{
    FlushPaints();
    // Input is held back, but timers and paints go on, so that the
    // animation controls keep playing (the intro reel draws itself while
    // the keys flash).
    const QDeadlineTimer deadline(ms, Qt::PreciseTimer);
    m_input.Begin();
    while (!deadline.hasExpired() && !m_input.CloseRequested())
        WaitForEventsFor(std::chrono::milliseconds(std::max<qint64>(1, deadline.remainingTime())));
    m_input.End();
}

void CQtPlatform::WaitForEventsFor(std::chrono::milliseconds timeout)
{
    QTimer wakeUp;
    wakeUp.setSingleShot(true);
    wakeUp.setTimerType(Qt::PreciseTimer);
    wakeUp.start(timeout);
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void CQtPlatform::FlushPaints()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
}
