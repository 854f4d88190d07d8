#include "CFakePlatform.h"
#include "TestRows.h"
#include "document/CDialScript.h"
#include "document/CScriptFile.h"

#include <QtTest>

using namespace std::string_literals;

Q_DECLARE_METATYPE(std::string)

namespace {

// A document holding one line put in through the file layer, byte for byte.
struct COneLine {
    explicit COneLine(const std::string& line)
    {
        const std::string path = dir.filePath(QStringLiteral("one.dsq")).toStdString();
        if (!CScriptFile::Write(path, line) || !script.Load(path) || script.GetLineCount() != 1)
            qFatal("cannot load one line");
    }
    QTemporaryDir dir;
    CFakePlatform platform;
    CDialScript script{platform};
};

} // namespace

class TestDialScript : public QObject {
    Q_OBJECT

private slots:
    void freshClearedAndNew()
    {
        CFakePlatform platform;
        CDialScript script(platform);
        QCOMPARE(script.GetLineCount(), CDialScript::LineLimit);
        QCOMPARE(script.StoredLine(16383), ""s);
        QCOMPARE(script.GetMode(), ModeIdle);

        // Clear keeps the script directory.
        script.SetDirectory("./script/");
        script.SetName("bank");
        script.SetMode(ModeLoading);
        script.Clear();
        QCOMPARE(script.GetLineCount(), 0);
        QCOMPARE(script.GetName(), ""s);
        QCOMPARE(script.GetMode(), ModeIdle);
        QCOMPARE(script.GetDirectory(), "./script/"s);

        // A new recording drops a loaded script.
        COneLine loaded("dial 7\r\n");
        loaded.script.SetName("seven");
        QVERIFY(loaded.script.NewRecording());
        QCOMPARE(loaded.script.GetLineCount(), 0);
        QCOMPARE(loaded.script.GetName(), "noname"s);
        QCOMPARE(loaded.script.GetMode(), ModeRecording);
        QCOMPARE(loaded.script.GetDigits(), ""s);
    }

    // GetLine returns the line left-trimmed, lower-cased and cut at its
    // first CR or LF, and keeps it so in the document.
    void getLine_data()
    {
        QTest::addColumn<std::string>("stored");
        QTest::addColumn<std::string>("returned");
        QTest::addColumn<std::string>("kept");
        Row("blanks, capitals, CR", "  DIAL 123\r"s, "dial 123"s, "dial 123\r"s);
        Row("saved by the program", "  Wait 3\r\r\n"s, "wait 3"s, "wait 3\r"s);
        Row("only blanks", "    "s, ""s, ""s);
        Row("all six white spaces", " \t\v\f\rShow X"s, "show x"s, "show x"s);
        Row("trailing blanks stay", "dial 1  \r"s, "dial 1  "s, "dial 1  \r"s);
        Row("lone CR cuts", "dial 1\rwait 2\rdial 3"s, "dial 1"s, "dial 1\rwait 2\rdial 3"s);
        Row("NUL kept", "dial 1\0002"s, "dial 1\0002"s, "dial 1\0002"s);
        Row("8-bit bytes not lowered", "SHOW \xC4\xD6"s, "show \xC4\xD6"s, "show \xC4\xD6"s);
        const std::string bom = "\xEF\xBB\xBF"s + "dial 1";
        Row("byte-order mark stays", bom, bom, bom);
    }

    void getLine()
    {
        QFETCH(std::string, stored);
        COneLine one(stored);
        QTEST(one.script.GetLine(0), "returned");
        QTEST(one.script.StoredLine(0), "kept");
    }

    // lowered: GetLine ran on the line before, as the player does.
    void getShowText_data()
    {
        QTest::addColumn<std::string>("stored");
        QTest::addColumn<bool>("lowered");
        QTest::addColumn<std::string>("note");
        Row("word alone", "show"s, false, ""s);
        Row("padded", "show   hello   "s, false, "hello"s);
        Row("cut to twelve", "show 0123456789abcdef"s, false, "0123456789ab"s);
        Row("no blank after word", "showtime"s, false, "time"s);
        Row("leading blanks, CR LF", "  show menu\r\n"s, false, "menu"s);
        Row("case kept", "Show Balance"s, false, "Balance"s);
        Row("short line", "sh"s, false, ""s);
        Row("text after CR ignored", "show a\rshow b"s, false, "a"s);
        Row("after GetLine", "Show   Balance menu ok\r\n"s, true, "balance menu"s);
    }

    void getShowText()
    {
        QFETCH(std::string, stored);
        QFETCH(bool, lowered);
        COneLine one(stored);
        if (lowered)
            one.script.GetLine(0);
        QTEST(one.script.GetShowText(0), "note");
        if (!lowered) // GetShowText leaves the line as it is
            QCOMPARE(one.script.StoredLine(0), CScriptFile::Decode(stored).front());
    }
};

QTEST_GUILESS_MAIN(TestDialScript)
#include "tst_dialscript.moc"
