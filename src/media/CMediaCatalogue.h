#pragma once

#include "media/MediaIds.h"

#include <QByteArray>
#include <QIcon>
#include <QImage>
#include <QSize>
#include <QString>

#include <cstdint>
#include <vector>

// One animation clip: its frames side by side in one strip, left to right.
// The two-colour clips come as 8-bit indexed images whose palette holds just
// their two colours; the opening drawing (Clip::IntroReel) in full colour.
struct CAnimationClip {
    QImage strip;
    QSize frameSize;
    int frameCount = 0;
    int framesPerSecond = 1;
};

// One control of a dialog layout, positions in dialog units.
struct CDialogControl {
    enum Kind { Button, ListBox, Edit, Static, Animation, IconStatic };
    enum StyleFlag : std::uint32_t {
        Visible = 0x1,
        TabStop = 0x2,
        Notify = 0x4,
        MultiLine = 0x8,
    };
    int id = 0;
    Kind kind = Static;
    QString text;
    std::uint32_t flags = 0; // StyleFlag bits
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// A dialog layout: size in dialog units, its font and its controls in
// template (tab) order.
struct CDialogLayout {
    QString title;
    QString fontFace;
    int pointSize = 8;
    int width = 0;
    int height = 0;
    std::vector<CDialogControl> controls;

    const CDialogControl* Control(int id) const;
};

// Every medium of the program, embedded with the Qt resource system and
// addressed by its resource number (or, for button faces, by caption and
// face letter). Nothing is read from the working directory.
class CMediaCatalogue {
public:
    // The RIFF WAVE bytes of a sound clip (16-bit mono PCM, 11025 Hz); empty
    // for a number that is not a sound clip.
    static QByteArray SoundClip(int clip);
    // The number of samples of a sound clip, 0 for an unknown number.
    static int SoundClipSamples(int clip);
    static constexpr int SampleRate = 11025;

    // An animation clip, or nullptr for a number that is not one.
    static const CAnimationClip* AnimationClip(int clip);

    // The face and the toggle lamp pictures (Bitmap::...); a null image for
    // any other number.
    static QImage Bitmap(int id);
    // A button face: caption ("DIAL1", "PLAY", ...) and letter 'U', 'D', 'F'
    // or 'X'. A null image when that face does not exist.
    static QImage ButtonFace(const QString& caption, char letter);
    // Icon Bitmap::Icon with its 32 x 32 and 16 x 16 images.
    static QIcon Icon();
    // One image of that icon, 32 or 16 pixels square; a null image for any
    // other size.
    static QImage IconImage(int size);

    // Template 102, the panel, and template 100, the About box.
    static const CDialogLayout& PanelLayout();
    static const CDialogLayout& AboutLayout();

    // The string resources (Strings::...), as 8-bit bytes; empty for other
    // numbers.
    static QByteArray String(int id);
};
