#include "CFakePlatform.h"
#include "TestRows.h"
#include "TestTools.h"
#include "document/CDialScript.h"
#include "document/CScriptFile.h"
#include "playback/CScriptLine.h"

#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace std::string_literals;
using Lines = std::vector<std::string>;
Q_DECLARE_METATYPE(std::string)
Q_DECLARE_METATYPE(Lines)

namespace {

// A document whose script directory is a temporary directory, with a file
// in it of each kind that a load or a save must refuse.
struct CDocument {
    CDocument()
    {
        script.SetDirectory(dir.path().toStdString() + "/");
        QDir(dir.path()).mkdir("sub");
        mkfifo(QFile::encodeName(Path("fifo")), 0600);
        symlink("fifo", QFile::encodeName(Path("pipe.dsq")));
        symlink("/dev/zero", QFile::encodeName(Path("zero.dsq")));
    }
    // Keys as "<ms before it>:<key>", from REC to STOP.
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
    void Write(const QString& name, const std::string& bytes) const
    {
        WriteBytes(Path(name), QByteArray::fromStdString(bytes));
    }
    std::string Read(const QString& name) const
    {
        QFile file(Path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "<missing>";
    }
    bool Load(const QString& name) { return script.Load(Path(name).toStdString()); }
    Lines Stored() const
    {
        Lines lines;
        for (int i = 0; i < script.GetLineCount(); ++i)
            lines.push_back(script.StoredLine(i));
        return lines;
    }
    QString Path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    CFakePlatform platform;
    CDialScript script{platform};
};

} // namespace

class TestScript : public QObject {
    Q_OBJECT

private slots:
    void newAndCleared()
    {
        CDocument document;
        QCOMPARE(document.script.GetLineCount(), CDialScript::LineLimit);
        document.Write("a.dsq", "dial 7\r\n");
        QVERIFY(document.Load("a.dsq"));
        document.script.NewRecording();
        QCOMPARE(document.script.GetLineCount(), 0);
        QCOMPARE(document.script.GetName(), "noname"s);
        document.script.Clear();
        QCOMPARE(document.script.GetName(), ""s);
        QCOMPARE(document.script.GetDirectory(), document.dir.path().toStdString() + "/");
    }

    // A file's lines as stored (CR LF and LF end a line, a lone CR stays,
    // Ctrl-Z ends the content, other bytes are kept), the first as GetLine
    // returns it (left-trimmed, lower-cased in place, cut at CR or LF) and
    // the note GetShowText then finds.
    void reading_data()
    {
        Columns<std::string, Lines, std::string, std::string>({"bytes", "lines", "line", "note"});
        Row("saved by the program", "  DIAL 7\r\r\n"s, Lines{"  DIAL 7\r"}, "dial 7"s, "7"s);
        Row("editor CR LF", "dial 1\r\nwait 2\r\n"s, Lines{"dial 1", "wait 2"}, "dial 1"s, "1"s);
        Row("LF, last line open", "\n\ndial 1\nwait 2"s, Lines{"", "", "dial 1", "wait 2"}, ""s, ""s);
        Row("lone CR", "show a\rshow b\r"s, Lines{"show a\rshow b\r"}, "show a"s, "a"s);
        Row("empty file", ""s, Lines{}, ""s, ""s);
        Row("Ctrl-Z ends", "\x1a"s + "dial 1\r\n", Lines{}, ""s, ""s);
        Row("Ctrl-Z in a line", "wait\x1a 2\r\n"s, Lines{"wait"}, "wait"s, ""s);
        Row("byte-order mark", "\xEF\xBB\xBF"s + "dial 1\r\n", Lines{"\xEF\xBB\xBF"s + "dial 1"},
            "\xEF\xBB\xBF"s + "dial 1", "ial 1"s);
        Row("NUL, 8-bit, blanks", " \t\v\f\rSHOW \0\xC4\r\n"s, Lines{" \t\v\f\rSHOW \0\xC4"s}, "show \0\xC4"s,
            "\0\xC4"s);
        Row("trailing blanks", "dial 1  \r\n"s, Lines{"dial 1  "}, "dial 1  "s, "1"s);
        Row("padded note", "show   hello   "s, Lines{"show   hello   "}, "show   hello   "s, "hello"s);
        Row("note cut to 12", "show 0123456789abcdef"s, Lines{"show 0123456789abcdef"}, "show 0123456789abcdef"s,
            "0123456789ab"s);
        Row("word alone", "show"s, Lines{"show"}, "show"s, ""s);
        Row("no blank after it", "Showtime"s, Lines{"Showtime"}, "showtime"s, "time"s);
    }

    void reading()
    {
        QFETCH(std::string, bytes);
        QFETCH(Lines, lines);
        CDocument document;
        document.Write("in.dsq", bytes);
        QVERIFY(document.Load("in.dsq"));
        QCOMPARE(document.Stored(), lines);
        if (lines.empty())
            return;
        QTEST(document.script.GetLine(0), "line");
        QVERIFY(document.script.StoredLine(0).starts_with(document.script.GetLine(0))); // normalised in place
        QTEST(document.script.GetShowText(0), "note");
    }

    // Keys at virtual times become dial and wait lines: a gap of more than
    // 2000 ms stores the pending line and a wait of whole seconds.
    void recording_data()
    {
        Columns<quint32, QString, Lines, std::string>({"start", "keys", "lines", "digits"});
        const auto gap = [](const char* s) { return Lines{"dial 1\r\n", "wait "s + s + "\r\n", "dial 2\r\n"}; };
        Row("one group", 1000u, "0:1 500:2 2000:3", Lines{"dial 123\r\n"}, "123"s);
        Row("5 s, 3 s", 0u, "0:1 5000:2 3000:3",
            Lines{"dial 1\r\n", "wait 5\r\n", "dial 2\r\n", "wait 3\r\n", "dial 3\r\n"}, "3"s);
        Row("2000 ms", 0u, "0:1 2000:2", Lines{"dial 12\r\n"}, "12"s);
        Row("2001 ms", 0u, "0:1 2001:2", gap("2"), "2"s);
        Row("2999 ms, * and #", 0u, "0:* 2999:#", Lines{"dial *\r\n", "wait 2\r\n", "dial #\r\n"}, "#"s);
        Row("65 s", 0u, "0:1 65000:2", gap("65"), "2"s);
        Row("clock wraps", 0xFFFFF000u, "0:1 4000:2", gap("4"), "2"s);
        Row("wrap, 2000 ms", 0xFFFFFC18u, "0:1 2000:2", Lines{"dial 12\r\n"}, "12"s);
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

    // What a save writes over an older file: recorded lines end in CR CR
    // LF, loaded ones get the CR LF they lost; the file reads back alike.
    void saving_data()
    {
        Columns<QString, std::string>({"keys", "saved"}); // keys: a recording, or "<" and a file loaded
        Row("dial 7: nine bytes", "100:7", "dial 7\r\r\n"s);
        Row("123, 3.4 s, 45", "0:1 300:2 300:3 3400:4 200:5", "dial 123\r\r\nwait 3\r\r\ndial 45\r\r\n"s);
        Row("loaded CR LF", "<dial 1\r\nwait 2\r\n", "dial 1\r\nwait 2\r\n"s);
        Row("loaded, saved by the program", "<dial 1\r\r\n", "dial 1\r\r\n"s);
        Row("loaded LF, last line open", "<dial 1\n\nwait 2", "dial 1\r\n\r\nwait 2\r\n"s);
        Row("loaded lone CR, Ctrl-Z", "<a\rb\r\n\x1a rest", "a\rb\r\n"s);
    }

    void saving()
    {
        QFETCH(QString, keys);
        QFETCH(std::string, saved);
        CDocument document;
        document.Write("in.dsq", keys.mid(1).toStdString());
        if (keys.startsWith('<'))
            QVERIFY(document.Load("in.dsq"));
        else
            document.Record(keys);
        document.script.SetName("test");
        document.Write("test.dsq", "a much longer earlier script\r\n");
        const Lines before = document.Stored();
        QVERIFY(document.script.Save());
        QCOMPARE(document.Read("test.dsq"), saved);
        QVERIFY(document.Load("test.dsq"));
        QCOMPARE(document.Stored().size(), before.size());
        QCOMPARE(QDir(document.dir.path()).entryList(QDir::Files | QDir::System | QDir::Hidden),
            (QStringList{"fifo", "in.dsq", "pipe.dsq", "test.dsq", "zero.dsq"}));
    }

    // A load that fails leaves the document as it was: only regular files
    // (after links) up to the size limit are read; a pipe or a device is
    // neither waited for nor read without end.
    void failedLoad()
    {
        CDocument document;
        document.Write("big.dsq", std::string(CScriptFile::MaxBytes + 1, '\n'));
        document.Write("limit.dsq", std::string(CScriptFile::MaxBytes - 8, '\n') + "dial 1\r\n");
        QVERIFY(document.Load("limit.dsq"));
        for (const char* name : {"gone.dsq", "sub", "fifo", "pipe.dsq", "zero.dsq", "big.dsq"}) {
            QVERIFY2(!document.Load(name), name);
            QCOMPARE(document.script.GetLineCount(), int(CScriptFile::MaxBytes) - 7);
            QCOMPARE(document.script.GetLine(int(CScriptFile::MaxBytes) - 8), "dial 1"s);
        }
    }

    // A save that cannot be made is reported and leaves the old file whole
    // and nothing else behind: a vanished directory, a name the file system
    // refuses, a name that leads to a pipe, a disk full at once or part-way.
    void failedSave_data()
    {
        Columns<std::string, int, int, bool>({"name", "limit", "keys", "saved"}); // limit: bytes; -1: none
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
        CDocument document;
        document.Record(QStringLiteral("0:1 ").repeated(keys));
        document.script.SetName(name);
        document.Write("bank.dsq", "dial 5\r\n");
        const bool saved = WithFileSizeLimit(limit, [&] { return document.script.Save(); });
        QTEST(saved, "saved");
        QCOMPARE(document.Read("bank.dsq"), saved ? "dial 1\r\r\n"s : "dial 5\r\n"s);
        QCOMPARE(QDir(document.dir.path()).entryList(QDir::Files | QDir::System | QDir::Hidden),
            (QStringList{"bank.dsq", "fifo", "pipe.dsq", "zero.dsq"}));
    }

    // How the player reads a line as GetLine hands it over: its command,
    // what that acts on, and the preview.
    void lineReading_data()
    {
        Columns<std::string, QString>({"text", "reading"});
        Row("dial", "dial 1-800 555#"s, "dial 1800555#|1-800 555#");
        Row("word alone", "dial"s, "dial |");
        Row("dialled", "dialled (0)12,x*"s, "dial 012*|led (0)12,x>");
        Row("fourteen digits", "dial 12345678901234"s, "dial 12345678901234|12345678901>");
        Row("eleven digits", "dial  12345678901  "s, "dial 12345678901|12345678901");
        Row("short", "dia"s, "none|");
        Row("leading blank", " dial 1"s, "none|l 1");
        Row("wait", "wait \t 12 s"s, "wait 12000|12 s");
        Row("wait, negative", "wait -5"s, "wait -5000|-5");
        Row("waiting, plus", "waiting +4"s, "wait 0|ing +4");
        Row("wait, plus", "wait +4"s, "wait 4000|+4");
        Row("wait, sign alone", "wait -"s, "wait 0|-");
        Row("wait, blanks alone", "wait \t "s, "wait 0|");
        Row("largest wait", "wait 2147483"s, "wait 2147483000|2147483");
        Row("saturated", "wait 2147484"s, "wait 2147483000|2147484");
        Row("very negative", "wait -99999999999"s, "wait -2147483000|-99999999999");
        Row("pause", "pause"s, "pause|e");
        Row("paus is short", "paus"s, "none|");
        Row("show", "show 0123456789abcdef"s, "show|0123456789abcdef");
        Row("play", "play it \"A b.wav\" now \"x\""s, "play a b.wav|it \"A b.wav\" now \"x\"");
        Row("play, five characters", "play \"a.wav\""s, "play a.wav|\"a.wav\"");
        Row("play, only .wav", "play \".wav\""s, "play |\".wav\"");
        Row("play, mp3", "play \"menu.mp3\""s, "play |\"menu.mp3\"");
        Row("play, one quote", "play \"menu.wav"s, "play |\"menu.wav");
        Row("play, wav not last", "play \"a.wav2\""s, "play |\"a.wav2\"");
    }

    void lineReading()
    {
        QFETCH(std::string, text);
        static const char* commands[] = {"none", "dial ", "wait ", "pause", "show", "play "};
        const CScriptLine::Command command = CScriptLine::Recognise(text);
        QString reading = QLatin1String(commands[command]);
        if (command == CScriptLine::Dial)
            reading += QString::fromStdString(CScriptLine::DialKeys(text));
        else if (command == CScriptLine::Wait)
            reading += QString::number(CScriptLine::WaitMs(text));
        else if (command == CScriptLine::Play)
            reading += QString::fromStdString(CScriptLine::PlayFileName(text).value_or(""));
        QTEST(reading + '|' + QString::fromStdString(CScriptLine::PreviewText(text)), "reading");
    }
};

QTEST_GUILESS_MAIN(TestScript)
#include "tst_script.moc"
