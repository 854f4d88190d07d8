#include "TestRows.h"
#include "media/CMediaCatalogue.h"

#include <QtTest>

#include <algorithm>
#include <cmath>
#include <map>

// The embedded pictures as the program loads them: animation clips, the
// face, the toggle lamp pictures, the button faces and the icon. Sizes,
// frame counts, palettes and the exact set of faces are checked exactly;
// what the pictures show only coarsely: where the controls land on the face,
// the order in which the lamps fill, the ground colour of each button face.

namespace {

constexpr QRgb Light = 0xFF2ABFFF; // RGB(42, 191, 255)
constexpr QRgb Dark = 0xFF2A3FFF; // RGB(42, 63, 255)
constexpr QRgb Cell = 0xFFD4FFFF; // RGB(212, 255, 255)

// A control's rectangle on the face: 2 pixels per dialog unit.
QRect PixelRect(int id)
{
    const CDialogControl* c = CMediaCatalogue::PanelLayout().Control(id);
    if (!c)
        qFatal("no control %d", id);
    return {c->x * 2, c->y * 2, c->width * 2, c->height * 2};
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

// The share of light pixels within 5 pixels of a lamp frame's centre.
double LampLight(const QImage& frame)
{
    int light = 0, all = 0;
    for (int y = 0; y < frame.height(); ++y) {
        for (int x = 0; x < frame.width(); ++x) {
            if (std::hypot(x + 0.5 - frame.width() / 2.0, y + 0.5 - frame.height() / 2.0) <= 5.0) {
                ++all;
                light += frame.pixel(x, y) == Light ? 1 : 0;
            }
        }
    }
    return double(light) / all;
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
        const QSize banner(77, 15), lamp(15, 15);
        Row("170 RECORD", 170, banner, 4, 1);
        Row("176 PLAY", 176, banner, 4, 1);
        Row("186 READY", 186, banner, 18, 1);
        Row("188 PAUSE", 188, banner, 2, 1);
        Row("264 stills", 264, banner, 7, 2);
        Row("268 HELP", 268, banner, 1, 15);
        Row("242 lamp flash", 242, lamp, 10, 5);
        Row("244 lamp cycle", 244, lamp, 16, 1);
        Row("245 intro", 245, QSize(116, 75), 15, 15);
    }

    void animation()
    {
        QFETCH(int, clip);
        QFETCH(QSize, size);
        QFETCH(int, frames);
        const CAnimationClip* animation = CMediaCatalogue::AnimationClip(clip);
        QVERIFY(animation);
        QCOMPARE(animation->frameSize, size);
        QCOMPARE(animation->frameCount, frames);
        QTEST(animation->framesPerSecond, "rate");
        QCOMPARE(animation->strip.size(), QSize(size.width() * frames, size.height()));
        QVERIFY(animation->Frame(-1).isNull() && animation->Frame(frames).isNull());
        // Every frame moves the picture on (a clip of stills included).
        for (int i = 1; i < frames; ++i)
            QVERIFY2(animation->Frame(i) != animation->Frame(i - 1), qPrintable(QString::number(i)));
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
        QCOMPARE(image.format(), QImage::Format_Indexed8);
        QCOMPARE(image.colorTable(), (QList<QRgb>{Light, Dark}));
        QCOMPARE(Histogram(image, image.rect()).size(), 2u);
    }

    // The lamps fill in frame order: 242 from dark to full light over frames
    // 0 to 8; 244 from light to fully dark at frame 7, then to full light at
    // frame 15. The program shows single frames of them as stills.
    void lampsFillInOrder_data()
    {
        QTest::addColumn<int>("clip");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        Row("242 lights up", 242, 0, 8);
        Row("244 darkens", 244, 7, 0);
        Row("244 lights up", 244, 8, 15);
    }

    void lampsFillInOrder()
    {
        QFETCH(int, clip);
        QFETCH(int, from);
        QFETCH(int, to);
        const CAnimationClip* animation = CMediaCatalogue::AnimationClip(clip);
        QVERIFY(animation);
        QVERIFY(LampLight(animation->Frame(from)) < 0.15);
        QVERIFY(LampLight(animation->Frame(to)) > 0.85);
        const int step = from < to ? 1 : -1;
        for (int i = from + step; i != to + step; i += step) {
            QVERIFY2(
                LampLight(animation->Frame(i)) > LampLight(animation->Frame(i - step)), qPrintable(QString::number(i)));
        }
    }

    void bitmapSize_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QSize>("size");
        Row("168 face", 168, QSize(182, 449));
        Row("189 box on feet", 189, QSize(20, 15));
        Row("190 loudspeaker", 190, QSize(20, 15));
        Row("128 is the icon, no bitmap", 128, QSize(0, 0));
    }

    void bitmapSize()
    {
        QFETCH(int, id);
        QTEST(CMediaCatalogue::Bitmap(id).size(), "size");
    }

    void icon()
    {
        QCOMPARE(CMediaCatalogue::IconImage(32).size(), QSize(32, 32));
        QCOMPARE(CMediaCatalogue::IconImage(16).size(), QSize(16, 16));
        QVERIFY(CMediaCatalogue::IconImage(24).isNull());
        QCOMPARE(CMediaCatalogue::Icon().availableSizes().size(), 2);
    }

    // The controls on the screen paint in the screen's colour, so the face
    // must be exactly that colour wherever they sit; animation controls and
    // the toggle lamp show their pictures' sizes.
    void faceUnderScreenControls_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QSize>("shown");
        Row("script list", 1004, QSize());
        Row("line list", 1005, QSize());
        Row("display", 1006, QSize());
        Row("status line", 1025, QSize());
        Row("info text", 1032, QSize());
        Row("line counter", 1035, QSize());
        Row("mode banner", 1024, QSize(77, 15));
        Row("activity light", 1033, QSize(15, 15));
        Row("intro reel", 1034, QSize(116, 75));
        Row("toggle lamp", 1030, QSize(20, 15));
    }

    void faceUnderScreenControls()
    {
        QFETCH(int, id);
        QFETCH(QSize, shown);
        QRect rect = PixelRect(id);
        if (shown.isValid())
            rect.setSize(shown);
        const std::map<QRgb, int> counts = Histogram(CMediaCatalogue::Bitmap(168), rect);
        QCOMPARE(counts, (std::map<QRgb, int>{{Light, rect.width() * rect.height()}}));
    }

    // Each button sits in a light cyan cell, two pixels of which show around
    // it, and its normal face covers its rectangle exactly. The red power
    // button lies under the close area.
    void faceCells_data()
    {
        QTest::addColumn<int>("id");
        for (const CDialogControl& control : CMediaCatalogue::PanelLayout().controls) {
            if (control.kind == CDialogControl::Button)
                QTest::newRow(qPrintable(control.text)) << control.id;
        }
    }

    void faceCells()
    {
        QFETCH(int, id);
        const QImage face = CMediaCatalogue::Bitmap(168);
        const QRect rect = PixelRect(id);
        const QRect a = rect.adjusted(-2, -2, 2, 2);
        for (const QRect& edge : {QRect(a.left(), a.top(), a.width(), 2), QRect(a.left(), a.bottom() - 1, a.width(), 2),
                 QRect(a.left(), a.top(), 2, a.height()), QRect(a.right() - 1, a.top(), 2, a.height())})
            QCOMPARE(Histogram(face, edge), (std::map<QRgb, int>{{Cell, edge.width() * edge.height()}}));
        QCOMPARE(
            CMediaCatalogue::ButtonFace(CMediaCatalogue::PanelLayout().Control(id)->text, 'U').size(), rect.size());
        const QColor power = face.pixelColor(PixelRect(1027).center());
        QVERIFY(power.red() > 150 && power.green() < 80 && power.blue() < 80);
    }

    // Exactly the listed faces exist: no focused faces, disabled faces only
    // for PAUSE, STOP and REPEAT. The keys are orange, the transport
    // buttons steel blue, and the pressed face differs from the normal one.
    void buttonFaces_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("letters");
        QTest::addColumn<QSize>("size");
        for (const char* key : {"DIAL0", "DIAL1", "DIAL2", "DIAL3", "DIAL4", "DIAL5", "DIAL6", "DIAL7", "DIAL8",
                 "DIAL9", "DIALS", "DIALH", "REC"})
            Row(key, key, "UD", QSize(46, 30));
        Row("PLAY", "PLAY", "UD", QSize(100, 30));
        for (const char* transport : {"PAUSE", "STOP", "REPEAT"})
            Row(transport, transport, "UDX", QSize(46, 30));
        Row("lower case", "dial1", "", QSize(0, 0));
        Row("RECORD is not a caption", "RECORD", "", QSize());
        Row("empty", "", "", QSize());
        Row("a path", "../bitmap/168", "", QSize());
    }

    void buttonFaces()
    {
        QFETCH(QString, caption);
        QFETCH(QString, letters);
        QFETCH(QSize, size);
        for (char letter : {'U', 'D', 'F', 'X', 'u', '\0'}) {
            const bool exists = letter != '\0' && letters.contains(QLatin1Char(letter));
            QCOMPARE(CMediaCatalogue::ButtonFace(caption, letter).size(), exists ? size : QSize(0, 0));
        }
        if (letters.isEmpty())
            return;
        const QImage up = CMediaCatalogue::ButtonFace(caption, 'U');
        QCOMPARE(MostFrequent(up), caption.startsWith(QLatin1String("DIAL")) ? qRgb(255, 159, 0) : qRgb(42, 127, 170));
        QVERIFY(CMediaCatalogue::ButtonFace(caption, 'D') != up);
    }
};

QTEST_MAIN(TestMediaPictures)
#include "tst_mediapictures.moc"
