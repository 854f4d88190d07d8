#include "CMediaSet.h"

#include "CBannerArt.h"
#include "CButtonPainter.h"
#include "CClipSynth.h"
#include "CContactSheet.h"
#include "CFacePainter.h"
#include "CIconPainter.h"
#include "CIntroReel.h"
#include "CLampArt.h"
#include "CSoundBank.h"
#include "CStringTable.h"
#include "media/CMediaCatalogue.h"
#include "media/MediaTable.h"

#include <QBuffer>
#include <QPainter>

#include <algorithm>

namespace {

QByteArray EncodePng(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        qFatal("cannot encode a PNG picture");
    return bytes;
}

// The frames side by side, left to right; two-colour frames stay indexed.
QImage Strip(const std::vector<QImage>& frames)
{
    const QSize size = frames.front().size();
    QImage strip(size.width() * static_cast<int>(frames.size()), size.height(), frames.front().format());
    strip.setColorTable(frames.front().colorTable());
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const QImage& frame = frames[i];
        if (frame.size() != size || frame.format() != strip.format() || frame.colorTable() != strip.colorTable())
            qFatal("the frames of a clip differ in size or format");
        const int left = static_cast<int>(i) * size.width();
        const int bytesPerPixel = frame.depth() / 8;
        for (int y = 0; y < size.height(); ++y) {
            std::copy_n(frame.constScanLine(y), size.width() * bytesPerPixel,
                strip.scanLine(y) + static_cast<std::ptrdiff_t>(left) * bytesPerPixel);
        }
    }
    return strip;
}

} // namespace

CMediaSet::CMediaSet(const CFontBook& fonts)
    : m_fonts(fonts)
{
    for (const MediaTable::SoundClipSpec& spec : MediaTable::SoundClips) {
        m_sounds[spec.clip] = CSoundBank::Clip(spec.clip);
        if (static_cast<int>(m_sounds[spec.clip].size()) != spec.samples)
            qFatal("sound clip %d has the wrong length", spec.clip);
    }

    const CBannerArt banners(fonts);
    const CIntroReel intro;
    for (const MediaTable::AnimationClipSpec& spec : MediaTable::AnimationClips) {
        std::vector<QImage> frames = banners.Frames(spec.clip);
        if (frames.empty())
            frames = CLampArt::Frames(spec.clip);
        if (frames.empty() && spec.clip == 245)
            frames = intro.Frames();
        if (static_cast<int>(frames.size()) != spec.frames || frames.front().size() != QSize(spec.width, spec.height))
            qFatal("animation clip %d has the wrong frames", spec.clip);
        m_animations[spec.clip] = std::move(frames);
    }

    m_bitmaps[168] = CFacePainter(fonts, CMediaCatalogue::PanelLayout()).Paint();
    m_bitmaps[189] = CLampArt::TogglePicture(189);
    m_bitmaps[190] = CLampArt::TogglePicture(190);

    const CButtonPainter buttons(fonts);
    for (const MediaTable::ButtonFaceSpec& spec : MediaTable::ButtonFaces) {
        const QString caption = QString::fromLatin1(spec.caption.data(), static_cast<qsizetype>(spec.caption.size()));
        for (char letter : spec.letters)
            m_buttonFaces.push_back({caption, letter, buttons.Paint(caption, letter)});
    }

    const CIconPainter icons(fonts);
    for (int size : MediaTable::IconSizes)
        m_icons[size] = icons.Paint(size);
    for (int size : CIconPainter::ThemeSizes)
        m_themeIcons[size] = icons.Paint(size);
    for (int id : MediaTable::Strings)
        m_strings[id] = CStringTable::String(id);
}

std::map<QString, QByteArray> CMediaSet::Files() const
{
    std::map<QString, QByteArray> files;
    for (const auto& [clip, samples] : m_sounds)
        files[MediaTable::SoundPath(clip)] = CClipSynth::EncodeWave(samples);
    for (const auto& [clip, frames] : m_animations)
        files[MediaTable::AnimationPath(clip)] = EncodePng(Strip(frames));
    for (const auto& [id, image] : m_bitmaps)
        files[MediaTable::BitmapPath(id)] = EncodePng(image);
    for (const ButtonFace& face : m_buttonFaces)
        files[MediaTable::ButtonFacePath(face.caption, face.letter)] = EncodePng(face.image);
    for (const auto& [size, image] : m_icons)
        files[MediaTable::IconPath(size)] = EncodePng(image);
    // Not embedded: the build installs them into the desktop's icon theme.
    for (const auto& [size, image] : m_themeIcons)
        files[QStringLiteral("hicolor/%1x%1/apps/pelmora.png").arg(size)] = EncodePng(image);
    for (const auto& [id, text] : m_strings)
        files[MediaTable::StringPath(id)] = text;
    return files;
}

QImage CMediaSet::ContactSheet() const
{
    CContactSheet sheet(m_fonts);

    // The face as the panel shows it: every control's picture on its place.
    QImage preview = m_bitmaps.at(168);
    {
        QPainter painter(&preview);
        const CDialogLayout& panel = CMediaCatalogue::PanelLayout();
        const auto place = [&](int id) {
            const CDialogControl* control = panel.Control(id);
            return QPoint(control->x, control->y) * CFacePainter::PixelsPerUnit;
        };
        for (const CDialogControl& control : panel.controls) {
            if (control.kind != CDialogControl::Button)
                continue;
            for (const ButtonFace& face : m_buttonFaces) {
                if (face.caption == control.text && face.letter == 'U')
                    painter.drawImage(place(control.id), face.image);
            }
        }
        painter.drawImage(place(1024), m_animations.at(186).front());
        painter.drawImage(place(1033), m_animations.at(244).back());
        painter.drawImage(place(1034), m_animations.at(245).back());
        painter.drawImage(place(1030), m_bitmaps.at(190));
    }
    sheet.Section(QStringLiteral("Face 168 and the panel with its controls"));
    sheet.Add(QStringLiteral("168"), m_bitmaps.at(168), 2);
    sheet.Add(QStringLiteral("panel"), preview, 2);

    for (const auto& [clip, frames] : m_animations) {
        sheet.Section(QStringLiteral("Animation clip %1").arg(clip));
        const int scale = clip == 245 ? 2 : 4;
        for (std::size_t i = 0; i < frames.size(); ++i)
            sheet.Add(QString::number(i), frames[i], scale);
    }
    sheet.Section(QStringLiteral("Toggle lamp pictures and icon 128"));
    sheet.Add(QStringLiteral("189"), m_bitmaps.at(189), 6);
    sheet.Add(QStringLiteral("190"), m_bitmaps.at(190), 6);
    for (const auto& [size, image] : m_icons)
        sheet.Add(QStringLiteral("128 %1").arg(size), image, 6);
    sheet.Section(QStringLiteral("Icon theme sizes"));
    for (const auto& [size, image] : m_themeIcons)
        sheet.Add(QString::number(size), image, std::max(1, 64 / size));
    sheet.Section(QStringLiteral("Button faces"));
    for (const ButtonFace& face : m_buttonFaces)
        sheet.Add(face.caption + QLatin1Char(face.letter), face.image, 3);
    return sheet.Render();
}
