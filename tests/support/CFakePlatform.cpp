#include "CFakePlatform.h"

void CFakePlatform::PlayClipAsync(int clip)
{
    m_sounds.push_back({SoundRequest::ClipAsync, clip, {}, m_now});
}

void CFakePlatform::PlayClipSync(int clip)
{
    m_sounds.push_back({SoundRequest::ClipSync, clip, {}, m_now});
}

void CFakePlatform::PlayWaveFileSync(const std::string& path)
{
    m_sounds.push_back({SoundRequest::WaveFileSync, 0, path, m_now});
}

void CFakePlatform::MessageBeep()
{
    m_sounds.push_back({SoundRequest::Beep, 0, {}, m_now});
}

void CFakePlatform::AnimOpen(CAnimateCtrl&, int)
{
}
void CFakePlatform::AnimPlay(CAnimateCtrl&, int, int, int)
{
}
void CFakePlatform::AnimStop(CAnimateCtrl&)
{
}

void CFakePlatform::PumpMessages()
{
}

void CFakePlatform::WaitForEvents(int timeoutMs)
{
    if (timeoutMs > 0)
        m_now += static_cast<std::uint32_t>(timeoutMs);
}

void CFakePlatform::Hold(int ms)
{
    if (ms > 0)
        m_now += static_cast<std::uint32_t>(ms);
}
