#include "media/CMediaCatalogue.h"

#include "media/MediaTable.h"

#include <QFile>

#include <map>

namespace {

// Where a medium at a MediaTable path is embedded.
QString ResourcePath(const QString& path)
{
    return QStringLiteral(":%1/%2").arg(MediaTable::ResourcePrefix, path);
}

QByteArray ReadResource(const QString& path)
{
    QFile file(ResourcePath(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// The clips are decoded once and live until the process ends, so that the
// pointers handed out stay valid.
const std::map<int, CAnimationClip>& AnimationClips()
{
    static const std::map<int, CAnimationClip> clips = [] {
        std::map<int, CAnimationClip> loaded;
        for (const MediaTable::AnimationClipSpec& spec : MediaTable::AnimationClips) {
            CAnimationClip clip;
            clip.strip = QImage(ResourcePath(MediaTable::AnimationPath(spec.clip)));
            clip.frameSize = QSize(spec.width, spec.height);
            clip.frameCount = spec.frames;
            clip.framesPerSecond = spec.framesPerSecond;
            loaded.emplace(spec.clip, std::move(clip));
        }
        return loaded;
    }();
    return clips;
}

} // namespace

QByteArray CMediaCatalogue::SoundClip(int clip)
{
    if (!MediaTable::FindSoundClip(clip))
        return {};
    return ReadResource(MediaTable::SoundPath(clip));
}

int CMediaCatalogue::SoundClipSamples(int clip)
{
    const MediaTable::SoundClipSpec* spec = MediaTable::FindSoundClip(clip);
    return spec ? spec->samples : 0;
}

const CAnimationClip* CMediaCatalogue::AnimationClip(int clip)
{
    const std::map<int, CAnimationClip>& clips = AnimationClips();
    const auto found = clips.find(clip);
    return found == clips.end() ? nullptr : &found->second;
}

QImage CMediaCatalogue::Bitmap(int id)
{
    for (int bitmap : MediaTable::Bitmaps) {
        if (bitmap == id)
            return QImage(ResourcePath(MediaTable::BitmapPath(id)));
    }
    return {};
}

QImage CMediaCatalogue::ButtonFace(const QString& caption, char letter)
{
    // Only the listed faces are looked up, so no caption can name another
    // resource.
    const MediaTable::ButtonFaceSpec* spec = MediaTable::FindButtonFace(caption.toStdString());
    if (!spec || spec->letters.find(letter) == std::string_view::npos)
        return {};
    return QImage(ResourcePath(MediaTable::ButtonFacePath(caption, letter)));
}

QImage CMediaCatalogue::IconImage(int size)
{
    for (int iconSize : MediaTable::IconSizes) {
        if (iconSize == size)
            return QImage(ResourcePath(MediaTable::IconPath(size)));
    }
    return {};
}

QIcon CMediaCatalogue::Icon()
{
    QIcon icon;
    for (int size : MediaTable::IconSizes)
        icon.addFile(ResourcePath(MediaTable::IconPath(size)), QSize(size, size));
    return icon;
}

QByteArray CMediaCatalogue::String(int id)
{
    for (int string : MediaTable::Strings) {
        if (string == id)
            return ReadResource(MediaTable::StringPath(id));
    }
    return {};
}
