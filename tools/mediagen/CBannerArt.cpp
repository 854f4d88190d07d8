#include "CBannerArt.h"

#include "CPixelCanvas.h"
#include "media/MediaIds.h"

namespace {

constexpr int Width = 77;
constexpr int Height = 15;
// The symbol sits centred in the square at the left; the label fills the rest.
const QRect SymbolBox(0, 0, 15, 15);
const QRect LabelBox(17, 0, 60, 15);

// clang-format off
const CBannerArt::Sprite RecordDot = {
    "..#####..",
    ".#######.",
    "#########",
    "#########",
    "#########",
    "#########",
    "#########",
    ".#######.",
    "..#####..",
};
const CBannerArt::Sprite RecordRing = {
    "..#####..",
    ".#.....#.",
    "#.......#",
    "#..###..#",
    "#..###..#",
    "#..###..#",
    "#.......#",
    ".#.....#.",
    "..#####..",
};
const CBannerArt::Sprite PlaySolid = {
    "##.......",
    "####.....",
    "######...",
    "########.",
    "#########",
    "########.",
    "######...",
    "####.....",
    "##.......",
};
const CBannerArt::Sprite PlayHollow = {
    "##.......",
    "#.##.....",
    "#...##...",
    "#.....##.",
    "#.......#",
    "#.....##.",
    "#...##...",
    "#.##.....",
    "##.......",
};
const CBannerArt::Sprite PauseBars = {
    "###...###",
    "###...###",
    "###...###",
    "###...###",
    "###...###",
    "###...###",
    "###...###",
    "###...###",
    "###...###",
};
const CBannerArt::Sprite RepeatArrow = {
    ".......##",
    ".....####",
    "...######",
    ".########",
    "#########",
    ".########",
    "...######",
    ".....####",
    ".......##",
};
const CBannerArt::Sprite ErrorSign = {
    ".....#.....",
    "....###....",
    "....###....",
    "...##.##...",
    "...##.##...",
    "..###.###..",
    "..###.###..",
    ".#########.",
    ".####.####.",
    "###########",
};
const CBannerArt::Sprite LoadFolder = {
    ".####......",
    "#....#.....",
    "#.....####.",
    "#.........#",
    "#.........#",
    "#.........#",
    "#.........#",
    "#.........#",
    ".#########.",
};
const CBannerArt::Sprite SaveDisk = {
    "#########..",
    "#.#...#.##.",
    "#.#...#.###",
    "#.#####.###",
    "#.........#",
    "#.#######.#",
    "#.#.....#.#",
    "#.#.....#.#",
    "#.#.....#.#",
    "###########",
};
const CBannerArt::Sprite QuestionMark = {
    ".#####.",
    "##...##",
    "##...##",
    ".....##",
    "....##.",
    "...##..",
    "..##...",
    "..##...",
    ".......",
    "..##...",
    "..##...",
};
// clang-format on

void DrawSprite(CPixelCanvas& canvas, const QRect& box, const CBannerArt::Sprite& sprite)
{
    if (sprite.isEmpty())
        return;
    const int left = box.left() + (box.width() - static_cast<int>(sprite.first().size())) / 2;
    const int top = box.top() + (box.height() - static_cast<int>(sprite.size())) / 2;
    for (int row = 0; row < sprite.size(); ++row) {
        const QString& line = sprite.at(row);
        for (int column = 0; column < line.size(); ++column) {
            if (line.at(column) == QLatin1Char('#'))
                canvas.Fill(QRect(left + column, top + row, 1, 1), CPixelCanvas::Dark);
        }
    }
}

} // namespace

CBannerArt::CBannerArt(const CFontBook& fonts)
    : m_font(fonts.Sans(11, true, false, false))
{
}

void CBannerArt::Label(CPixelCanvas& canvas, const QRect& rect, const QString& word, bool dark) const
{
    // A box with its four corner pixels cut, so it reads as rounded.
    canvas.Fill(rect, CPixelCanvas::Dark);
    if (!dark)
        canvas.Fill(rect.adjusted(1, 1, -1, -1), CPixelCanvas::Light);
    for (const QPoint& corner : {rect.topLeft(), rect.topRight(), rect.bottomLeft(), rect.bottomRight()})
        canvas.Fill(QRect(corner, QSize(1, 1)), CPixelCanvas::Light);
    canvas.Text(rect.adjusted(0, 1, 0, 0), word, m_font, dark ? CPixelCanvas::Light : CPixelCanvas::Dark);
}

QImage CBannerArt::Frame(const QString& word, bool darkLabel, const Sprite& symbol) const
{
    CPixelCanvas canvas(QSize(Width, Height));
    DrawSprite(canvas, SymbolBox, symbol);
    Label(canvas, LabelBox, word, darkLabel);
    return canvas.ToIndexed();
}

QImage CBannerArt::ReadyFrame(int step) const
{
    // A 5 x 5 square on a dotted track, 2 pixels further left each step.
    CPixelCanvas canvas(QSize(Width, Height));
    for (int x = 1; x < 26; x += 2)
        canvas.Fill(QRect(x, 11, 1, 1), CPixelCanvas::Dark);
    canvas.Fill(QRect(20 - 2 * step, 4, 5, 5), CPixelCanvas::Dark);
    Label(canvas, QRect(28, 0, 49, 15), QStringLiteral("READY"), false);
    return canvas.ToIndexed();
}

std::vector<QImage> CBannerArt::Frames(int clip) const
{
    const QString record = QStringLiteral("RECORD");
    const QString play = QStringLiteral("PLAY");
    switch (clip) {
    case Clip::BannerRecord: // the label blinks every frame, the symbol changes every second frame
        return {Frame(record, false, RecordDot), Frame(record, true, RecordDot), Frame(record, false, RecordRing),
            Frame(record, true, RecordRing)};
    case Clip::BannerPlay:
        return {Frame(play, false, PlaySolid), Frame(play, true, PlaySolid), Frame(play, false, PlayHollow),
            Frame(play, true, PlayHollow)};
    case Clip::BannerReady: { // the square slides left over nine steps and back
        std::vector<QImage> frames;
        frames.reserve(18);
        for (int frame = 0; frame < 18; ++frame)
            frames.push_back(ReadyFrame(frame <= 9 ? frame : 18 - frame));
        return frames;
    }
    case Clip::BannerPause:
        return {Frame(QStringLiteral("PAUSE"), false, PauseBars), Frame(QStringLiteral("PAUSE"), true, PauseBars)};
    case Clip::BannerStills: { // stills shown one at a time
        const QString error = QStringLiteral("ERROR");
        const QString load = QStringLiteral("LOAD");
        const QString save = QStringLiteral("SAVE");
        return {Frame(QStringLiteral("REPEAT"), false, RepeatArrow), Frame(error, true, ErrorSign),
            Frame(error, false, ErrorSign), Frame(load, false, LoadFolder), Frame(load, true, LoadFolder),
            Frame(save, false, SaveDisk), Frame(save, true, SaveDisk)};
    }
    case Clip::BannerHelp:
        return {Frame(QStringLiteral("HELP"), false, QuestionMark)};
    default:
        return {};
    }
}
