#include "TestRows.h"
#include "media/CMediaCatalogue.h"

#include <QtTest>

// The panel layout and the two strings of the catalogue. Where each control
// lands is checked on the built panel (tst_shell) and on the face
// (tst_mediapictures), the About box as it opens (tst_shell); here the
// panel's frame and tab order and the strings' bytes.
class TestMediaLayout : public QObject {
    Q_OBJECT

private slots:
    void panelDialog()
    {
        const CDialogLayout& panel = CMediaCatalogue::PanelLayout();
        QCOMPARE(QSize(panel.width, panel.height), QSize(91, 224));
        QCOMPARE(panel.fontFace, QStringLiteral("Courier New"));
        QCOMPARE(panel.pointSize, 8);
        // Template order is the tab order.
        QList<int> ids;
        for (const CDialogControl& control : panel.controls)
            ids << control.id;
        QCOMPARE(ids,
            (QList<int>{1000, 1007, 1008, 1009, 1010, 1011, 1012, 1013, 1014, 1016, 1001, 1019, 1020, 1021, 1022, 1004,
                1005, 1006, 1024, 1027, 1029, 1030, 1015, 1017, 1025, 1032, 1033, 1034, 1035}));
        QVERIFY(!panel.Control(1002));
    }

    void strings_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QByteArray>("bytes");
        Row("101", 101, QByteArray("&About mirvat01..."));
        Row("100 is a dialog", 100, QByteArray());
        Row("103", 103, QByteArray());
    }

    void strings()
    {
        QFETCH(int, id);
        QTEST(CMediaCatalogue::String(id), "bytes");
    }

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
        QList<QByteArray> lines = text.split('\n');
        QCOMPARE(lines.size(), 17); // after the final line end
        for (QByteArray& line : lines)
            line.chop(1);
        QCOMPARE(lines[0], QByteArray("Pelmora v.0.99b"));
        QVERIFY(lines[1].contains("the Pelmora developers"));
        QVERIFY(!lines[2].isEmpty() && lines[3].isEmpty() && !lines[4].isEmpty() && lines[5].isEmpty());
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
