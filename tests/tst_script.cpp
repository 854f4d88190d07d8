#include "CFakePlatform.h"
#include "TestRows.h"
#include "document/CDialScript.h"
#include "document/CScriptFile.h"
#include "playback/CScriptLine.h"

#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace std::string_literals;
using Lines = std::vector<std::string>;
Q_DECLARE_METATYPE(std::string)
Q_DECLARE_METATYPE(Lines)

namespace {

std::string ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "<missing>";
}

void WriteBytes(const QString& path, const std::string& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()))
        qFatal("cannot write %s", qPrintable(path));
}

// A document in a temporary directory, which is its script directory.
struct CDocument {
    CDocument() { script.SetDirectory(dir.path().toStdString() + "/"); }
    // Records keys as "<ms before it>:<key>", from REC to STOP.
    void Record(const QString& keys, std::uint32_t start = 0)
    {
        platform.SetTime(start);
        script.NewRecording();
        for (const QString& key : keys.split(' ', Qt::SkipEmptyParts)) {
            platform.Advance(key.section(':', 0, 0).toUInt());
            script.RecordKey(key.section(':', 1).at(0).toLatin1());
        }
        platform.Advance(7000); // the time before STOP is not recorded
        script.RecordKey(CDialScript::EndMarker);
    }
    bool Load(const std::string& bytes)
    {
        WriteBytes(Path("in.dsq"), bytes);
        return script.Load(Path("in.dsq").toStdString());
    }
    Lines Stored() const
    {
        Lines lines;
        for (int i = 0; i < script.GetLineCount(); ++i)
            lines.push_back(script.StoredLine(i));
        return lines;
    }
    QString Path(const QString& name) const { return dir.filePath(name); }
    QStringList Files() const { return QDir(dir.path()).entryList(QDir::Files | QDir::System | QDir::Hidden); }

    QTemporaryDir dir;
    CFakePlatform platform;
    CDialScript script{platform};
};

} // namespace

class TestScript : public QObject {
    Q_OBJECT

private slots:
    void freshClearAndNewRecording()
    {
        CDocument document;
        CDialScript& script = document.script;
        QCOMPARE(script.GetLineCount(), CDialScript::LineLimit);
        QVERIFY(document.Load("dial 7\r\n"));
        script.SetName("seven");
        script.NewRecording();
        QCOMPARE(script.GetLineCount(), 0);
        QCOMPARE(script.GetName(), "noname"s);
        script.Clear();
        QCOMPARE(script.GetName(), ""s);
        QCOMPARE(script.GetDirectory(), document.dir.path().toStdString() + "/");
    }

    // Reading a file: CR LF and LF end lines, a lone CR stays, Ctrl-Z ends
    // the content, every other byte is kept.
    void decode_data()
    {
        QTest::addColumn<std::string>("bytes");
        QTest::addColumn<Lines>("lines");
        Row("saved by the program", "dial 7\r\r\n"s, Lines{"dial 7\r"});
        Row("editor CR LF", "dial 1\r\nwait 2\r\n"s, Lines{"dial 1", "wait 2"});
        Row("LF only", "dial 1\nwait 2\n"s, Lines{"dial 1", "wait 2"});
        Row("CR only is one line", "dial 1\rwait 2\r"s, Lines{"dial 1\rwait 2\r"});
        Row("last line without end", "dial 1\r\nwait 2"s, Lines{"dial 1", "wait 2"});
        Row("empty file", ""s, Lines{});
        Row("blank lines kept", "\r\n\ndial 1\r\n"s, Lines{"", "", "dial 1"});
        Row("Ctrl-Z ends content", "dial 1\r\nwait\x1a 2\r\ndial 3\r\n"s, Lines{"dial 1", "wait"});
        Row("byte-order mark stays", "\xEF\xBB\xBF"s + "dial 1\r\n", Lines{"\xEF\xBB\xBF"s + "dial 1"});
        Row("NUL kept", "dial \0001\n"s, Lines{"dial \0001"s});
    }

    void decode()
    {
        QFETCH(std::string, bytes);
        CDocument document;
        QVERIFY(document.Load(bytes));
        QTEST(document.Stored(), "lines");
    }

    // GetLine left-trims and lower-cases the stored line in place and
    // returns it up to its first CR or LF; GetShowText, right after it as
    // the player calls it, gives the note of a show line.
    void lineAccessors_data()
    {
        QTest::addColumn<std::string>("stored");
        QTest::addColumn<std::string>("line");
        QTest::addColumn<std::string>("kept");
        QTest::addColumn<std::string>("note");
        Row("blanks, capitals, CR", "  DIAL 123\r"s, "dial 123"s, "dial 123\r"s, "123"s);
        Row("only blanks", "    "s, ""s, ""s, ""s);
        Row("all six white spaces", " \t\v\f\rShow X"s, "show x"s, "show x"s, "x"s);
        Row("trailing blanks stay", "dial 1  \r"s, "dial 1  "s, "dial 1  \r"s, "1"s);
        Row("lone CR cuts", "show a\rshow b"s, "show a"s, "show a\rshow b"s, "a"s);
        Row("8-bit bytes not lowered", "SHOW \xC4\xD6"s, "show \xC4\xD6"s, "show \xC4\xD6"s, "\xC4\xD6"s);
        Row("padded note", "show   hello   "s, "show   hello   "s, "show   hello   "s, "hello"s);
        Row("note cut to twelve", "show 0123456789abcdef"s, "show 0123456789abcdef"s, "show 0123456789abcdef"s,
            "0123456789ab"s);
        Row("no blank after the word", "showtime"s, "showtime"s, "showtime"s, "time"s);
        Row("word alone", "show"s, "show"s, "show"s, ""s);
        Row("lowered first", "Show   Balance menu ok"s, "show   balance menu ok"s, "show   balance menu ok"s,
            "balance menu"s);
    }

    void lineAccessors()
    {
        QFETCH(std::string, stored);
        CDocument document;
        QVERIFY(document.Load(stored));
        QTEST(document.script.GetLine(0), "line");
        QTEST(document.script.StoredLine(0), "kept");
        QTEST(document.script.GetShowText(0), "note");
    }

    // Keys at virtual times become dial and wait lines: a gap of more than
    // 2000 ms stores the pending line and a wait of whole seconds.
    void recording_data()
    {
        QTest::addColumn<quint32>("start");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<Lines>("lines");
        QTest::addColumn<std::string>("digits"); // since the last wait
        const auto gap = [](const char* s) { return Lines{"dial 1\r\n", "wait "s + s + "\r\n", "dial 2\r\n"}; };
        Row("one group", 1000u, "0:1 500:2 2000:3", Lines{"dial 123\r\n"}, "123"s);
        Row("5 s, 3 s", 0u, "0:1 5000:2 3000:3",
            Lines{"dial 1\r\n", "wait 5\r\n", "dial 2\r\n", "wait 3\r\n", "dial 3\r\n"}, "3"s);
        Row("exactly 2000 ms", 0u, "0:1 2000:2", Lines{"dial 12\r\n"}, "12"s);
        Row("2001 ms", 0u, "0:1 2001:2", gap("2"), "2"s);
        Row("2999 ms, star and hash", 0u, "0:* 2999:#", Lines{"dial *\r\n", "wait 2\r\n", "dial #\r\n"}, "#"s);
        Row("65 s", 0u, "0:1 65000:2", gap("65"), "2"s);
        Row("clock wraps", 0xFFFFF000u, "0:1 4000:2", gap("4"), "2"s);
        Row("wrap, exactly 2000 ms", 0xFFFFFC18u, "0:1 2000:2", Lines{"dial 12\r\n"}, "12"s);
        Row("digits since the wait", 0u, "0:1 5000:2 100:3", Lines{"dial 1\r\n", "wait 5\r\n", "dial 23\r\n"}, "23"s);
        Row("time before the first key", 0u, "9000:1 100:2", Lines{"dial 12\r\n"}, "12"s);
        Row("no key", 0u, "", Lines{}, ""s);
    }

    void recording()
    {
        QFETCH(quint32, start);
        QFETCH(QString, keys);
        CDocument document;
        document.Record(keys, start);
        QTEST(document.Stored(), "lines");
        QTEST(document.script.GetDigits(), "digits");
        QCOMPARE(document.script.GetName(), "noname"s);
    }

    // The 8192nd gap fills the recording: RecordKey says so, and the lines
    // so far are kept without the pending key.
    void lineLimit()
    {
        CDocument document;
        CDialScript& script = document.script;
        script.NewRecording();
        QVERIFY(script.RecordKey('1'));
        for (int gap = 1; gap < CDialScript::LineLimit / 2; ++gap) {
            document.platform.Advance(2001);
            QVERIFY(script.RecordKey('2'));
        }
        document.platform.Advance(3000);
        QVERIFY(!script.RecordKey('3'));
        QCOMPARE(script.GetLineCount(), CDialScript::LineLimit);
        QCOMPARE(script.StoredLine(CDialScript::LineLimit - 1), "wait 3\r\n"s);
    }

    // What is saved: recorded lines end in CR CR LF, loaded ones get CR LF
    // where they had none, and the file reads back as it was saved.
    void saveBytes_data()
    {
        QTest::addColumn<QString>("keys"); // a recording, or "<" and the bytes of a file loaded
        QTest::addColumn<std::string>("saved");
        Row("dial 7: nine bytes", "100:7", "dial 7\r\r\n"s);
        Row("123, 3.4 s, 45", "0:1 300:2 300:3 3400:4 200:5", "dial 123\r\r\nwait 3\r\r\ndial 45\r\r\n"s);
        Row("loaded CR LF", "<dial 1\r\nwait 2\r\n", "dial 1\r\nwait 2\r\n"s);
        Row("loaded, saved by the program", "<dial 1\r\r\n", "dial 1\r\r\n"s);
        Row("loaded LF, last line open", "<dial 1\n\nwait 2", "dial 1\r\n\r\nwait 2\r\n"s);
        Row("loaded lone CR, Ctrl-Z", "<a\rb\r\n\x1a rest", "a\rb\r\n"s);
    }

    void saveBytes()
    {
        QFETCH(QString, keys);
        QFETCH(std::string, saved);
        CDocument document;
        if (keys.startsWith('<'))
            QVERIFY(document.Load(keys.mid(1).toStdString()));
        else
            document.Record(keys);
        document.script.SetName("test");
        WriteBytes(document.Path("test.dsq"), "a much longer earlier script\r\n");
        const Lines before = document.Stored();
        QVERIFY(document.script.Save());
        QCOMPARE(ReadBytes(document.Path("test.dsq")), saved);
        QCOMPARE(document.Files(), (QStringList{"in.dsq", "test.dsq"}).mid(keys.startsWith('<') ? 0 : 1));
        QVERIFY(document.script.Load(document.Path("test.dsq").toStdString()));
        QCOMPARE(document.Stored().size(), before.size());
    }

    // A load that fails leaves the document as it was: only regular files
    // (after links) of at most the size limit are read, and a pipe or a
    // device is neither waited for nor read without end.
    void failedLoad_data()
    {
        QTest::addColumn<QString>("name");
        Row("missing file", "gone.dsq");
        Row("directory", "sub");
        Row("FIFO", "fifo");
        Row("link to a FIFO", "pipe.dsq");
        Row("link to /dev/zero", "zero.dsq");
        Row("one byte over the limit", "big.dsq");
    }

    void failedLoad()
    {
        QFETCH(QString, name);
        CDocument document;
        QDir(document.dir.path()).mkdir("sub");
        QCOMPARE(mkfifo(QFile::encodeName(document.Path("fifo")), 0600), 0);
        QCOMPARE(symlink("fifo", QFile::encodeName(document.Path("pipe.dsq"))), 0);
        QCOMPARE(symlink("/dev/zero", QFile::encodeName(document.Path("zero.dsq"))), 0);
        WriteBytes(document.Path("big.dsq"), std::string(CScriptFile::MaxBytes + 1, '\n'));
        QVERIFY(document.Load(std::string(CScriptFile::MaxBytes - 8, '\n') + "dial 1\r\n"));
        QVERIFY(!document.script.Load(document.Path(name).toStdString()));
        QCOMPARE(document.script.GetLineCount(), int(CScriptFile::MaxBytes - 7));
        QCOMPARE(document.script.GetLine(int(CScriptFile::MaxBytes - 8)), "dial 1"s);
    }

    // A save that cannot be made is reported and leaves the old file whole
    // and nothing else behind: a vanished directory, a name the file system
    // refuses, a name that leads to a pipe, a disk that fills up at once or
    // part-way (a file-size limit).
    void failedSave_data()
    {
        QTest::addColumn<std::string>("name");
        QTest::addColumn<int>("limit"); // bytes; -1: none
        QTest::addColumn<int>("keys");
        QTest::addColumn<bool>("saved");
        Row("directory vanished", "gone/bank"s, -1, 1, false);
        Row("name too long", std::string(300, 'n'), -1, 1, false);
        Row("link to a FIFO", "pipe"s, -1, 1, false);
        Row("no room, one key", "bank"s, 0, 1, false);
        Row("no room, 5000 keys", "bank"s, 0, 5000, false);
        Row("4096 bytes, 5000 keys", "bank"s, 4096, 5000, false);
        Row("4096 bytes, one key", "bank"s, 4096, 1, true);
    }

    void failedSave()
    {
        QFETCH(std::string, name);
        QFETCH(int, limit);
        QFETCH(int, keys);
        QFETCH(bool, saved);
        CDocument document;
        document.Record(QStringLiteral("0:1 ").repeated(keys));
        document.script.SetName(name);
        QCOMPARE(mkfifo(QFile::encodeName(document.Path("fifo")), 0600), 0);
        QCOMPARE(symlink("fifo", QFile::encodeName(document.Path("pipe.dsq"))), 0);
        WriteBytes(document.Path("bank.dsq"), "dial 5\r\n");
        const auto handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit previous{};
        getrlimit(RLIMIT_FSIZE, &previous);
        rlimit small = previous;
        small.rlim_cur = limit >= 0 ? rlim_t(limit) : previous.rlim_cur;
        setrlimit(RLIMIT_FSIZE, &small);
        const bool result = document.script.Save();
        setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, handler);
        QCOMPARE(result, saved);
        QCOMPARE(ReadBytes(document.Path("bank.dsq")), saved ? "dial 1\r\r\n"s : "dial 5\r\n"s);
        QCOMPARE(document.Files(), (QStringList{"bank.dsq", "fifo", "pipe.dsq"}));
    }

    void detectDirectory_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<std::string>("directory");
        Row("directory", "script/", "./script/"s);
        Row("plain file", "script", ""s);
        Row("nothing", "", ""s);
        Row("other case", "Script/", ""s);
    }

    void detectDirectory()
    {
        QFETCH(QString, entry);
        QTemporaryDir dir;
        const QString previous = QDir::currentPath();
        QDir::setCurrent(dir.path());
        if (entry.endsWith('/'))
            QDir().mkdir(entry);
        else if (!entry.isEmpty())
            WriteBytes(entry, "not a directory");
        const std::string detected = CScriptFile::DetectDirectory();
        QDir::setCurrent(previous);
        QTEST(detected, "directory");
    }

    // How the player reads a line as GetLine hands it over: its command,
    // the keys it dials, its wait in ms, its preview and its wave file.
    void lineReading_data()
    {
        QTest::addColumn<std::string>("text");
        QTest::addColumn<QString>("reading"); // the command, what it acts on, and the preview
        Row("dial", "dial 1-800 555#"s, "dial 1800555#|1-800 555#");
        Row("word alone", "dial"s, "dial |");
        Row("dialled", "dialled (0)12,x*"s, "dial 012*|led (0)12,x>");
        Row("fourteen digits", "dial 12345678901234"s, "dial 12345678901234|12345678901>");
        Row("eleven digits", "dial  12345678901  "s, "dial 12345678901|12345678901");
        Row("short", "dia"s, "none|");
        Row("capitals", "DIAL 1"s, "none|1");
        Row("leading blank", " dial 1"s, "none|l 1");
        Row("wait", "wait 3"s, "wait 3000|3");
        Row("wait, blanks, rest", "wait \t 12 s"s, "wait 12000|12 s");
        Row("wait, negative", "wait -5"s, "wait -5000|-5");
        Row("waiting, plus", "waiting +4"s, "wait 0|ing +4");
        Row("wait, plus", "wait +4"s, "wait 4000|+4");
        Row("wait, sign alone", "wait -"s, "wait 0|-");
        Row("largest wait", "wait 2147483"s, "wait 2147483000|2147483");
        Row("one more saturates", "wait 2147484"s, "wait 2147483000|2147484");
        Row("very negative", "wait -99999999999"s, "wait -2147483000|-99999999999");
        Row("pause", "pause"s, "pause|e");
        Row("paus is short", "paus"s, "none|");
        Row("show", "show 0123456789abcdef"s, "show|0123456789abcdef");
        Row("play", "play \"MENU.wav\""s, "play menu.wav|\"MENU.wav\"");
        Row("play, text around", "play it \"a b.wav\" now \"x\""s, "play a b.wav|it \"a b.wav\" now \"x\"");
        Row("play, five characters", "play \"a.wav\""s, "play a.wav|\"a.wav\"");
        Row("play, only .wav", "play \".wav\""s, "play |\".wav\"");
        Row("play, mp3", "play \"menu.mp3\""s, "play |\"menu.mp3\"");
        Row("play, one quote", "play \"menu.wav"s, "play |\"menu.wav");
        Row("play, wav not last", "play \"a.wav2\""s, "play |\"a.wav2\"");
        Row("remark", "; call the bank"s, "none|ll the bank");
    }

    void lineReading()
    {
        QFETCH(std::string, text);
        QString reading;
        switch (CScriptLine::Recognise(text)) {
        case CScriptLine::Dial:
            reading = "dial " + QString::fromStdString(CScriptLine::DialKeys(text));
            break;
        case CScriptLine::Wait:
            reading = QStringLiteral("wait %1").arg(CScriptLine::WaitMs(text));
            break;
        case CScriptLine::Play:
            reading = "play " + QString::fromStdString(CScriptLine::PlayFileName(text).value_or(""));
            break;
        case CScriptLine::Pause:
            reading = "pause";
            break;
        case CScriptLine::Show:
            reading = "show";
            break;
        case CScriptLine::None:
            reading = "none";
            break;
        }
        QTEST(reading + '|' + QString::fromStdString(CScriptLine::PreviewText(text)), "reading");
    }
};

QTEST_GUILESS_MAIN(TestScript)
#include "tst_script.moc"
