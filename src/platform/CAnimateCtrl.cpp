#include "platform/CAnimateCtrl.h"

#include "media/CMediaCatalogue.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

CAnimateCtrl::CAnimateCtrl(QWidget* parent)
    : QWidget(parent)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &CAnimateCtrl::OnTimer);
}

void CAnimateCtrl::Open(int clip)
{
    Open(clip != 0 ? CMediaCatalogue::AnimationClip(clip) : nullptr, clip);
}

void CAnimateCtrl::Open(const CAnimationClip* clip, int number)
{
    EndPlayback();
    if (clip != nullptr && clip->frameCount <= 0)
        clip = nullptr;
    m_clip = clip;
    m_number = clip != nullptr ? number : 0;
    m_from = 0;
    m_to = 0;
    if (clip != nullptr)
        resize(clip->frameSize);
    m_current = clip != nullptr ? 0 : -1;
    update();
}

int CAnimateCtrl::FrameCount() const
{
    return m_clip != nullptr ? m_clip->frameCount : 0;
}

void CAnimateCtrl::Play(int from, int to, int repeat)
{
    if (m_clip == nullptr)
        return;
    const int last = m_clip->frameCount - 1;
    from = std::clamp(from, 0, last);
    to = std::clamp(to, 0, last);
    if (from > to)
        return;
    EndPlayback();
    m_from = from;
    m_to = to;
    ShowFrame(from);
    if (from == to || repeat == 0)
        return;
    m_playing = true;
    m_repeatsLeft = repeat < 0 ? ForEver : repeat;
    m_sinceAdvance.start();
    ScheduleTick();
}

void CAnimateCtrl::Stop()
{
    EndPlayback();
}

void CAnimateCtrl::SetExternalTime(bool external)
{
    m_externalTime = external;
    m_timer.stop();
    m_sinceAdvance.start();
    ScheduleTick();
}

void CAnimateCtrl::AdvanceTime(double ms)
{
    if (!m_playing || ms <= 0.0)
        return;
    const double period = FramePeriodMs();
    m_phaseMs += ms;
    while (m_playing && m_phaseMs >= period) {
        m_phaseMs -= period;
        StepFrame();
    }
}

QSize CAnimateCtrl::sizeHint() const
{
    return m_clip != nullptr ? m_clip->frameSize : QWidget::sizeHint();
}

void CAnimateCtrl::paintEvent(QPaintEvent*)
{
    if (m_clip == nullptr || m_current < 0)
        return;
    const QSize size = m_clip->frameSize;
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), m_clip->strip, QRect(QPoint(m_current * size.width(), 0), size));
}

double CAnimateCtrl::FramePeriodMs() const
{
    return 1000.0 / std::max(m_clip->framesPerSecond, 1);
}

void CAnimateCtrl::ShowFrame(int frame)
{
    if (frame == m_current)
        return;
    m_current = frame;
    update();
}

void CAnimateCtrl::StepFrame()
{
    if (m_current < m_to) {
        ShowFrame(m_current + 1);
        return;
    }
    if (m_repeatsLeft == 1) {
        EndPlayback();
        return;
    }
    if (m_repeatsLeft > 1)
        --m_repeatsLeft;
    ShowFrame(m_from);
}

void CAnimateCtrl::EndPlayback()
{
    m_playing = false;
    m_repeatsLeft = 0;
    m_phaseMs = 0.0;
    m_timer.stop();
}

void CAnimateCtrl::OnTimer()
{
    const double elapsed = double(m_sinceAdvance.nsecsElapsed()) / 1e6;
    m_sinceAdvance.start();
    AdvanceTime(elapsed);
    ScheduleTick();
}

void CAnimateCtrl::ScheduleTick()
{
    if (!m_playing || m_externalTime)
        return;
    // Wake at the next frame boundary; measuring the time actually passed
    // on every tick keeps the rate exact however late a tick comes.
    const double remaining = FramePeriodMs() - m_phaseMs;
    m_timer.start(std::max(0, int(std::ceil(remaining))));
}
