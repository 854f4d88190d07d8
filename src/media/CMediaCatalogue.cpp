#include "media/CMediaCatalogue.h"

// Placeholder until the generated media are embedded: every lookup finds
// nothing.

QImage CAnimationClip::Frame(int index) const
{
    if (index < 0 || index >= frameCount)
        return {};
    return strip.copy(index * frameSize.width(), 0, frameSize.width(), frameSize.height());
}

QByteArray CMediaCatalogue::SoundClip(int)
{
    return {};
}

int CMediaCatalogue::SoundClipSamples(int)
{
    return 0;
}

const CAnimationClip* CMediaCatalogue::AnimationClip(int)
{
    return nullptr;
}

QImage CMediaCatalogue::Bitmap(int)
{
    return {};
}

QImage CMediaCatalogue::ButtonFace(const QString&, char)
{
    return {};
}

QIcon CMediaCatalogue::Icon()
{
    return {};
}

QByteArray CMediaCatalogue::String(int)
{
    return {};
}
