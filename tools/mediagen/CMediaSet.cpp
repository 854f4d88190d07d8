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
#include "media/MediaIds.h"
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
        if (frames.empty() && spec.clip == Clip::IntroReel)
            frames = intro.Frames();
        if (static_cast<int>(frames.size()) != spec.frames || frames.front().size() != QSize(spec.width, spec.height))
            qFatal("animation clip %d has the wrong frames", spec.clip);
        m_animations[spec.clip] = std::move(frames);
    }

    m_bitmaps[Bitmap::Face] = CFacePainter(fonts, CMediaCatalogue::PanelLayout()).Paint();
    m_bitmaps[Bitmap::LampBox] = CLampArt::TogglePicture(Bitmap::LampBox);
    m_bitmaps[Bitmap::LampSpeaker] = CLampArt::TogglePicture(Bitmap::LampSpeaker);

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
    for (const auto& [id, text] : m_strings)
        files[MediaTable::StringPath(id)] = text;
    return files;
}

std::map<QString, QByteArray> CMediaSet::ThemeIconFiles() const
{
    std::map<QString, QByteArray> files;
    for (const auto& [size, image] : m_themeIcons)
        files[QStringLiteral("hicolor/%1x%1/apps/pelmora.png").arg(size)] = EncodePng(image);
    return files;
}

QImage CMediaSet::ContactSheet() const
{
    CContactSheet sheet(m_fonts);

    // The face as the panel shows it: every control's picture on its place.
    QImage preview = m_bitmaps.at(Bitmap::Face);
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
        painter.drawImage(place(ControlId::ModeBanner), m_animations.at(Clip::BannerReady).front());
        painter.drawImage(place(ControlId::ActivityLight), m_animations.at(Clip::LampCycle).back());
        painter.drawImage(place(ControlId::IntroReel), m_animations.at(Clip::IntroReel).back());
        painter.drawImage(place(ControlId::ToggleLamp), m_bitmaps.at(Bitmap::LampSpeaker));
    }
    sheet.Section(QStringLiteral("Face %1 and the panel with its controls").arg(Bitmap::Face));
    sheet.Add(QString::number(Bitmap::Face), m_bitmaps.at(Bitmap::Face), 2);
    sheet.Add(QStringLiteral("panel"), preview, 2);

    for (const auto& [clip, frames] : m_animations) {
        sheet.Section(QStringLiteral("Animation clip %1").arg(clip));
        const int scale = clip == Clip::IntroReel ? 2 : 4;
        for (std::size_t i = 0; i < frames.size(); ++i)
            sheet.Add(QString::number(i), frames[i], scale);
    }
    sheet.Section(QStringLiteral("Toggle lamp pictures and icon %1").arg(Bitmap::Icon));
    for (int id : {Bitmap::LampBox, Bitmap::LampSpeaker})
        sheet.Add(QString::number(id), m_bitmaps.at(id), 6);
    for (const auto& [size, image] : m_icons)
        sheet.Add(QStringLiteral("%1 %2").arg(Bitmap::Icon).arg(size), image, 6);
    sheet.Section(QStringLiteral("Icon theme sizes"));
    for (const auto& [size, image] : m_themeIcons)
        sheet.Add(QString::number(size), image, std::max(1, 64 / size));
    sheet.Section(QStringLiteral("Button faces"));
    for (const ButtonFace& face : m_buttonFaces)
        sheet.Add(face.caption + QLatin1Char(face.letter), face.image, 3);
    return sheet.Render();
}
