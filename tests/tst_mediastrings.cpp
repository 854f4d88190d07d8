#include "TestRows.h"
#include "media/CMediaCatalogue.h"

#include <QtTest>

// The two strings of the catalogue, byte for byte. The dialog layouts are
// checked where they take effect: the built panel and the About box
// (tst_shell) and the face under the controls (tst_mediapictures).
class TestMediaStrings : public QObject {
    Q_OBJECT

private slots:
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

QTEST_GUILESS_MAIN(TestMediaStrings)
#include "tst_mediastrings.moc"
