#pragma once

#include "CFontBook.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <cstdint>
#include <map>
#include <vector>

// Every medium of the program, made once in memory: the pictures stay
// available for the contact sheet, and Files() encodes them for embedding.
class CMediaSet {
public:
    explicit CMediaSet(const CFontBook& fonts);

    // Each embedded medium's bytes by its path below the resource prefix
    // (the paths of MediaTable): WAVE files, PNG pictures and strips, raw
    // strings.
    std::map<QString, QByteArray> Files() const;
    // The icon in every size of the desktop's icon theme, by its path below
    // "hicolor/"; installed, not embedded.
    std::map<QString, QByteArray> ThemeIconFiles() const;

    // Draws every picture and every animation frame, enlarged, with a
    // preview of the face with the controls' pictures on their places.
    QImage ContactSheet() const;

private:
    struct ButtonFace {
        QString caption;
        char letter;
        QImage image;
    };

    const CFontBook& m_fonts;
    std::map<int, std::vector<std::int16_t>> m_sounds;
    std::map<int, std::vector<QImage>> m_animations;
    std::map<int, QImage> m_bitmaps;
    std::vector<ButtonFace> m_buttonFaces;
    std::map<int, QImage> m_icons;
    std::map<int, QImage> m_themeIcons;
    std::map<int, QByteArray> m_strings;
};
