#include "media/CMediaCatalogue.h"

#include <QtTest>

// The two dialog layouts and the two strings of the catalogue.

namespace {

using C = CDialogControl;

// The flags that the stored window style implies for a control of the
// given kind, from the platform's style bits.
std::uint32_t FlagsOfStyle(C::Kind kind, std::uint32_t style)
{
    constexpr std::uint32_t WsVisible = 0x10000000;
    constexpr std::uint32_t WsTabStop = 0x00010000;
    std::uint32_t flags = 0;
    if (style & WsVisible)
        flags |= C::Visible;
    if (style & WsTabStop)
        flags |= C::TabStop;
    switch (kind) {
    case C::Button:
        if (style & 0x4000) // BS_NOTIFY
            flags |= C::Notify;
        if ((style & 0xF) == 1) // BS_DEFPUSHBUTTON
            flags |= C::DefaultButton;
        break;
    case C::ListBox:
        if (style & 0x1) // LBS_NOTIFY
            flags |= C::Notify;
        if (style & 0x2) // LBS_SORT
            flags |= C::Sorted;
        break;
    case C::Edit:
        if ((style & 0x3) == 0x1) // ES_CENTER
            flags |= C::Centred;
        if (style & 0x4) // ES_MULTILINE
            flags |= C::MultiLine;
        if (style & 0x800) // ES_READONLY
            flags |= C::ReadOnly;
        break;
    case C::Static:
    case C::IconStatic:
        if (style & 0x100) // SS_NOTIFY
            flags |= C::Notify;
        if ((style & 0x1F) == 0x1) // SS_CENTER
            flags |= C::Centred;
        break;
    case C::Animation:
        break;
    }
    return flags;
}

QList<QByteArray> Lines(const QByteArray& text)
{
    QList<QByteArray> lines = text.split('\n');
    lines.removeLast(); // after the final line end
    for (QByteArray& line : lines)
        line.chop(1); // the CR
    return lines;
}

} // namespace

class TestMediaLayout : public QObject {
    Q_OBJECT

private slots:
    void panelDialog()
    {
        const CDialogLayout& panel = CMediaCatalogue::PanelLayout();
        QCOMPARE(panel.width, 91);
        QCOMPARE(panel.height, 224);
        QCOMPARE(panel.title, QString());
        QCOMPARE(panel.fontFace, QStringLiteral("Courier New"));
        QCOMPARE(panel.pointSize, 8);
        QCOMPARE(panel.controls.size(), 29u);
        QVERIFY(!panel.Control(1002));
        QCOMPARE(panel.Control(1035), &panel.controls.back());
    }

    void panelControl_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<uint>("style");
        QTest::addColumn<QRect>("rect");
        int index = 0;
        const auto row = [&index](int id, C::Kind kind, const char* text, uint style, int x, int y, int w, int h) {
            QTest::addRow("%d: %d %s", index, id, text)
                << index << id << static_cast<int>(kind) << QString::fromLatin1(text) << style << QRect(x, y, w, h);
            ++index;
        };
        row(1000, C::Button, "DIAL1", 0x50014F0Bu, 7, 145, 23, 15);
        row(1007, C::Button, "DIAL2", 0x50010F0Bu, 34, 145, 23, 15);
        row(1008, C::Button, "DIAL3", 0x50010F0Bu, 61, 145, 23, 15);
        row(1009, C::Button, "DIAL4", 0x50010F0Bu, 7, 164, 23, 15);
        row(1010, C::Button, "DIAL5", 0x50010F0Bu, 34, 164, 23, 15);
        row(1011, C::Button, "DIAL6", 0x50010F0Bu, 61, 164, 23, 15);
        row(1012, C::Button, "DIAL7", 0x50010F0Bu, 7, 183, 23, 15);
        row(1013, C::Button, "DIAL8", 0x50010F0Bu, 34, 183, 23, 15);
        row(1014, C::Button, "DIAL9", 0x50010F0Bu, 61, 183, 23, 15);
        row(1016, C::Button, "DIAL0", 0x50010F0Bu, 34, 202, 23, 15);
        row(1001, C::Button, "PLAY", 0x50010F0Bu, 7, 107, 50, 15);
        row(1019, C::Button, "REC", 0x50010F0Bu, 61, 107, 23, 15);
        row(1020, C::Button, "PAUSE", 0x50014F0Bu, 7, 126, 23, 15);
        row(1021, C::Button, "STOP", 0x50010F0Bu, 34, 126, 23, 15);
        row(1022, C::Button, "REPEAT", 0x50010F0Bu, 61, 126, 23, 15);
        row(1004, C::ListBox, "", 0x50000003u, 12, 43, 70, 40); // script list
        row(1005, C::ListBox, "", 0x40010101u, 11, 42, 70, 40); // line list
        row(1006, C::Edit, "", 0x50011880u, 10, 26, 71, 12); // display
        row(1024, C::Animation, "Animate1", 0x50000000u, 18, 15, 37, 7); // mode banner
        row(1027, C::Static, "", 0x5000010Eu, 77, 3, 11, 11); // close area
        row(1029, C::Static, "", 0x5000010Eu, 0, 0, 77, 13); // drag bar
        row(1030, C::Static, "", 0x5000010Eu, 72, 15, 11, 11); // toggle lamp
        row(1015, C::Button, "DIALS", 0x50010F0Bu, 7, 202, 23, 15);
        row(1017, C::Button, "DIALH", 0x50014F0Bu, 61, 202, 23, 15);
        row(1025, C::Static, "Static", 0x50020000u, 9, 87, 73, 8); // status line
        row(1032, C::Edit, "", 0x500008C5u, 8, 27, 75, 58); // info text
        row(1033, C::Animation, "Animate2", 0x50000000u, 9, 15, 10, 9); // activity light
        row(1034, C::Animation, "Animate3", 0x50000000u, 14, 30, 58, 38); // intro reel
        row(1035, C::Static, "000", 0x5000000Cu, 59, 15, 11, 8); // line counter
    }

    void panelControl()
    {
        QFETCH(int, index);
        QFETCH(int, id);
        QFETCH(int, kind);
        QFETCH(QString, text);
        QFETCH(uint, style);
        QFETCH(QRect, rect);
        const CDialogControl& control = CMediaCatalogue::PanelLayout().controls.at(static_cast<std::size_t>(index));
        QCOMPARE(control.id, id);
        QCOMPARE(static_cast<int>(control.kind), kind);
        QCOMPARE(control.text, text);
        QCOMPARE(control.style, style);
        QCOMPARE(QRect(control.x, control.y, control.width, control.height), rect);
    }

    void flagsFollowStyle_data()
    {
        QTest::addColumn<int>("dialog");
        QTest::addColumn<int>("index");
        const CDialogLayout& panel = CMediaCatalogue::PanelLayout();
        for (std::size_t i = 0; i < panel.controls.size(); ++i)
            QTest::addRow("102: %d", panel.controls[i].id) << 102 << static_cast<int>(i);
        const CDialogLayout& about = CMediaCatalogue::AboutLayout();
        for (std::size_t i = 0; i < about.controls.size(); ++i)
            QTest::addRow("100: #%d", static_cast<int>(i)) << 100 << static_cast<int>(i);
    }

    void flagsFollowStyle()
    {
        // What the widgets are built from must agree with the stored style.
        QFETCH(int, dialog);
        QFETCH(int, index);
        const CDialogLayout& layout = dialog == 102 ? CMediaCatalogue::PanelLayout() : CMediaCatalogue::AboutLayout();
        const CDialogControl& control = layout.controls.at(static_cast<std::size_t>(index));
        QCOMPARE(control.flags, FlagsOfStyle(control.kind, control.style));
    }

    void aboutDialog()
    {
        const CDialogLayout& about = CMediaCatalogue::AboutLayout();
        QCOMPARE(about.title, QStringLiteral("About mirvat01"));
        QCOMPARE(about.width, 217);
        QCOMPARE(about.height, 55);
        QCOMPARE(about.fontFace, QStringLiteral("MS Sans Serif"));
        QCOMPARE(about.pointSize, 8);
        QCOMPARE(about.controls.size(), 4u);

        const CDialogControl& icon = about.controls[0];
        QCOMPARE(icon.kind, C::IconStatic);
        QCOMPARE(QRect(icon.x, icon.y, icon.width, icon.height), QRect(11, 17, 20, 20));
        const CDialogControl& version = about.controls[1];
        QCOMPARE(version.text, QStringLiteral("mirvat01 Version 1.0"));
        QCOMPARE(QRect(version.x, version.y, version.width, version.height), QRect(40, 10, 119, 8));
        const CDialogControl& credit = about.controls[2];
        QCOMPARE(credit.kind, C::Static);
        QVERIFY(credit.text.contains(QStringLiteral("the Pelmora developers")));
        QCOMPARE(QRect(credit.x, credit.y, credit.width, credit.height), QRect(40, 25, 119, 8));
        const CDialogControl& ok = about.controls[3];
        QCOMPARE(ok.id, 1);
        QCOMPARE(ok.text, QStringLiteral("OK"));
        QVERIFY(ok.flags & C::DefaultButton);
        QCOMPARE(QRect(ok.x, ok.y, ok.width, ok.height), QRect(178, 7, 32, 14));
    }

    void strings_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<bool>("exists");
        QTest::newRow("101") << 101 << true;
        QTest::newRow("102") << 102 << true;
        QTest::newRow("100 is a dialog") << 100 << false;
        QTest::newRow("103") << 103 << false;
        QTest::newRow("0") << 0 << false;
    }

    void strings()
    {
        QFETCH(int, id);
        QFETCH(bool, exists);
        QCOMPARE(CMediaCatalogue::String(id).isEmpty(), !exists);
    }

    void aboutMenuItem() { QCOMPARE(CMediaCatalogue::String(101), QByteArray("&About mirvat01...")); }

    void helpText()
    {
        const QByteArray text = CMediaCatalogue::String(102);
        // CR LF between the lines and after the last; no other CR or LF.
        QVERIFY(text.endsWith("\r\n"));
        QCOMPARE(text.count('\n'), text.count("\r\n"));
        QCOMPARE(text.count('\r'), text.count("\r\n"));
        for (char c : text)
            QVERIFY(c == '\r' || c == '\n' || (c >= 0x20 && c < 0x7F));

        // Name and version, three credit lines with empty lines between,
        // then the ten lines as they have always read, trailing blanks and
        // spelling included.
        const QList<QByteArray> lines = Lines(text);
        QCOMPARE(lines.size(), 16);
        QCOMPARE(lines[0], QByteArray("Pelmora v.0.99b"));
        QVERIFY(lines[1].contains("the Pelmora developers"));
        QVERIFY(!lines[2].isEmpty());
        QVERIFY(lines[3].isEmpty());
        QVERIFY(!lines[4].isEmpty());
        QVERIFY(lines[5].isEmpty());
        QVERIFY(text.endsWith("This application can be used\r\n"
                              "for easy recording and playback\r\n"
                              "of dial-up sequences. Recorded\r\n"
                              "sequences can be easily saved \r\n"
                              "as script files and used again\r\n"
                              "when needed. Script fles are\r\n"
                              "saved as plain-text files and\r\n"
                              "can be easly edited using \r\n"
                              "Notepad or any other text \r\n"
                              "editor.\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestMediaLayout)
#include "tst_medialayout.moc"
