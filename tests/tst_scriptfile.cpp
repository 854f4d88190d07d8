#include "CFakePlatform.h"
#include "TestRows.h"
#include "document/CDialScript.h"
#include "document/CScriptFile.h"

#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace std::string_literals;
using Lines = std::vector<std::string>;
using Keys = std::vector<std::pair<std::uint32_t, char>>;

Q_DECLARE_METATYPE(std::string)
Q_DECLARE_METATYPE(Lines)
Q_DECLARE_METATYPE(Keys)

namespace {

std::string ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "<missing>";
}

void WriteBytes(const QString& path, const std::string& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size())
        || !file.flush())
        qFatal("cannot write %s", qPrintable(path));
}

// A recording made as the panel makes it from REC to STOP, with keys at
// virtual times (ms), named name, to be saved into directory (relative to
// a temporary directory; "" is the temporary directory itself).
struct CRecording {
    CRecording(const Keys& keys, const std::string& name, const QString& directory = QString())
    {
        script.SetDirectory((dir.path() + "/" + directory).toStdString());
        script.NewRecording();
        for (const auto& [time, key] : keys) {
            platform.SetTime(time);
            script.RecordKey(key);
        }
        script.RecordKey(CDialScript::EndMarker);
        script.SetName(name);
    }
    QString Path(const QString& name) const { return dir.filePath(name); }
    QStringList Files() const
    {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

    QTemporaryDir dir;
    CFakePlatform platform;
    CDialScript script{platform};
};

} // namespace

class TestScriptFile : public QObject {
    Q_OBJECT

private slots:
    // Reading: CR LF and LF end lines, a lone CR stays, Ctrl-Z ends the
    // content, every other byte is kept.
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
        Row("blank lines kept", "\r\n\r\ndial 1\r\n"s, Lines{"", "", "dial 1"});
        Row("Ctrl-Z ends content", "dial 1\r\nwait\x1a 2\r\ndial 3\r\n"s, Lines{"dial 1", "wait"});
        Row("Ctrl-Z first", "\x1a"s + "dial 1", Lines{});
        Row("byte-order mark stays", "\xEF\xBB\xBF"s + "dial 1\r\n", Lines{"\xEF\xBB\xBF"s + "dial 1"});
        Row("NUL bytes kept", "dial \0001\n"s, Lines{"dial \0001"s});
        Row("CR at the very end", "dial 1\r"s, Lines{"dial 1\r"});
    }

    void decode()
    {
        QFETCH(std::string, bytes);
        QTEST(CScriptFile::Decode(bytes), "lines");
    }

    // Writing turns each LF into CR LF: recorded lines end in CR CR LF. A
    // file of that name is replaced; the saved script loads back as it was.
    void saveBytes_data()
    {
        QTest::addColumn<Keys>("keys");
        QTest::addColumn<std::string>("bytes");
        Row("dial 7: nine bytes", Keys{{100, '7'}}, "dial 7\r\r\n"s);
        Row("123, 3.4 s, 45: thirty bytes", Keys{{0, '1'}, {300, '2'}, {600, '3'}, {4000, '4'}, {4200, '5'}},
            "dial 123\r\r\nwait 3\r\r\ndial 45\r\r\n"s);
    }

    void saveBytes()
    {
        QFETCH(Keys, keys);
        CRecording recording(keys, "test");
        WriteBytes(recording.Path("test.dsq"), "a much longer earlier script\r\n");
        QVERIFY(recording.script.Save());
        QTEST(ReadBytes(recording.Path("test.dsq")), "bytes");
        QCOMPARE(recording.Files(), QStringList{"test.dsq"});

        CDialScript loaded(recording.platform);
        QVERIFY(loaded.Load(recording.Path("test.dsq").toStdString()));
        QCOMPARE(loaded.GetLineCount(), recording.script.GetLineCount());
        for (int i = 0; i < loaded.GetLineCount(); ++i)
            QCOMPARE(loaded.GetLine(i), recording.script.GetLine(i));
    }

    // Names are 8-bit bytes in the locale's encoding, used as they are.
    void eightBitNameSaved()
    {
        CRecording recording({{0, '1'}}, "b\xE4nk 1");
        QVERIFY(recording.script.Save());
        QVERIFY(QFile::exists(recording.Path(QFile::decodeName("b\xE4nk 1.dsq"))));
    }

    // A script read and saved again gives back its lines: loaded lines get
    // the line end that recorded ones carry.
    void loadedScriptSavedAgain_data()
    {
        QTest::addColumn<std::string>("bytes");
        QTest::addColumn<std::string>("saved");
        Row("editor CR LF", "dial 1\r\nwait 2\r\ndial 3\r\n"s, "dial 1\r\nwait 2\r\ndial 3\r\n"s);
        Row("saved by the program", "dial 1\r\r\nwait 3\r\r\n"s, "dial 1\r\r\nwait 3\r\r\n"s);
        Row("LF only, last line open", "dial 1\n\nwait 2"s, "dial 1\r\n\r\nwait 2\r\n"s);
        Row("lone CR, Ctrl-Z", "a\rb\r\n\x1a rest"s, "a\rb\r\n"s);
    }

    void loadedScriptSavedAgain()
    {
        QFETCH(std::string, bytes);
        CRecording recording({}, "copy");
        WriteBytes(recording.Path("in.dsq"), bytes);
        QVERIFY(recording.script.Load(recording.Path("in.dsq").toStdString()));
        QVERIFY(recording.script.Save());
        QTEST(ReadBytes(recording.Path("copy.dsq")), "saved");
    }

    // A load that fails leaves the document as it was. Only regular files
    // are read (after links), without blocking on a pipe and without
    // reading a device that never ends; a script over the size limit is
    // refused, one of exactly the limit loads.
    void failedLoadLeavesDocument_data()
    {
        QTest::addColumn<QString>("name");
        Row("missing file", "gone.dsq");
        Row("directory", "sub");
        Row("FIFO", "fifo");
        Row("link to a FIFO", "pipe.dsq");
        Row("link to /dev/zero", "zero.dsq");
        Row("one byte over the limit", "big.dsq");
    }

    void failedLoadLeavesDocument()
    {
        QFETCH(QString, name);
        CRecording recording({}, "good");
        QDir(recording.dir.path()).mkdir("sub");
        QCOMPARE(mkfifo(QFile::encodeName(recording.Path("fifo")), 0600), 0);
        QCOMPARE(symlink("fifo", QFile::encodeName(recording.Path("pipe.dsq"))), 0);
        QCOMPARE(symlink("/dev/zero", QFile::encodeName(recording.Path("zero.dsq"))), 0);
        WriteBytes(recording.Path("big.dsq"), std::string(CScriptFile::MaxBytes + 1, '\n'));
        WriteBytes(recording.Path("limit.dsq"), std::string(CScriptFile::MaxBytes, '\n'));
        QVERIFY(recording.script.Load(recording.Path("limit.dsq").toStdString()));
        CDialScript& script = recording.script;
        WriteBytes(recording.Path("good.dsq"), "dial 1\r\nwait 2\r\n");
        QVERIFY(script.Load(recording.Path("good.dsq").toStdString()));
        QVERIFY(!script.Load(recording.Path(name).toStdString()));
        QCOMPARE(script.GetLineCount(), 2);
        QCOMPARE(script.GetLine(1), "wait 2"s);
        QCOMPARE(script.GetName(), "good"s);
    }

    // A save that cannot be made is reported and leaves nothing behind.
    void failedSaveIsReported_data()
    {
        QTest::addColumn<QString>("directory");
        QTest::addColumn<std::string>("name");
        Row("directory vanished", "vanished/", "bank"s);
        Row("name too long", "", std::string(300, 'n'));
        Row("link to a FIFO", "", "pipe"s);
    }

    void failedSaveIsReported()
    {
        QFETCH(QString, directory);
        QFETCH(std::string, name);
        CRecording recording({{0, '1'}}, name, directory);
        QCOMPARE(mkfifo(QFile::encodeName(recording.Path("fifo")), 0600), 0);
        QCOMPARE(symlink("fifo", QFile::encodeName(recording.Path("pipe.dsq"))), 0);
        QVERIFY(!recording.script.Save());
        QCOMPARE(recording.Files(), (QStringList{"fifo", "pipe.dsq"}));
        QVERIFY(!QFileInfo(recording.Path("fifo")).isFile());
    }

    // A file-size limit makes the write fail part-way or at once, as a full
    // disk would; a save that does not fit must fail, leave the old script
    // whole and no temporary file behind. 5,000 quick keys are one line of
    // 5,008 bytes, small enough to wait in a write buffer.
    void fileSizeLimit_data()
    {
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("keys");
        QTest::addColumn<bool>("saved");
        Row("no room, one key", 0, 1, false);
        Row("no room, 5000 keys", 0, 5000, false);
        Row("4096 bytes, 5000 keys", 4096, 5000, false);
        Row("4096 bytes, one key", 4096, 1, true);
    }

    void fileSizeLimit()
    {
        QFETCH(int, limit);
        QFETCH(int, keys);
        QFETCH(bool, saved);
        Keys pressed;
        for (int i = 0; i < keys; ++i)
            pressed.push_back({std::uint32_t(i) * 100, '1'});
        CRecording recording(pressed, "bank");
        WriteBytes(recording.Path("bank.dsq"), "dial 5\r\n");

        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit previous{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &previous), 0);
        rlimit small = previous;
        small.rlim_cur = rlim_t(limit);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const bool result = recording.script.Save();
        setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, previousHandler);

        QCOMPARE(result, saved);
        QCOMPARE(ReadBytes(recording.Path("bank.dsq")), saved ? "dial 1\r\r\n"s : "dial 5\r\n"s);
        QCOMPARE(QDir(recording.dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"bank.dsq"});
    }

    // Scripts live in ./script/ when the working directory holds a
    // directory of that name, otherwise in the working directory itself.
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
        QVERIFY(QDir::setCurrent(dir.path()));
        if (entry.endsWith('/'))
            QDir().mkdir(entry);
        else if (!entry.isEmpty())
            WriteBytes(entry, "not a directory");
        const std::string detected = CScriptFile::DetectDirectory();
        QDir::setCurrent(previous);
        QTEST(detected, "directory");
    }
};

QTEST_GUILESS_MAIN(TestScriptFile)
#include "tst_scriptfile.moc"
