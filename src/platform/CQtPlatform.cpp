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
    // Each tone blocks for its length, then the silence holds the input.
    for (std::size_t key = 0; key < toneClips.size(); ++key) {
        if (!onKey(key, true))
            return;
        PlayClip(toneClips[key]);
        if (!onKey(key, false))
            return;
        HoldInput(KeyGapMs);
    }
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
    while (!deadline.hasExpired() && !m_input.CloseRequested()) {
        QTimer wakeUp;
        wakeUp.setSingleShot(true);
        wakeUp.setTimerType(Qt::PreciseTimer);
        wakeUp.start(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    m_input.End();
}

void CQtPlatform::FlushPaints()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
}
