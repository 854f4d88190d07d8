#include "media/CMediaCatalogue.h"

#include <QtTest>

#include <algorithm>
#include <cmath>
#include <map>

// The embedded pictures as the program loads them: animation clips, the
// face, the toggle lamp pictures, the button faces and the icon.

namespace {

constexpr QRgb Light = 0xFF2ABFFF; // RGB(42, 191, 255)
constexpr QRgb Dark = 0xFF2A3FFF; // RGB(42, 63, 255)
constexpr QRgb Cell = 0xFFD4FFFF; // RGB(212, 255, 255)
constexpr int PixelsPerUnit = 2;

QRect PixelRect(const CDialogControl& control)
{
    return {control.x * PixelsPerUnit, control.y * PixelsPerUnit, control.width * PixelsPerUnit,
        control.height * PixelsPerUnit};
}

const CDialogControl& PanelControl(int id)
{
    const CDialogControl* control = CMediaCatalogue::PanelLayout().Control(id);
    if (!control)
        qFatal("no control %d", id);
    return *control;
}

// How many pixels of rect have each colour.
std::map<QRgb, int> Histogram(const QImage& image, const QRect& rect)
{
    std::map<QRgb, int> counts;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x)
            ++counts[image.pixel(x, y) | 0xFF000000];
    }
    return counts;
}

QRgb MostFrequent(const QImage& image)
{
    const std::map<QRgb, int> counts = Histogram(image, image.rect());
    return std::max_element(counts.begin(), counts.end(), [](const auto& a, const auto& b) {
        return a.second < b.second;
    })->first;
}

int CountWhere(const QImage& image, const std::function<bool(QColor)>& test)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += test(image.pixelColor(x, y)) ? 1 : 0;
    }
    return count;
}

double DarkShare(const QImage& image, const QRect& rect)
{
    const std::map<QRgb, int> counts = Histogram(image, rect);
    const auto dark = counts.find(Dark);
    return dark == counts.end() ? 0.0 : static_cast<double>(dark->second) / (rect.width() * rect.height());
}

// The share of light pixels inside the lamp (within 5 pixels of its centre)
// in one quarter, numbered clockwise from 12 o'clock.
double LampQuarterLight(const QImage& frame, int quarter)
{
    int light = 0, all = 0;
    for (int y = 0; y < frame.height(); ++y) {
        for (int x = 0; x < frame.width(); ++x) {
            const double dx = x + 0.5 - frame.width() / 2.0;
            const double dy = y + 0.5 - frame.height() / 2.0;
            const bool right = dx > 0.0, lower = dy > 0.0;
            const int in = right ? (lower ? 1 : 0) : (lower ? 2 : 3);
            if (in != quarter || std::hypot(dx, dy) > 5.0 || std::abs(dx) < 1.0 || std::abs(dy) < 1.0)
                continue;
            ++all;
            light += frame.pixel(x, y) == Light ? 1 : 0;
        }
    }
    return static_cast<double>(light) / all;
}

} // namespace

class TestMediaPictures : public QObject {
    Q_OBJECT

private slots:
    void animation_data()
    {
        QTest::addColumn<int>("clip");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("frames");
        QTest::addColumn<int>("rate");
        QTest::newRow("170 RECORD") << 170 << QSize(77, 15) << 4 << 1;
        QTest::newRow("176 PLAY") << 176 << QSize(77, 15) << 4 << 1;
        QTest::newRow("186 READY") << 186 << QSize(77, 15) << 18 << 1;
        QTest::newRow("188 PAUSE") << 188 << QSize(77, 15) << 2 << 1;
        QTest::newRow("264 stills") << 264 << QSize(77, 15) << 7 << 2;
        QTest::newRow("268 HELP") << 268 << QSize(77, 15) << 1 << 15;
        QTest::newRow("242 lamp flash") << 242 << QSize(15, 15) << 10 << 5;
        QTest::newRow("244 lamp cycle") << 244 << QSize(15, 15) << 16 << 1;
        QTest::newRow("245 intro") << 245 << QSize(116, 75) << 15 << 15;
    }

    void animation()
    {
        QFETCH(int, clip);
        QFETCH(QSize, size);
        QFETCH(int, frames);
        QFETCH(int, rate);
        const CAnimationClip* animation = CMediaCatalogue::AnimationClip(clip);
        QVERIFY(animation);
        QCOMPARE(animation->frameSize, size);
        QCOMPARE(animation->frameCount, frames);
        QCOMPARE(animation->framesPerSecond, rate);
        QCOMPARE(animation->strip.size(), QSize(size.width() * frames, size.height()));
        for (int i = 0; i < frames; ++i)
            QCOMPARE(animation->Frame(i).size(), size);
        QVERIFY(animation->Frame(-1).isNull());
        QVERIFY(animation->Frame(frames).isNull());
        // Every frame moves the picture on (a clip of stills included).
        for (int i = 1; i < frames; ++i)
            QVERIFY2(animation->Frame(i) != animation->Frame(i - 1), qPrintable(QString::number(i)));
        QCOMPARE(CMediaCatalogue::AnimationClip(clip), animation);
    }

    void twoColour_data()
    {
        QTest::addColumn<QImage>("image");
        for (int clip : {170, 176, 186, 188, 264, 268, 242, 244}) {
            const CAnimationClip* animation = CMediaCatalogue::AnimationClip(clip);
            QVERIFY(animation);
            for (int i = 0; i < animation->frameCount; ++i)
                QTest::addRow("clip %d frame %d", clip, i) << animation->Frame(i);
        }
        QTest::newRow("bitmap 189") << CMediaCatalogue::Bitmap(189);
        QTest::newRow("bitmap 190") << CMediaCatalogue::Bitmap(190);
    }

    void twoColour()
    {
        QFETCH(QImage, image);
        QVERIFY(!image.isNull());
        QCOMPARE(image.format(), QImage::Format_Indexed8);
        QCOMPARE(image.colorTable(), (QList<QRgb>{Light, Dark}));
        const std::map<QRgb, int> counts = Histogram(image, image.rect());
        QCOMPARE(counts.size(), 2u);
        QVERIFY(counts.count(Light));
        QVERIFY(counts.count(Dark));
    }

    void bannerLabel_data()
    {
        // The word's label: L light, D dark, frame by frame.
        QTest::addColumn<int>("clip");
        QTest::addColumn<QString>("shades");
        QTest::newRow("170 RECORD blinks") << 170 << "LDLD";
        QTest::newRow("176 PLAY blinks") << 176 << "LDLD";
        QTest::newRow("188 PAUSE light, dark") << 188 << "LD";
        QTest::newRow("264 REPEAT, ERROR, LOAD, SAVE") << 264 << "LDLLDLD";
        QTest::newRow("186 READY stays") << 186 << QString(18, QLatin1Char('L'));
        QTest::newRow("268 HELP") << 268 << "L";
    }

    void bannerLabel()
    {
        QFETCH(int, clip);
        QFETCH(QString, shades);
        const CAnimationClip* animation = CMediaCatalogue::AnimationClip(clip);
        QVERIFY(animation);
        QCOMPARE(animation->frameCount, shades.size());
        // The right-hand two thirds hold the label in every banner.
        const QRect label(28, 0, 49, 15);
        for (int i = 0; i < shades.size(); ++i) {
            const bool dark = DarkShare(animation->Frame(i), label) > 0.5;
            QVERIFY2(dark == (shades.at(i) == QLatin1Char('D')), qPrintable(QString::number(i)));
        }
    }

    void bannerSymbol_data()
    {
        // The symbol at the left changes every second frame of the blinking
        // banners; labels of the same shade are the same between them.
        QTest::addColumn<int>("clip");
        QTest::addColumn<int>("a");
        QTest::addColumn<int>("b");
        QTest::addColumn<bool>("sameSymbol");
        QTest::newRow("170: 0 and 1") << 170 << 0 << 1 << true;
        QTest::newRow("170: 0 and 2") << 170 << 0 << 2 << false;
        QTest::newRow("170: 1 and 3") << 170 << 1 << 3 << false;
        QTest::newRow("176: 0 and 1") << 176 << 0 << 1 << true;
        QTest::newRow("176: 0 and 2") << 176 << 0 << 2 << false;
        QTest::newRow("188: 0 and 1") << 188 << 0 << 1 << true;
        QTest::newRow("264: ERROR dark and light") << 264 << 1 << 2 << true;
        QTest::newRow("264: LOAD and SAVE") << 264 << 3 << 5 << false;
        QTest::newRow("264: REPEAT and ERROR") << 264 << 0 << 2 << false;
    }

    void bannerSymbol()
    {
        QFETCH(int, clip);
        QFETCH(int, a);
        QFETCH(int, b);
        QFETCH(bool, sameSymbol);
        const CAnimationClip* animation = CMediaCatalogue::AnimationClip(clip);
        QVERIFY(animation);
        const QRect symbol(0, 0, 15, 15);
        QCOMPARE(animation->Frame(a).copy(symbol) == animation->Frame(b).copy(symbol), sameSymbol);
    }

    void readySquareSlides()
    {
        // 186: the square steps left over frames 0 to 9 and back, so that
        // the loop runs without a jump.
        const CAnimationClip* animation = CMediaCatalogue::AnimationClip(186);
        QVERIFY(animation);
        std::vector<double> centre;
        for (int i = 0; i < animation->frameCount; ++i) {
            const QImage frame = animation->Frame(i);
            double sum = 0.0;
            int count = 0;
            for (int y = 0; y < 15; ++y) {
                for (int x = 0; x < 27; ++x) {
                    if (frame.pixel(x, y) == Dark) {
                        sum += x;
                        ++count;
                    }
                }
            }
            centre.push_back(sum / count);
        }
        for (int i = 1; i <= 9; ++i)
            QVERIFY2(centre[i] < centre[i - 1], qPrintable(QString::number(i)));
        for (int i = 10; i < 18; ++i)
            QVERIFY2(centre[i] > centre[i - 1], qPrintable(QString::number(i)));
        QVERIFY(centre[0] > centre[17]);
    }

    void lampSector_data()
    {
        // The light part of the lamp as a span of eighths of a turn,
        // clockwise from 12 o'clock.
        QTest::addColumn<int>("clip");
        QTest::addColumn<int>("frame");
        QTest::addColumn<int>("lightFrom");
        QTest::addColumn<int>("lightTo");
        for (int frame = 0; frame <= 8; ++frame)
            QTest::addRow("242 frame %d", frame) << 242 << frame << 0 << frame;
        for (int frame = 0; frame <= 7; ++frame)
            QTest::addRow("244 frame %d", frame) << 244 << frame << frame + 1 << 8;
        for (int frame = 8; frame <= 15; ++frame)
            QTest::addRow("244 frame %d", frame) << 244 << frame << 0 << frame - 7;
    }

    void lampSector()
    {
        QFETCH(int, clip);
        QFETCH(int, frame);
        QFETCH(int, lightFrom);
        QFETCH(int, lightTo);
        const CAnimationClip* animation = CMediaCatalogue::AnimationClip(clip);
        QVERIFY(animation);
        const QImage image = animation->Frame(frame);
        for (int quarter = 0; quarter < 4; ++quarter) {
            const int overlap = std::max(0, std::min(lightTo, 2 * quarter + 2) - std::max(lightFrom, 2 * quarter));
            const double expected = overlap / 2.0;
            const double measured = LampQuarterLight(image, quarter);
            QVERIFY2(std::abs(measured - expected) <= 0.2,
                qPrintable(
                    QStringLiteral("quarter %1: %2 light, expected %3").arg(quarter).arg(measured).arg(expected)));
        }
    }

    void lampBurstIsNoDisc()
    {
        // 242's last frame, the burst, reaches out beyond the disc in the
        // middle of every side.
        const CAnimationClip* animation = CMediaCatalogue::AnimationClip(242);
        QVERIFY(animation);
        const QImage burst = animation->Frame(9);
        const QImage disc = animation->Frame(8);
        QCOMPARE(burst.pixel(7, 0), Dark);
        QCOMPARE(burst.pixel(0, 7), Dark);
        QCOMPARE(disc.pixel(7, 0), Light);
        QCOMPARE(disc.pixel(0, 7), Light);
    }

    void bitmapSize_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QSize>("size");
        QTest::newRow("168 face") << 168 << QSize(182, 449);
        QTest::newRow("189 box on feet") << 189 << QSize(20, 15);
        QTest::newRow("190 loudspeaker") << 190 << QSize(20, 15);
        QTest::newRow("128 is the icon") << 128 << QSize();
        QTest::newRow("170 is a clip") << 170 << QSize();
        QTest::newRow("0") << 0 << QSize();
    }

    void bitmapSize()
    {
        QFETCH(int, id);
        QFETCH(QSize, size);
        const QImage image = CMediaCatalogue::Bitmap(id);
        QCOMPARE(image.isNull(), !size.isValid());
        if (size.isValid())
            QCOMPARE(image.size(), size);
    }

    void faceUnderScreenControls_data()
    {
        // The controls on the screen paint in the screen's colour, so the
        // face must be exactly that colour wherever they sit; animation
        // controls and the toggle lamp show their pictures' sizes.
        QTest::addColumn<int>("id");
        QTest::addColumn<QSize>("shown");
        QTest::newRow("script list") << 1004 << QSize();
        QTest::newRow("line list") << 1005 << QSize();
        QTest::newRow("display") << 1006 << QSize();
        QTest::newRow("status line") << 1025 << QSize();
        QTest::newRow("info text") << 1032 << QSize();
        QTest::newRow("line counter") << 1035 << QSize();
        QTest::newRow("mode banner") << 1024 << QSize(77, 15);
        QTest::newRow("activity light") << 1033 << QSize(15, 15);
        QTest::newRow("intro reel") << 1034 << QSize(116, 75);
        QTest::newRow("toggle lamp") << 1030 << QSize(20, 15);
    }

    void faceUnderScreenControls()
    {
        QFETCH(int, id);
        QFETCH(QSize, shown);
        const QImage face = CMediaCatalogue::Bitmap(168);
        QVERIFY(!face.isNull());
        QRect rect = PixelRect(PanelControl(id));
        if (shown.isValid())
            rect.setSize(shown);
        const std::map<QRgb, int> counts = Histogram(face, rect);
        QCOMPARE(counts.size(), 1u);
        QCOMPARE(counts.begin()->first, Light);
    }

    void faceScreenLines()
    {
        // Two thin blue lines cross the screen: one under the indicators,
        // one above the status line.
        const QImage face = CMediaCatalogue::Bitmap(168);
        const int x = face.width() / 2;
        std::vector<int> rows;
        for (int y = 0; y < face.height(); ++y) {
            if (face.pixel(x, y) == Dark)
                rows.push_back(y);
        }
        QCOMPARE(rows.size(), 2u);
        QVERIFY(rows[0] >= PixelRect(PanelControl(1035)).bottom());
        QVERIFY(rows[0] < PixelRect(PanelControl(1006)).top());
        QVERIFY(rows[1] > PixelRect(PanelControl(1032)).bottom());
        QVERIFY(rows[1] < PixelRect(PanelControl(1025)).top());
    }

    void faceCellAroundButton_data()
    {
        QTest::addColumn<int>("id");
        for (const CDialogControl& control : CMediaCatalogue::PanelLayout().controls) {
            if (control.kind == CDialogControl::Button)
                QTest::newRow(qPrintable(control.text)) << control.id;
        }
    }

    void faceCellAroundButton()
    {
        // Each button sits in a light cyan cell: a frame of cell colour
        // runs around its rectangle, and its normal face covers the
        // rectangle exactly.
        QFETCH(int, id);
        const CDialogControl& button = PanelControl(id);
        const QImage face = CMediaCatalogue::Bitmap(168);
        const QRect rect = PixelRect(button);
        for (int ring = 1; ring <= 2; ++ring) {
            const QRect around = rect.adjusted(-ring, -ring, ring, ring);
            for (int x = around.left(); x <= around.right(); ++x) {
                QCOMPARE(face.pixel(x, around.top()), Cell);
                QCOMPARE(face.pixel(x, around.bottom()), Cell);
            }
            for (int y = around.top(); y <= around.bottom(); ++y) {
                QCOMPARE(face.pixel(around.left(), y), Cell);
                QCOMPARE(face.pixel(around.right(), y), Cell);
            }
        }
        QCOMPARE(CMediaCatalogue::ButtonFace(button.text, 'U').size(), rect.size());
    }

    void faceChrome()
    {
        const QImage face = CMediaCatalogue::Bitmap(168);
        // The red power button under the close area.
        const QRect close = PixelRect(PanelControl(1027));
        const QColor centre = face.pixelColor(close.center());
        QVERIFY(centre.red() > 150 && centre.green() < 80 && centre.blue() < 80);
        // The handset's grey on the strip under the drag bar.
        const QRect strip = PixelRect(PanelControl(1029));
        QCOMPARE(MostFrequent(face.copy(strip)), qRgb(85, 95, 85));
    }

    void buttonFaces_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("letters");
        QTest::addColumn<QSize>("size");
        for (const char* key : {"DIAL0", "DIAL1", "DIAL2", "DIAL3", "DIAL4", "DIAL5", "DIAL6", "DIAL7", "DIAL8",
                 "DIAL9", "DIALS", "DIALH"})
            QTest::newRow(key) << key << "UD" << QSize(46, 30);
        QTest::newRow("PLAY") << "PLAY"
                              << "UD" << QSize(100, 30);
        QTest::newRow("REC") << "REC"
                             << "UD" << QSize(46, 30);
        QTest::newRow("PAUSE") << "PAUSE"
                               << "UDX" << QSize(46, 30);
        QTest::newRow("STOP") << "STOP"
                              << "UDX" << QSize(46, 30);
        QTest::newRow("REPEAT") << "REPEAT"
                                << "UDX" << QSize(46, 30);
        QTest::newRow("lower case") << "dial1"
                                    << "" << QSize();
        QTest::newRow("RECORD is not a caption") << "RECORD"
                                                 << "" << QSize();
        QTest::newRow("empty") << ""
                               << "" << QSize();
        QTest::newRow("a path") << "../bitmap/168"
                                << "" << QSize();
    }

    void buttonFaces()
    {
        // Exactly the listed faces exist: no focused faces, disabled faces
        // only for PAUSE, STOP and REPEAT.
        QFETCH(QString, caption);
        QFETCH(QString, letters);
        QFETCH(QSize, size);
        for (char letter : {'U', 'D', 'F', 'X', 'u', '\0'}) {
            const QImage face = CMediaCatalogue::ButtonFace(caption, letter);
            const bool exists = letter != '\0' && letters.contains(QLatin1Char(letter));
            QVERIFY2(face.isNull() != exists, qPrintable(QStringLiteral("face %1").arg(letter)));
            if (exists)
                QCOMPARE(face.size(), size);
        }
    }

    void buttonColours_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<char>("letter");
        QTest::addColumn<QString>("symbol"); // "red", "green" or "white"
        for (const char* transport : {"PLAY", "REC"}) {
            QTest::addRow("%sU", transport) << transport << 'U' << "white";
            QTest::addRow("%sD", transport) << transport << 'D' << "white";
        }
        QTest::newRow("STOPU") << "STOP" << 'U' << "red";
        QTest::newRow("PAUSEU") << "PAUSE" << 'U' << "green";
        QTest::newRow("REPEATU") << "REPEAT" << 'U' << "green";
        for (const char* transport : {"STOP", "PAUSE", "REPEAT"}) {
            QTest::addRow("%sD", transport) << transport << 'D' << "white";
            QTest::addRow("%sX", transport) << transport << 'X' << "";
        }
        for (const char* key : {"DIAL1", "DIAL5", "DIAL0", "DIALS", "DIALH"}) {
            QTest::addRow("%sU", key) << key << 'U' << "";
            QTest::addRow("%sD", key) << key << 'D' << "";
        }
    }

    void buttonColours()
    {
        QFETCH(QString, caption);
        QFETCH(char, letter);
        QFETCH(QString, symbol);
        const QImage face = CMediaCatalogue::ButtonFace(caption, letter);
        QVERIFY(!face.isNull());
        const QRgb ground = MostFrequent(face);
        if (caption.startsWith(QLatin1String("DIAL"))) {
            // Orange, lighter when pressed, with black writing.
            if (letter == 'U') {
                QCOMPARE(ground, qRgb(255, 159, 0));
            } else {
                QCOMPARE(qRed(ground), 255);
                QVERIFY(qGreen(ground) > 159 && qBlue(ground) > 0 && qGreen(ground) > qBlue(ground));
            }
            QVERIFY(CountWhere(face, [](QColor c) { return c.red() < 40 && c.green() < 40 && c.blue() < 40; }) > 25);
            return;
        }
        if (letter == 'U')
            QCOMPARE(ground, qRgb(42, 127, 170));
        const auto isRed = [](QColor c) { return c.red() > 200 && c.green() < 60 && c.blue() < 60; };
        const auto isGreen = [](QColor c) { return c.green() > 180 && c.red() < 100 && c.blue() < 100; };
        const auto isWhite = [](QColor c) { return c.red() > 215 && c.green() > 215 && c.blue() > 215; };
        QCOMPARE(CountWhere(face, isRed) > 20, symbol == QLatin1String("red"));
        QCOMPARE(CountWhere(face, isGreen) > 20, symbol == QLatin1String("green"));
        // The word is white on the normal and pressed faces.
        QCOMPARE(CountWhere(face, isWhite) > 20, letter != 'X');
    }

    void icon()
    {
        QCOMPARE(CMediaCatalogue::IconImage(32).size(), QSize(32, 32));
        QCOMPARE(CMediaCatalogue::IconImage(16).size(), QSize(16, 16));
        QVERIFY(CMediaCatalogue::IconImage(24).isNull());
        QList<QSize> sizes = CMediaCatalogue::Icon().availableSizes();
        std::sort(sizes.begin(), sizes.end(), [](QSize a, QSize b) { return a.width() < b.width(); });
        QCOMPARE(sizes, (QList<QSize>{QSize(16, 16), QSize(32, 32)}));
    }
};

QTEST_MAIN(TestMediaPictures)
#include "tst_mediapictures.moc"
