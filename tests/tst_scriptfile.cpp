#include "CFakePlatform.h"
#include "document/CDialScript.h"
#include "document/CScriptFile.h"

#include <QtTest>

#include <csignal>
#include <sys/resource.h>

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
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll().toStdString();
}

void WriteBytes(const QString& path, const std::string& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

// Records keys at the given virtual times (milliseconds) and ends the
// recording, as the panel does from REC to STOP.
void Record(CFakePlatform& platform, CDialScript& script, const Keys& keys)
{
    script.NewRecording();
    for (const auto& [time, key] : keys) {
        platform.SetTime(time);
        script.RecordKey(key);
    }
    script.RecordKey(CDialScript::EndMarker);
}

} // namespace

class TestScriptFile : public QObject {
    Q_OBJECT

private slots:
    void decode_data()
    {
        QTest::addColumn<std::string>("bytes");
        QTest::addColumn<Lines>("lines");
        QTest::newRow("saved by the program") << "dial 7\r\r\n"s << Lines{"dial 7\r"};
        QTest::newRow("editor CR LF") << "dial 1\r\nwait 2\r\n"s << Lines{"dial 1", "wait 2"};
        QTest::newRow("LF only") << "dial 1\nwait 2\n"s << Lines{"dial 1", "wait 2"};
        QTest::newRow("CR only is one line") << "dial 1\rwait 2\r"s << Lines{"dial 1\rwait 2\r"};
        QTest::newRow("last line without end") << "dial 1\r\nwait 2"s << Lines{"dial 1", "wait 2"};
        QTest::newRow("empty file") << ""s << Lines{};
        QTest::newRow("blank lines kept") << "\r\n\r\ndial 1\r\n"s << Lines{"", "", "dial 1"};
        QTest::newRow("Ctrl-Z ends content") << "dial 1\r\nwait\x1a 2\r\ndial 3\r\n"s << Lines{"dial 1", "wait"};
        QTest::newRow("Ctrl-Z first") << "\x1a"
                                         "dial 1"s
                                      << Lines{};
        QTest::newRow("byte-order mark stays") << "\xEF\xBB\xBF"
                                                  "dial 1\r\n"s
                                               << Lines{"\xEF\xBB\xBF"
                                                        "dial 1"};
        QTest::newRow("NUL bytes kept") << "dial \0001\n"s << Lines{"dial \0001"s};
        QTest::newRow("CR at the very end") << "dial 1\r"s << Lines{"dial 1\r"};
    }

    void decode()
    {
        QFETCH(std::string, bytes);
        QFETCH(Lines, lines);
        QCOMPARE(CScriptFile::Decode(bytes), lines);
    }

    void saveBytes_data()
    {
        QTest::addColumn<Keys>("keys");
        QTest::addColumn<std::string>("bytes");
        QTest::newRow("dial 7: nine bytes") << Keys{{100, '7'}} << "dial 7\r\r\n"s;
        QTest::newRow("123, 3.4 s, 45: thirty bytes") << Keys{{0, '1'}, {300, '2'}, {600, '3'}, {4000, '4'},
            {4200, '5'}} << "dial 123\r\r\nwait 3\r\r\ndial 45\r\r\n"s;
    }

    void saveBytes()
    {
        QFETCH(Keys, keys);
        QFETCH(std::string, bytes);
        QTemporaryDir dir;
        CFakePlatform platform;
        CDialScript script(platform);
        script.SetDirectory(dir.path().toStdString() + "/");
        Record(platform, script, keys);
        script.SetName("test");
        QVERIFY(script.Save());
        QCOMPARE(ReadBytes(dir.filePath("test.dsq")), bytes);

        CDialScript loaded(platform);
        QVERIFY(loaded.Load(dir.filePath("test.dsq").toStdString()));
        QCOMPARE(loaded.GetLineCount(), script.GetLineCount());
        for (int i = 0; i < loaded.GetLineCount(); ++i)
            QCOMPARE(loaded.GetLine(i), script.GetLine(i));
    }

    void saveReplacesExistingFile()
    {
        QTemporaryDir dir;
        WriteBytes(dir.filePath("bank.dsq"), "a much longer earlier script\r\n");
        CFakePlatform platform;
        CDialScript script(platform);
        script.SetDirectory(dir.path().toStdString() + "/");
        Record(platform, script, {{0, '9'}});
        script.SetName("bank");
        QVERIFY(script.Save());
        QCOMPARE(ReadBytes(dir.filePath("bank.dsq")), "dial 9\r\r\n"s);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"bank.dsq"});
    }

    void emptyFileLoadsNoLines()
    {
        QTemporaryDir dir;
        WriteBytes(dir.filePath("empty.dsq"), "");
        CFakePlatform platform;
        CDialScript script(platform);
        QVERIFY(script.Load(dir.filePath("empty.dsq").toStdString()));
        QCOMPARE(script.GetLineCount(), 0);
    }

    void eightBitNameSaved()
    {
        // Names are 8-bit bytes in the locale's encoding, used as they are.
        QTemporaryDir dir;
        CFakePlatform platform;
        CDialScript script(platform);
        script.SetDirectory(dir.path().toStdString() + "/");
        Record(platform, script, {{0, '1'}});
        script.SetName("b\xE4nk 1");
        QVERIFY(script.Save());
        QVERIFY(QFile::exists(QFile::decodeName("b\xE4nk 1.dsq").prepend(dir.path() + "/")));
    }

    void failedLoadLeavesDocument_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing file") << "gone.dsq";
        QTest::newRow("directory") << "sub";
    }

    void failedLoadLeavesDocument()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        QDir(dir.path()).mkdir("sub");
        CFakePlatform platform;
        CDialScript script(platform);
        WriteBytes(dir.filePath("good.dsq"), "dial 1\r\nwait 2\r\n");
        QVERIFY(script.Load(dir.filePath("good.dsq").toStdString()));
        script.SetName("good");
        QVERIFY(!script.Load(dir.filePath(name).toStdString()));
        QCOMPARE(script.GetLineCount(), 2);
        QCOMPARE(script.GetLine(1), "wait 2"s);
        QCOMPARE(script.GetName(), "good"s);
    }

    void failedSaveIsReported_data()
    {
        QTest::addColumn<QString>("directory");
        QTest::addColumn<std::string>("name");
        QTest::newRow("directory vanished") << "vanished/"
                                            << "bank"s;
        QTest::newRow("name too long") << "" << std::string(300, 'n');
    }

    void failedSaveIsReported()
    {
        QFETCH(QString, directory);
        QFETCH(std::string, name);
        QTemporaryDir dir;
        CFakePlatform platform;
        CDialScript script(platform);
        script.SetDirectory((dir.path() + "/" + directory).toStdString());
        Record(platform, script, {{0, '1'}});
        script.SetName(name);
        QVERIFY(!script.Save());
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{});
    }

    void failingWriteKeepsOldFile()
    {
        // A file-size limit makes the write itself fail part-way, as a full
        // disk would; the old script must survive and no temporary file stay.
        QTemporaryDir dir;
        const std::string old = "dial 5\r\n";
        WriteBytes(dir.filePath("bank.dsq"), old);
        CFakePlatform platform;
        CDialScript script(platform);
        script.SetDirectory(dir.path().toStdString() + "/");
        Keys keys;
        for (std::uint32_t i = 0; i < 3000; ++i)
            keys.push_back({i * 3000, '1'});
        Record(platform, script, keys);
        script.SetName("bank");

        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit previous{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &previous), 0);
        rlimit small = previous;
        small.rlim_cur = 4096;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const bool saved = script.Save();
        setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, previousHandler);

        QVERIFY(!saved);
        QCOMPARE(ReadBytes(dir.filePath("bank.dsq")), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"bank.dsq"});
    }

    void detectDirectory_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<std::string>("directory");
        QTest::newRow("directory") << "dir"
                                   << "./script/"s;
        QTest::newRow("plain file") << "file"
                                    << ""s;
        QTest::newRow("nothing") << ""
                                 << ""s;
        QTest::newRow("other case") << "Script"
                                    << ""s;
    }

    void detectDirectory()
    {
        QFETCH(QString, entry);
        QFETCH(std::string, directory);
        QTemporaryDir dir;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        if (entry == "dir")
            QDir().mkdir("script");
        else if (entry == "file")
            WriteBytes("script", "not a directory");
        else if (entry == "Script")
            QDir().mkdir("Script");
        const std::string detected = CScriptFile::DetectDirectory();
        QDir::setCurrent(previous);
        QCOMPARE(detected, directory);
    }
};

QTEST_GUILESS_MAIN(TestScriptFile)
#include "tst_scriptfile.moc"
