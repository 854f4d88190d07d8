#pragma once

#include "CFontBook.h"

#include <QImage>
#include <QString>

#include <vector>

class QPainter;

// One large picture for looking at the media: sections with a title, each
// with its pictures enlarged without smoothing (every pixel a square) and
// labelled, flowing left to right.
class CContactSheet {
public:
    explicit CContactSheet(const CFontBook& fonts);

    void Section(const QString& title);
    void Add(const QString& label, const QImage& image, int scale);

    QImage Render() const;

private:
    struct Item {
        QString label;
        QImage image; // already enlarged
    };
    struct Part {
        QString title;
        std::vector<Item> items;
    };

    // Lays the sheet out; paints only when painter is not null. Returns the
    // height used.
    int Layout(QPainter* painter) const;

    const CFontBook& m_fonts;
    std::vector<Part> m_parts;
};
