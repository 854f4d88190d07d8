#include "TestRows.h"
#include "TestTools.h"
#include "media/CMediaCatalogue.h"
#include "platform/CWaveDecoder.h"
#include "platform/CWaveWriter.h"
#include "playback/CKeyTable.h"
#include "shell/CCommandLine.h"

#include <QtTest>

#include <csignal>
#include <cstdio>
#include <unistd.h>

#include <thread>

using Samples = std::vector<std::int16_t>;

namespace {

struct Result {
    int status = -1;
    QString out;
    QString err;
};

Result RunCommandLine(QStringList arguments)
{
    char* outText = nullptr;
    char* errText = nullptr;
    std::size_t outSize = 0;
    std::size_t errSize = 0;
    std::FILE* out = open_memstream(&outText, &outSize);
    std::FILE* err = open_memstream(&errText, &errSize);
    arguments.prepend("pelmora");
    Result result;
    result.status = CCommandLine::Run(arguments, out, err);
    std::fclose(out);
    std::fclose(err);
    result.out = QString::fromLocal8Bit(outText, qsizetype(outSize));
    result.err = QString::fromLocal8Bit(errText, qsizetype(errSize));
    std::free(outText);
    std::free(errText);
    return result;
}

// The samples of a 16-bit mono WAVE file at rate, checking its header.
Samples ReadWave(const QString& name, int rate)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    const auto field = [&](int at, int size) { return bytes.mid(at, size); };
    if (field(0, 4) != "RIFF" || qFromLittleEndian<quint32>(bytes.data() + 4) != quint32(bytes.size() - 8)
        || field(8, 8) != "WAVEfmt " || qFromLittleEndian<quint16>(bytes.data() + 22) != 1
        || qFromLittleEndian<quint32>(bytes.data() + 24) != quint32(rate)
        || qFromLittleEndian<quint16>(bytes.data() + 34) != 16
        || qFromLittleEndian<quint32>(bytes.data() + 40) != quint32(bytes.size() - 44))
        return {};
    Samples samples(std::size_t(bytes.size() - 44) / 2);
    std::memcpy(samples.data(), bytes.data() + 44, samples.size() * 2);
    return samples;
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QVERIFY(QDir::setCurrent(m_dir.path()));
        QDir().mkdir("sub");
        WriteBytes("sub/timed.dsq",
            "dial 5550*12#\r\nShow Menu ONE\r\nwait 2\r\nrem Dial 9\r\n  Dial (99) 00-1\r\npause\r\n"
            "PLAY \"Beep.WAV\"\r\nwait 3\r\ndial 44\r\n");
        WriteBytes("ok.dsq", "dial 1\nwait 1\n");
        WriteBytes("one.dsq", "dial 1\n");
        WriteBytes("long.dsq", "dial 1\nwait 2147483\n");
        WriteBytes("menu.dsq", "dial 1\nplay \"menu.wav\"\n");
        WriteBytes("quotes.dsq", "play menu.wav\n");
        WriteBytes("junk.dsq", "play \"junk.wav\"\n");
        WriteBytes("junk.wav", "RIFF junk");
        WriteBytes("old.wav", "old");
    }

    // Every key's tone, the 70 ms after it, every wait, the pause and the
    // wave file lie exactly where the player puts them, to the sample: the
    // file is the concatenation of exactly these pieces. Timeline: keys,
    // "wN" N seconds of silence, "f" the wave file; the cue is printed at
    // its time in the file.
    void timing_data()
    {
        Columns<int, QStringList, QString, QString>({"rate", "arguments", "timeline", "cueAt"});
        const QStringList script{"--pause-seconds", "1", "sub/timed.dsq"};
        Row("8000 Hz", 8000, script, "5550*12# w2 99001 w1 f w3 44", "00:01.379 Menu ONE\n");
        Row("44100 Hz", 44100, script, "5550*12# w2 99001 w1 f w3 44", "00:01.379 Menu ONE\n");
        Row("--dial", 8000, QStringList{"--dial", "1-800 555#"}, "1800555#", "");
    }
    void timing()
    {
        QFETCH(int, rate);
        QFETCH(QStringList, arguments);
        QFETCH(QString, timeline);
        // A wave file at the render's rate, so that it is not converted.
        Samples beep(std::size_t(rate / 10));
        for (std::size_t i = 0; i < beep.size(); ++i)
            beep[i] = std::int16_t(i % 100 * 100 + 1);
        CWaveWriter writer("sub/beep.wav", rate);
        QVERIFY(writer.Open());
        writer.Append(beep.data(), std::int64_t(beep.size()));
        QVERIFY(writer.Commit());

        const Result result
            = RunCommandLine(QStringList{"--render", "out.wav", "--rate", QString::number(rate)} + arguments);
        QCOMPARE(result.status, 0);
        QTEST(result.out, "cueAt");

        Samples expected;
        for (const QString& piece : timeline.split(' ')) {
            if (piece.startsWith('w')) {
                expected.resize(expected.size() + std::size_t(piece.mid(1).toInt() * rate));
            } else if (piece == "f") {
                expected.insert(expected.end(), beep.begin(), beep.end());
            } else {
                for (const QChar key : piece) {
                    const int clip = CKeyTable::FromCharacter(key.toLatin1())->toneClip;
                    const auto tone = CWaveDecoder::Decode(CMediaCatalogue::SoundClip(clip), rate, 1);
                    expected.insert(expected.end(), tone->samples.begin(), tone->samples.end());
                    expected.resize(expected.size() + std::size_t(rate * 70 / 1000));
                }
            }
        }
        const Samples samples = ReadWave("out.wav", rate);
        QCOMPARE(samples.size(), expected.size());
        QVERIFY(samples == expected);
    }

    // --play on the sound device: each Enter ends one pause (one line of
    // input is not the end of the input; an Enter before a pause is spent),
    // pauses pass once the input has ended, and SIGINT ends a wait at once
    // with status 130.
    void play_data()
    {
        // input: "enter" an Enter every 300 ms, "closed", or "none"
        Columns<QByteArray, QString, int, int, int>({"script", "input", "signal", "status", "tookMs"});
        Row("Enter ends each pause", QByteArray("pause\npause\n"), "enter", 0, 0, 300);
        Row("input ended", QByteArray("pause\npause\n"), "closed", 0, 0, 0);
        Row("SIGINT in a wait", QByteArray("dial 1\nwait 60\n"), "none", SIGINT, 130, 600);
    }
    void play()
    {
        QFETCH(QByteArray, script);
        QFETCH(QString, input);
        QFETCH(int, signal);
        WriteBytes("play.dsq", script);
        int feed[2];
        QCOMPARE(::pipe(feed), 0);
        const int savedInput = ::dup(STDIN_FILENO);
        ::dup2(feed[0], STDIN_FILENO);
        ::close(feed[0]);
        if (input == "closed")
            ::close(std::exchange(feed[1], -1));
        std::atomic<bool> done = false;
        std::thread user([&] {
            struct sigaction current { };
            while (signal != 0 && sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (signal != 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(600));
                ::kill(::getpid(), signal);
            }
            for (; input == "enter" && !done; std::this_thread::sleep_for(std::chrono::milliseconds(300)))
                QVERIFY(::write(feed[1], "\n", 1) == 1);
        });
        QElapsedTimer timer;
        timer.start();
        const Result result = RunCommandLine({"--play", "--verbose", "play.dsq"});
        const qint64 took = timer.elapsed();
        done = true;
        user.join();
        if (feed[1] >= 0)
            ::close(feed[1]);
        ::dup2(savedInput, STDIN_FILENO);
        ::close(savedInput);
        QTEST(result.status, "status");
        QVERIFY2(result.out.contains(" [1] " + script.left(script.indexOf('\n'))), qPrintable(result.out));
        QFETCH(int, tookMs);
        QVERIFY2(took >= tookMs && took < tookMs + 8000, qPrintable(QString::number(took)));
    }

    // A failure says what failed, where, and leaves no file behind: an old
    // file of the output's name stays as it was.
    void failures_data()
    {
        Columns<QStringList, int, int, QString>({"arguments", "fileLimit", "status", "message"});
        Row("missing script", QStringList{"--render", "old.wav", "none.dsq"}, -1, 1,
            "pelmora: none.dsq: cannot read the script: no such file");
        Row("a directory as script", QStringList{"--render", "old.wav", "sub"}, -1, 1,
            "pelmora: sub: cannot read the script: not a regular file");
        Row("play file missing", QStringList{"--render", "old.wav", "menu.dsq"}, -1, 1,
            "pelmora: menu.dsq:2: cannot play \"menu.wav\": no such file");
        Row("play line without quotes", QStringList{"--render", "old.wav", "quotes.dsq"}, -1, 1,
            "pelmora: quotes.dsq:1: cannot play: the line names no \"NAME.wav\" between double quotes");
        Row("undecodable wave", QStringList{"--render", "old.wav", "junk.dsq"}, -1, 1,
            "pelmora: junk.dsq:1: cannot play \"junk.wav\": not a sound this program can read");
        Row("unwritable output", QStringList{"--render", "none/out.wav", "ok.dsq"}, -1, 1,
            "pelmora: none/out.wav: cannot write: No such file or directory");
        Row("a device as output", QStringList{"--render", "/dev/null", "ok.dsq"}, -1, 1,
            "pelmora: /dev/null: cannot write: not a regular file");
        Row("full disk", QStringList{"--render", "old.wav", "ok.dsq"}, 4096, 1,
            "pelmora: old.wav: cannot write: File too large");
        Row("full disk at the last flush", QStringList{"--render", "old.wav", "one.dsq"}, 1024, 1,
            "pelmora: old.wav: cannot write: File too large");
        Row("too long for a WAVE file", QStringList{"--render", "old.wav", "long.dsq"}, -1, 1,
            "pelmora: old.wav: cannot write: longer than a WAVE file can hold");
        Row("no use chosen", QStringList{"ok.dsq"}, -1, 2, "pelmora: say what to do: --render, --play or --dial");
        Row("rate not offered", QStringList{"--render", "old.wav", "--rate", "9000", "ok.dsq"}, -1, 2,
            "pelmora: --rate 9000 is not offered: choose 8000, 11025, 16000, 22050, 44100 or 48000");
        Row("no key to dial", QStringList{"--dial", "abc"}, -1, 2,
            "pelmora: --dial \"abc\" holds no key: the keys are 0-9, * and #");
        Row("two scripts", QStringList{"--play", "ok.dsq", "ok.dsq"}, -1, 2, "pelmora: one script only");
        Row("help", QStringList{"--help"}, -1, 0, "Usage: pelmora");
        Row("version", QStringList{"--version"}, -1, 0, "pelmora 1.0");
    }
    void failures()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, fileLimit);
        const QStringList before = QDir().entryList(QDir::Files);
        const Result result = WithFileSizeLimit(fileLimit, [&] { return RunCommandLine(arguments); });

        QTEST(result.status, "status");
        QTEST((result.err.isEmpty() ? result.out : result.err).section('\n', 0, 0), "message");
        QCOMPARE(QDir().entryList(QDir::Files), before);
        QFile old("old.wav");
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), "old");
    }
};

QTEST_MAIN(TestCli)
#include "tst_cli.moc"
