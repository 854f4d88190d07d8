#include "CPanelHarness.h"
#include "SyntheticMedia.h"
#include "TestRows.h"

#include "media/CMediaCatalogue.h"
#include "playback/CKeyTable.h"
#include "playback/CScriptPlayer.h"

#include <QAbstractButton>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QtTest>

namespace {

constexpr int IdPlay = 1001;
constexpr int IdStop = 1021;
constexpr int IdPause = 1020;
constexpr int IdRepeat = 1022;
constexpr int IdLoad = 1015; // the '*' key
// The silence after every key a script sends; without it a receiver hears
// repeated digits as one.
constexpr double KeyGapMs = 70;

// A script file as another platform's editor writes it: CR LF line ends.
QByteArray ScriptFile(const QString& lines)
{
    QByteArray bytes;
    for (const QString& line : lines.split(QLatin1Char('\n')))
        bytes += line.toLatin1() + "\r\n";
    return bytes;
}

// 200 ms of a steady level: a wave file the player can sound.
QByteArray WaveFile()
{
    return SyntheticMedia::Wave16(SyntheticMedia::Level(CMediaCatalogue::SampleRate / 5, 1000));
}

const CKeyTableRow* KeyOfClip(int clip)
{
    for (const CKeyTableRow& row : CKeyTable::Rows()) {
        if (row.toneClip == clip)
            return &row;
    }
    return nullptr;
}

double ToneMs(const CKeyTableRow& key)
{
    return CMediaCatalogue::SoundClipSamples(key.toneClip) * 1000.0 / CMediaCatalogue::SampleRate;
}

QString ModeName(DialMode mode)
{
    static const std::map<DialMode, const char*> names{
        {ModeIdle, "idle"}, {ModePlaying, "playing"}, {ModePaused, "paused"}, {ModeRepeat, "repeat"}};
    return names.count(mode) ? QString::fromLatin1(names.at(mode)) : QString::number(mode);
}

// A panel with one script "t.dsq" loaded through the script list, as a user
// loads it, and what a playback of it did: the tones, wave files and lines
// in order, and what probes saw at virtual times.
class CPlayback {
public:
    explicit CPlayback(const QString& lines, bool scriptFolder = true)
        : panel(CPanelHarness::AfterIntro, scriptFolder)
    {
        panel.WriteFile(QStringLiteral("t.dsq"), ScriptFile(lines));
        panel.WriteFile(QStringLiteral("menu.wav"), WaveFile());
        panel.Click(IdLoad);
        panel.Key(Qt::Key_Return);
        QObject::connect(panel.Controls().lineList, &QListWidget::currentRowChanged, [this](int row) {
            if (row >= 0)
                m_rows << QString::number(row + 1);
        });
    }

    // Clicks PLAY with actions at milliseconds after the click, as
    // "2000 PAUSE; 30000 PAUSE; 31000 ?status": a click on STOP, PAUSE,
    // REPEAT, a keypad button (KEY5), a numeric-keypad key (NUM5), Enter
    // (ENTER), Escape (ESC), or a probe (?mode, ?status, ?display, ?counter,
    // ?row, ?buttons). Returns when the playback has ended.
    void Play(const QString& actions = QString())
    {
        CFakePlatform& platform = panel.Platform();
        m_start = platform.TimeGetTime();
        for (const QString& action : actions.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QStringList parts = action.simplified().split(QLatin1Char(' '));
            const QString word = parts.value(1);
            if (word == QLatin1String("ESC"))
                escapeAt = m_start + parts.value(0).toDouble();
            platform.At(
                m_start + parts.value(0).toUInt(), [this, word] { Act(word); }, word == QLatin1String("ESC"));
        }
        platform.ClearLogs();
        m_rows.clear();
        const double before = platform.PreciseTime();
        panel.Click(IdPlay);
        elapsedMs = platform.PreciseTime() - before;
        // The playback first fills the line list, which selects its last line.
        if (!m_rows.isEmpty())
            m_rows.removeFirst();
    }

    // Tones the script sent ("12"), tones the user sounded ("[5]") and wave
    // files ("{./script/menu.wav}", "{./script/menu.wav+99}" resumed 99 ms
    // into it), in order.
    QString Sounds()
    {
        QString sounds;
        for (const CFakePlatform::SoundRequest& sound : panel.Platform().Sounds()) {
            const CKeyTableRow* key = KeyOfClip(sound.clip);
            if (sound.kind == CFakePlatform::SoundRequest::WaveFile)
                sounds += QLatin1Char('{') + QString::fromStdString(sound.path)
                    + (sound.clip > 0 ? QStringLiteral("+%1").arg(sound.clip) : QString()) + QLatin1Char('}');
            else if (key != nullptr && sound.kind == CFakePlatform::SoundRequest::ClipSync)
                sounds += QLatin1Char(key->character);
            else if (key != nullptr)
                sounds += QStringLiteral("[%1]").arg(QLatin1Char(key->character));
        }
        return sounds;
    }

    // The line numbers selected in the line list, in order: "1 2 3 2 3 4".
    QString Lines() const { return m_rows.join(QLatin1Char(' ')); }

    QString Probes() const { return m_probes.join(QLatin1Char('|')); }

    // Milliseconds from the click on PLAY to the first tone the script sent.
    double FirstToneAt()
    {
        for (const CFakePlatform::SoundRequest& sound : panel.Platform().Sounds()) {
            if (sound.kind == CFakePlatform::SoundRequest::ClipSync && KeyOfClip(sound.clip) != nullptr)
                return double(sound.time - m_start);
        }
        return -1;
    }

    CPanelHarness panel;
    double elapsedMs = 0;
    double escapeAt = -1; // when the user pressed Escape, in virtual ms

private:
    void Act(const QString& word)
    {
        CPanelControls& c = panel.Controls();
        if (word == QLatin1String("STOP"))
            panel.Click(IdStop);
        else if (word == QLatin1String("PAUSE"))
            panel.Click(IdPause);
        else if (word == QLatin1String("REPEAT"))
            panel.Click(IdRepeat);
        else if (word == QLatin1String("ENTER"))
            panel.Key(Qt::Key_Return);
        else if (word == QLatin1String("ESC"))
            panel.Key(Qt::Key_Escape);
        else if (word.startsWith(QLatin1String("KEY")))
            panel.Click(CKeyTable::FromCharacter(word.at(3).toLatin1())->controlId);
        else if (word.startsWith(QLatin1String("NUM")))
            panel.Keypad(word.at(3).toLatin1());
        else if (word == QLatin1String("?mode"))
            m_probes << QStringLiteral("mode=") + ModeName(panel.Script().GetMode());
        else if (word == QLatin1String("?status"))
            m_probes << QStringLiteral("status=") + panel.Status();
        else if (word == QLatin1String("?display"))
            m_probes << QStringLiteral("display=") + panel.DisplayText();
        else if (word == QLatin1String("?counter"))
            m_probes << QStringLiteral("counter=") + c.lineCounter->text();
        else if (word == QLatin1String("?row"))
            m_probes << QStringLiteral("row=%1 top=%2")
                            .arg(c.lineList->currentRow() + 1)
                            .arg(c.lineList->indexAt(QPoint(1, 1)).row() + 1);
        else if (word == QLatin1String("?buttons"))
            m_probes << panel.Buttons();
        else
            QFAIL(qPrintable(QStringLiteral("unknown action ") + word));
    }

    std::uint32_t m_start = 0;
    QStringList m_rows;
    QStringList m_probes;
};

} // namespace

class TestPlayer : public QObject {
    Q_OBJECT

private slots:
    void startChecks_data()
    {
        QTest::addColumn<QString>("file"); // "-": no script loaded
        QTest::addColumn<bool>("infoMode"); // PLAY is also live while the info text shows
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("secondStatus"); // after a second PLAY
        Row("no script", "-", false, "No Script Loaded", "idle", "No Script Loaded");
        Row("no script, info shown", "-", true, "No Script Loaded", "11", "No Script Loaded");
        Row("empty file", "", false, "This Script is Empty", "idle", "No Script Loaded");
    }

    void startChecks()
    {
        QFETCH(QString, file);
        QFETCH(bool, infoMode);
        CPanelHarness panel;
        if (file != QLatin1String("-")) {
            panel.WriteFile(QStringLiteral("empty.dsq"), file.toLatin1());
            panel.Click(IdLoad);
            panel.Key(Qt::Key_Return);
            QCOMPARE(panel.Script().GetName(), std::string("empty"));
        }
        if (infoMode)
            panel.Click(1017); // '#': the info text
        panel.Platform().ClearLogs();
        panel.Click(IdPlay);
        QTEST(panel.Status(), "status");
        QCOMPARE(panel.DisplayText(), QString());
        QTEST(ModeName(panel.Script().GetMode()), "mode");
        QCOMPARE(panel.Platform().SoundLog(), QStringList{"async 252"});
        QCOMPARE(panel.Script().GetName(), std::string());
        panel.Click(IdPlay);
        QTEST(panel.Status(), "secondStatus");
    }

    // How the player reads each line: the keys it sends and how long it
    // waits, from the script as a user's editor may have written it.
    void lines_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<double>("waitedMs");
        Row("capitals, leading blanks", "  DIAL 555", "555", 0.0);
        Row("tab, punctuation", "\tDial 1-800 555#", "1800555#", 0.0);
        Row("dialled 12", "dialled 12", "12", 0.0);
        Row("short words", "dia 5\nwai 5\npaus\nsho 5\npla 5", "", 0.0);
        Row("blank lines, remarks", "\n; dial 5\n   \ndial 1\n", "1", 0.0);
        Row("waiting", "waiting\ndial 1", "1", 0.0);
        Row("WAIT 3", "WAIT 3\ndial 1", "1", 3000.0);
        Row("wait", "wait\ndial 1", "1", 0.0);
        Row("wait -5", "wait -5\ndial 1", "1", 0.0);
        Row("wait 3x", "wait 3x\ndial 1", "1", 3000.0);
        Row("wait 99999999 saturates", "wait 99999999\ndial 1", "1", 2147483000.0);
        Row("two waits", "dial 1\nwait 2\ndial 2\nwait 3\ndial 3", "123", 5000.0);
    }

    void lines()
    {
        QFETCH(QString, script);
        QFETCH(QString, keys);
        QFETCH(double, waitedMs);
        CPlayback playback(script);
        playback.Play();
        QCOMPARE(playback.Sounds(), keys);
        double soundingMs = 0;
        for (const QChar key : keys)
            soundingMs += ToneMs(*CKeyTable::FromCharacter(key.toLatin1())) + KeyGapMs;
        // Every line may add a pump step of 1 ms.
        const double waited = playback.elapsedMs - soundingMs;
        QVERIFY2(waited >= waitedMs && waited <= waitedMs + 10,
            qPrintable(QStringLiteral("waited %1 ms, expected %2 ms").arg(waited).arg(waitedMs)));
        QCOMPARE(playback.panel.Status(), QStringLiteral("..."));
    }

    // Every key's tone is followed by 70 ms of silence before the next
    // key or line, so that a receiver hears repeated digits apart.
    void silenceAfterEachKey_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("keys");
        Row("repeated digits", "dial 5550", "5550");
        Row("the same key on two lines", "dial 5\ndial 5", "55");
        Row("skipped characters add nothing", "dial 1- -2, 3", "123");
        Row("all twelve", "dial 1234567890*#", "1234567890*#");
    }

    void silenceAfterEachKey()
    {
        QFETCH(QString, script);
        QFETCH(QString, keys);
        QStringList seen; // which keys are drawn pressed during each tone and hold
        CPlayback playback(script + QStringLiteral("\nwait 1"));
        const auto down = [&playback] {
            QStringList pressed;
            for (const QAbstractButton* key : playback.panel.Controls().keys) {
                if (key->isDown())
                    pressed << key->text();
            }
            return pressed.join(QLatin1Char(','));
        };
        playback.panel.Platform().onSyncClip
            = [&](int clip) { seen << QStringLiteral("tone %1 %2").arg(clip).arg(down()); };
        playback.panel.Platform().onHold = [&](int ms) { seen << QStringLiteral("hold %1 %2").arg(ms).arg(down()); };
        playback.Play();
        QCOMPARE(playback.Sounds(), keys);
        const auto& sounds = playback.panel.Platform().Sounds();
        const auto& animations = playback.panel.Platform().Animations();
        std::vector<double> starts(sounds.size());
        std::transform(sounds.begin(), sounds.end(), starts.begin(), [](const auto& sound) { return sound.time; });
        // The wait line starts its lamp when the last key's silence is over.
        const auto lamp = std::find_if(animations.begin(), animations.end(), [](const auto& request) {
            return request.kind == CFakePlatform::AnimationRequest::Open && request.clip == Clip::LampCycle;
        });
        QVERIFY(lamp != animations.end());
        starts.push_back(lamp->time);
        QCOMPARE(starts.size(), std::size_t(keys.size() + 1));
        for (qsizetype i = 0; i < keys.size(); ++i) {
            // Whole milliseconds, and a pump step between lines.
            const double gap = starts[std::size_t(i + 1)] - starts[std::size_t(i)]
                - ToneMs(*CKeyTable::FromCharacter(keys.at(i).toLatin1()));
            QVERIFY2(gap >= KeyGapMs - 1 && gap <= KeyGapMs + 2,
                qPrintable(QStringLiteral("after key %1: %2 ms of silence").arg(i + 1).arg(gap)));
        }
        // Each key's own button is drawn pressed for exactly its tone and
        // released for the silence.
        QStringList expected;
        for (const QChar key : keys) {
            const CKeyTableRow* row = CKeyTable::FromCharacter(key.toLatin1());
            expected << QStringLiteral("tone %1 %2").arg(row->toneClip).arg(row->caption) << "hold 70 ";
        }
        QCOMPARE(seen, expected);
    }

    // The display while a line plays: the first line's own argument at the
    // start, then the argument of the line after position.
    void linePreview_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("preview");
        const QString three = QStringLiteral("dial 555\nwait 4\ndial 1#");
        Row("first line: its own argument", three, 0, "555");
        Row("second line: the third's", three, 1, "1#");
        Row("before the start", three, -3, "555");
        Row("last line: nothing follows", three, 2, "");
        Row("1 2 3 at 1", "dial 1\ndial 2\ndial 3", 1, "3");
        Row("fourteen digits", "dial 12345678901234", 0, "12345678901>");
        Row("capitals, a long note", "dial 1\nwait 1\nSHOW 0123456789abcdef", 1, "0123456789abcdef");
    }

    void linePreview()
    {
        QFETCH(QString, script);
        QFETCH(int, position);
        CPlayback playback(script);
        QTEST(QString::fromStdString(playback.panel.Dialog().Player().LinePreview(position)), "preview");
    }

    // STOP, PAUSE, REPEAT and the keypad at virtual times during the lines
    // of a script; what was sounded, which lines were played, and what the
    // panel showed.
    void steering_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("actions");
        QTest::addColumn<QString>("sounds");
        QTest::addColumn<QString>("lines");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("probes");
        const QString menu = QStringLiteral("{./script/menu.wav}");
        const char* aborted = "Script Aborted.";

        Row("no action", "dial 1\nwait 2\ndial 2", "0 ?mode; 0 ?buttons; 0 ?status", "12", "1 2 3", "...",
            "mode=playing|play- rec- stop+ pause+ repeat+ close-|status=...");
        Row("STOP in a wait", "dial 1\nwait 10\ndial 2", "2000 STOP", "1", "1 2", aborted, "");
        Row("STOP in a pause", "dial 1\npause\ndial 2", "2000 STOP", "1", "1 2", aborted, "");
        // STOP lets the line that sounds end, and no other line begin.
        Row("STOP in a dial line", "dial 123\ndial 4\nwait 5\ndial 5", "50 STOP", "123", "1 2", aborted, "");
        Row("STOP in a dial line, no wait or pause", "dial 1\ndial 2\ndial 3", "50 STOP", "1", "1 2", aborted, "");
        Row("STOP in a play line", "play \"menu.wav\"\ndial 1\nwait 2\ndial 2", "100 STOP", menu, "1", aborted, "");
        Row("PAUSE in a play line resumes it", "play \"menu.wav\"\ndial 1", "100 PAUSE; 900 ?mode; 1000 PAUSE",
            menu + "{./script/menu.wav+99}1", "1 2", "...", "mode=paused");
        Row("STOP in a dial line after a wait", "dial 1\nwait 1\ndial 2\ndial 3\nwait 1\ndial 4",
            "1300 ?buttons; 1300 STOP", "12", "1 2 3 4", aborted, "play- rec- stop+ pause- repeat- close-");
        Row("PAUSE in a wait", "dial 1\nwait 5\ndial 2",
            "1000 PAUSE; 1500 ?mode; 1500 ?status; 20000 PAUSE; 20500 ?status", "12", "1 2 3", "...",
            "mode=paused|status=Press PAUSE to continue|status=...");
        Row("PAUSE in a dial line: the wait stands still", "dial 1\ndial 2\nwait 5\ndial 3",
            "50 PAUSE; 9000 ?mode; 9000 PAUSE", "123", "1 2 3 4", "...", "mode=paused");
        Row("PAUSE in a dial line: a pause line resumes", "dial 1\ndial 2\npause\ndial 3", "50 PAUSE", "123", "1 2 3 4",
            "...", "");
        Row("pause line", "dial 1\npause\ndial 2", "1000 ?status; 1000 ?buttons; 3000 PAUSE", "12", "1 2 3", "...",
            "status=Press PAUSE to continue|play- rec- stop+ pause+ repeat+ close-");
        Row("keys while paused", "dial 1\npause\ndial 2", "1000 KEY5; 1200 NUM9; 1400 NUM*; 3000 PAUSE", "1[5][9][*]2",
            "1 2 3", "...", "");
        Row("REPEAT in the wait on line 5", "dial 1\ndial 2\ndial 3\ndial 4\nwait 5\ndial 5", "1500 REPEAT", "123445",
            "1 2 3 4 5 4 5 6", "...", "");
        Row("REPEAT on line 1 waits for the next wait", "wait 5\ndial 1\nwait 5\ndial 2", "1000 REPEAT; 2000 ?mode",
            "112", "1 2 3 2 3 4", "...", "mode=repeat");
        Row("REPEAT on line 1 waits for the next pause", "wait 3\ndial 1\npause\ndial 2",
            "1000 REPEAT; 5000 ?mode; 6000 PAUSE; 9000 PAUSE", "112", "1 2 3 2 3 4", "...", "mode=paused");
        Row("REPEAT on line 1 with nothing after it", "wait 2\ndial 1\ndial 2", "500 REPEAT", "12", "1 2 3", "...", "");
        Row("REPEAT in a dial line", "dial 1\ndial 2\nwait 3\ndial 3", "50 REPEAT", "1223", "1 2 3 2 3 4", "...", "");
        Row("REPEAT in a pause", "dial 1\npause\ndial 2", "1000 REPEAT; 3000 PAUSE", "112", "1 2 1 2 3", "...", "");
        Row("REPEAT in a play line", "dial 1\nplay \"menu.wav\"\nwait 2\ndial 2", "250 REPEAT",
            "1" + menu + "1" + menu + "2", "1 2 1 2 3 4", "...", "");
        Row("STOP with a REPEAT pending", "wait 5\ndial 1\nwait 5\ndial 2", "1000 REPEAT; 2000 STOP", "", "1", aborted,
            "");
        Row("show, then wait", "dial 1\nshow hello\nwait 5\ndial 2", "1000 ?display", "12", "1 2 3 4", "...",
            "display=hello");
        Row("show, then dial lines", "dial 1\nshow hello\ndial 2\ndial 3", "200 ?display", "123", "1 2 3 4", "...",
            "display=1");
        Row("counter and line list", "dial 1\ndial 2\nwait 3" + QStringLiteral("\ndial 3").repeated(17),
            "1000 ?counter; 1000 ?row", "12" + QStringLiteral("3").repeated(17),
            "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20", "...", "counter=003|row=3 top=3");
    }

    void steering()
    {
        QFETCH(QString, script);
        QFETCH(QString, actions);
        CPlayback playback(script);
        playback.Play(actions);
        QTEST(playback.Sounds(), "sounds");
        QTEST(playback.Lines(), "lines");
        QTEST(playback.panel.Status(), "status");
        QTEST(playback.Probes(), "probes");
        // The end of every playback: idle, the script's name on the display.
        QCOMPARE(playback.panel.Script().GetMode(), ModeIdle);
        QCOMPARE(playback.panel.DisplayText(), QStringLiteral("t"));
        QCOMPARE(playback.panel.Buttons(), QStringLiteral("play+ rec+ stop- pause- repeat- close+"));
    }

    // The player handles events only at fixed points: once after the
    // start, at the start of each dial, wait and pause line, and on each
    // pass of a countdown or hold, where it blocks until the next event or
    // the deadline instead of spinning.
    void pumpPoints_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("actions");
        QTest::addColumn<int>("pumps");
        QTest::addColumn<int>("waits"); // blocking waits
        Row("none between keys", "dial 123456", "", 2, 0);
        Row("one per dial line", "dial 1\ndial 2\ndial 3", "", 4, 0);
        Row("show, remark: none", "show x\n; remark", "", 1, 0);
        Row("a play line waits for its sound", "play \"menu.wav\"", "", 2, 1);
        Row("a 70-second wait blocks once", "wait 70", "", 2, 1);
        Row("a wait wakes for each event", "wait 70", "1000 ?mode; 2000 ?mode", 2, 3);
        Row("a pause blocks until PAUSE", "pause", "60000 PAUSE", 2, 1);
    }

    void pumpPoints()
    {
        QFETCH(QString, script);
        QFETCH(QString, actions);
        CPlayback playback(script);
        const int pumpsBefore = playback.panel.Platform().PumpCount();
        const int waitsBefore = playback.panel.Platform().WaitCount();
        playback.Play(actions);
        QTEST(playback.panel.Platform().PumpCount() - pumpsBefore, "pumps");
        QTEST(playback.panel.Platform().WaitCount() - waitsBefore, "waits");
    }

    // A paused wait keeps the time it had left, however long the pause and
    // whatever happens meanwhile.
    void pausedWait_data()
    {
        QTest::addColumn<QString>("actions");
        QTest::addColumn<double>("toneAt"); // the key after "wait 10", ms after PLAY
        Row("no pause", "", 10000.0);
        Row("paused for 26 s", "4000 PAUSE; 30000 PAUSE", 36000.0);
        Row("paused twice", "4000 PAUSE; 5000 PAUSE; 7000 PAUSE; 9000 PAUSE", 13000.0);
        Row("keys while paused", "4000 PAUSE; 4500 NUM5; 6000 KEY7; 30000 PAUSE", 36000.0);
        Row("paused before the wait", "0 PAUSE; 20000 PAUSE", 30000.0);
        Row("REPEAT on line 1", "4000 REPEAT", 10000.0);
    }

    void pausedWait()
    {
        QFETCH(QString, actions);
        QFETCH(double, toneAt);
        CPlayback playback(QStringLiteral("wait 10\ndial 1"));
        playback.Play(actions);
        QVERIFY2(playback.FirstToneAt() >= toneAt - 2 && playback.FirstToneAt() <= toneAt + 3,
            qPrintable(QString::number(playback.FirstToneAt())));
    }

    void playLine_data()
    {
        QTest::addColumn<QStringList>("files"); // "x/": a directory; "!x": not a wave
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("folder"); // with a script folder
        QTest::addColumn<QString>("sounds"); // "": the line ends the playback
        const auto row = [](const char* name, const QStringList& files, const char* line, const char* sounds,
                             bool folder = true) { QTest::newRow(name) << files << line << folder << sounds; };
        const char* menu = "{./script/menu.wav}1";
        row("present", {"menu.wav"}, "play \"menu.wav\"", menu);
        row("name lowered", {"menu.wav"}, "PLAY \"MENU.WAV\"", menu);
        row("mixed-case file", {"Menu.WAV"}, "play \"menu.wav\"", "{./script/Menu.WAV}1");
        row("exact name first", {"MENU.WAV", "menu.wav"}, "play \"Menu.wav\"", menu);
        row("text around the quotes", {"a b.wav"}, "play it \"a b.wav\" now \"x.wav\"", "{./script/a b.wav}1");
        row("five characters", {"a.wav"}, "play \"a.wav\"", "{./script/a.wav}1");
        row("not a wave, still goes on", {"!menu.wav"}, "play \"menu.wav\"", menu);
        row("no script folder", {"menu.wav"}, "play \"menu.wav\"", "{menu.wav}1", false);
        row("missing", {}, "play \"menu.wav\"", "");
        row("only .wav", {".wav"}, "play \".wav\"", "");
        row("mp3", {"menu.mp3"}, "play \"menu.mp3\"", "");
        row("no quotes", {"menu.wav"}, "play menu.wav", "");
        row("one quote", {"menu.wav"}, "play \"menu.wav", "");
        row("wav not at the end", {"menu.wav2"}, "play \"menu.wav2\"", "");
        row("wildcards are literal", {"menu.wav"}, "play \"*.wav\"", "");
        row("a directory", {"dir.wav/"}, "play \"dir.wav\"", "");
    }

    void playLine()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, line);
        QFETCH(bool, folder);
        CPlayback playback(line + QStringLiteral("\ndial 1"), folder);
        QFile::remove(playback.panel.ScriptDir() + QStringLiteral("menu.wav"));
        for (const QString& file : files) {
            if (file.endsWith(QLatin1Char('/')))
                QDir(playback.panel.ScriptDir()).mkdir(file);
            else if (file.startsWith(QLatin1Char('!')))
                playback.panel.WriteFile(file.mid(1), "RIFF, but not a wave");
            else
                playback.panel.WriteFile(file, WaveFile());
        }
        playback.Play();
        QTEST(playback.Sounds(), "sounds");
        // A line that cannot be played says so, with the error clip.
        const bool failed = playback.Sounds().isEmpty();
        QCOMPARE(playback.panel.Status(), failed ? QStringLiteral("Stopped: Sound Not Found") : QStringLiteral("..."));
        QCOMPARE(playback.panel.Platform().SoundLog().contains("async 252"), failed);
        QCOMPARE(playback.panel.Script().GetMode(), ModeIdle);
        QCOMPARE(playback.panel.DisplayText(), QStringLiteral("t"));
    }

    // STOP while paused leaves the keypad live, so a user can load another
    // script while a dial line still sounds. The player must end instead of
    // reading lines that are gone.
    void scriptReplacedDuringPlayback()
    {
        CPlayback playback(QStringLiteral("dial 1\ndial 2\ndial 3\ndial 4\ndial 5\ndial 6\ndial 7\ndial 8"));
        playback.panel.WriteFile(QStringLiteral("a.dsq"), ScriptFile(QStringLiteral("dial 9\ndial 9")));
        // All are handled at the pump at the start of the second line.
        playback.Play(QStringLiteral("50 PAUSE; 60 STOP; 70 KEY*; 80 ENTER"));
        QCOMPARE(playback.Sounds(), QStringLiteral("1"));
        QCOMPARE(playback.panel.Script().GetName(), std::string("a"));
        QCOMPARE(playback.panel.Script().GetMode(), ModeIdle);
    }

    // Closing the panel ends whatever runs within 300 ms, also after STOP
    // and '#' or '*' have taken the panel out of the playing modes while a
    // dial line sounded.
    void closing_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("actions");
        const QString longDial = QStringLiteral("dial ") + QStringLiteral("1234567890").repeated(4);
        Row("a dial line", longDial, "1000 ESC");
        Row("a wait", "dial 1\nwait 60\ndial 2", "3000 ESC");
        Row("a pause hold", "dial 1\npause\ndial 2", "3000 ESC");
        Row("a wave file", "play \"long.wav\"\ndial 1", "3000 ESC");
        Row("info mode", longDial + "\nwait 60\ndial 2", "100 PAUSE; 150 STOP; 200 KEY#; 10000 ESC");
        Row("loading mode", longDial + "\nwait 60\ndial 2", "100 PAUSE; 150 STOP; 200 KEY*; 10000 ESC");
    }

    void closing()
    {
        QFETCH(QString, script);
        QFETCH(QString, actions);
        CPlayback playback(script);
        CFakePlatform& platform = playback.panel.Platform();
        playback.panel.WriteFile(QStringLiteral("long.wav"), "30 s long");
        platform.SetWaveFileLength("./script/long.wav", 30000);
        playback.Play(actions);
        const double returned = platform.PreciseTime();
        while (platform.PendingActions() > 0)
            platform.WaitForEvents(-1);
        QVERIFY(!playback.panel.Dialog().isVisible());
        const double took = std::max(returned, playback.escapeAt) - playback.escapeAt;
        QVERIFY2(took <= 300, qPrintable(QStringLiteral("closed %1 ms after Escape").arg(took)));
    }
};

QTEST_MAIN(TestPlayer)
#include "tst_player.moc"
