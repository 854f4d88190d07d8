#include "CPanelHarness.h"
#include "SyntheticMedia.h"
#include "TestRows.h"

#include "media/CMediaCatalogue.h"
#include "playback/CKeyTable.h"

#include <QAbstractButton>
#include <QListWidget>
#include <QtTest>

namespace {

// The silence after every key a script sends, so that a receiver hears
// repeated digits apart.
constexpr double KeyGapMs = 70;

const CKeyTableRow* KeyOfClip(int clip)
{
    for (const CKeyTableRow& row : CKeyTable::Rows()) {
        if (row.toneClip == clip)
            return &row;
    }
    return nullptr;
}

double ToneMs(char key)
{
    return CMediaCatalogue::SoundClipSamples(CKeyTable::FromCharacter(key)->toneClip) * 1000.0
        / CMediaCatalogue::SampleRate;
}

// A panel with the script "t.dsq" loaded through the list, as a user loads
// it, and a 200 ms wave file "menu.wav" beside it.
class CPlayback {
public:
    explicit CPlayback(const QString& lines, bool scriptFolder = true)
        : panel(CPanelHarness::AfterIntro, scriptFolder)
    {
        panel.WriteFile("t.dsq", lines.toLatin1().replace("\n", "\r\n") + "\r\n");
        panel.WriteFile("menu.wav", SyntheticMedia::Wave16(SyntheticMedia::Level(CMediaCatalogue::SampleRate / 5, 99)));
        panel.Do("B* ENTER");
        QObject::connect(
            static_cast<QListWidget*>(panel.Widget("lines")), &QListWidget::currentRowChanged, [this](int row) {
                if (row >= 0)
                    m_rows << QString::number(row + 1);
            });
    }

    // Clicks PLAY with steps at ms after the click, as "2000 PAUSE; 2500
    // ?look": a step of the harness, "ESC" (a close request), or a probe of
    // the mode, the texts or the look. Returns when the playback has ended.
    void Play(const QString& actions = QString())
    {
        start = panel.platform.Now();
        for (const QString& action : actions.split(';', Qt::SkipEmptyParts)) {
            const QString ms = action.simplified().section(' ', 0, 0);
            const QString step = action.simplified().section(' ', 1);
            if (step == "ESC")
                escapeAt = ms.toDouble();
            panel.platform.At(
                std::uint32_t(start) + ms.toUInt(),
                [this, step] {
                    if (step == "?mode")
                        m_probes << panel.Mode();
                    else if (step == "?texts")
                        m_probes << panel.Texts();
                    else if (step == "?look")
                        m_probes << panel.Look();
                    else if (step == "?kept")
                        m_probes << QString::number(panel.platform.soundDeviceKept);
                    else
                        panel.Do(step);
                },
                step == "ESC");
        }
        panel.platform.sounds.clear();
        panel.platform.soundTimes.clear();
        m_rows.clear();
        panel.Do("PLAY");
        elapsedMs = panel.platform.Now() - start;
        m_rows.removeFirst(); // filling the list selects its last line first
    }

    // The keys the script sent ("12"), keys the user sounded ("[5]"), wave
    // files ("{./script/menu.wav}", resumed: "{./script/menu.wav from 99}",
    // stopped while it sounds: "|")
    // and the clips of STOP ("<stop>"), of an error ("<error>") and of a key
    // without a meaning ("<no>").
    QString Sounds() const
    {
        QString sounds;
        for (const QString& sound : panel.platform.sounds) {
            const CKeyTableRow* key = KeyOfClip(sound.mid(sound.startsWith('s') ? 1 : 0).toInt());
            if (sound.startsWith("file "))
                sounds += '{' + sound.mid(5) + '}';
            else if (key != nullptr)
                sounds += sound.startsWith('s') ? QString(key->character) : QStringLiteral("[%1]").arg(key->character);
            else if (sound == "stop file")
                sounds += '|';
            else if (sound == "248" || sound == "252" || sound == "267")
                sounds += sound == "248" ? "<stop>" : sound == "252" ? "<error>" : "<no>";
        }
        return sounds;
    }

    // Milliseconds from PLAY to the first key sent.
    double FirstKeyAt() const
    {
        for (qsizetype i = 0; i < panel.platform.sounds.size(); ++i) {
            if (panel.platform.sounds[i].startsWith('s'))
                return panel.platform.soundTimes[std::size_t(i)] - start;
        }
        return -1;
    }

    QString Lines() const { return m_rows.join(' '); }
    QString Probes() const { return m_probes.join(" / "); }

    CPanelHarness panel;
    double start = 0;
    double elapsedMs = 0;
    double escapeAt = -1;

private:
    QStringList m_rows;
    QStringList m_probes;
};

} // namespace

class TestPlayer : public QObject {
    Q_OBJECT

private slots:
    // The keys the player sends and how long it waits, from scripts as an
    // editor may have written them.
    void lines_data()
    {
        Columns<QString, QString, double>({"script", "keys", "waitedMs"});
        Row("capitals, leading blanks", "  DIAL 555", "555", 0.0);
        Row("tab, punctuation", "\tDial 1-800 555#", "1800555#", 0.0);
        Row("short words, remarks", "dia 5\nwai 5\npaus\nsho 5\npla 5\n; dial 5\n\ndial 1", "1", 0.0);
        Row("WAIT 3", "WAIT 3\ndial 1", "1", 3000.0);
        Row("waiting, wait, wait -5", "waiting\nwait\nwait -5\ndial 1", "1", 0.0);
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
        double sounding = 0;
        for (const QChar key : keys)
            sounding += ToneMs(key.toLatin1()) + KeyGapMs;
        // Each line may add a pump step of 1 ms.
        const double waited = playback.elapsedMs - sounding;
        QVERIFY2(waited >= waitedMs && waited <= waitedMs + 10, qPrintable(QString::number(waited)));
        QCOMPARE(playback.panel.Texts(), QString("...|t|%1").arg(script.count('\n') + 1, 3, 10, QChar('0')));
    }

    // Each key's button is drawn pressed for exactly its tone, and the wait
    // after a dial line begins once its last key and silence are over.
    void keyShownWhileItSounds_data()
    {
        Columns<QString, QString>({"script", "keys"});
        Row("repeated digits", "dial 5550", "5550");
        Row("the same key on two lines", "dial 5\ndial 5", "55");
        Row("skipped characters", "dial 1- -2, 3", "123");
        Row("all twelve", "dial 1234567890*#", "1234567890*#");
    }

    void keyShownWhileItSounds()
    {
        QFETCH(QString, script);
        QFETCH(QString, keys);
        CPlayback playback(script + "\nwait 1");
        QStringList seen;
        playback.panel.platform.onBlock = [&](const QString& what) {
            QStringList down;
            for (const CKeyTableRow& key : CKeyTable::Rows()) {
                if (static_cast<QAbstractButton*>(playback.panel.Widget(QString(key.character)))->isDown())
                    down << QString(key.character);
            }
            if (what.startsWith('s'))
                seen << what + ' ' + down.join(',');
        };
        playback.Play();
        QStringList expected;
        for (const QChar key : keys)
            expected << QStringLiteral("s%1 %2").arg(CKeyTable::FromCharacter(key.toLatin1())->toneClip).arg(key);
        QCOMPARE(seen, expected);
        const double sounding = playback.panel.platform.soundTimes.back() + ToneMs(keys.back().toLatin1()) + KeyGapMs;
        QVERIFY2(
            playback.elapsedMs - 1000 >= sounding - playback.start, qPrintable(QString::number(playback.elapsedMs)));
    }

    // STOP, PAUSE, REPEAT and the keys at virtual times during the lines
    // of a script: what sounded, which lines played, and what showed.
    void steering_data()
    {
        Columns<QString, QString, QString, QString, QString, QString>(
            {"script", "actions", "sounds", "lines", "status", "probes"});
        const QString menu = "{./script/menu.wav}";
        const char* aborted = "Script Aborted.";
        const char* playing = "playing: STOP PAUSE REPEAT | display lines | STOP | 176* ";
        Row("no action", "dial 1\nwait 2\ndial 2", "0 ?look; 1000 ?look; 1000 ?texts", "12", "1 2 3", "...",
            QString(playing) + "244.15 / " + playing + "244* / ...|2|002");
        Row("STOP in a wait", "dial 1\nwait 10\ndial 2", "2000 STOP", "1<stop>", "1 2", aborted, "");
        Row("STOP in a pause", "dial 1\npause\ndial 2", "2000 STOP", "1<stop>", "1 2", aborted, "");
        Row("STOP in a dial line: it ends", "dial 123\ndial 4\nwait 5\ndial 5", "50 STOP", "123<stop>", "1 2", aborted,
            "");
        Row("STOP in a dial line, no wait", "dial 1\ndial 2\ndial 3", "50 STOP", "1<stop>", "1 2", aborted, "");
        Row("STOP in a play line", "play \"menu.wav\"\ndial 1", "100 STOP", menu + "<stop>", "1", aborted, "");
        Row("PAUSE in a play line resumes it", "play \"menu.wav\"\ndial 1", "100 PAUSE; 900 ?mode; 1000 PAUSE",
            menu + "{./script/menu.wav from 99}1", "1 2", "...", "paused");
        Row("STOP after a wait", "dial 1\nwait 1\ndial 2\ndial 3\nwait 1", "1300 ?look; 1300 STOP", "12<stop>",
            "1 2 3 4", aborted, "playing: STOP | display lines | STOP | 176* 242.9");
        Row("PAUSE in a wait", "dial 1\nwait 5\ndial 2",
            "1000 PAUSE; 1500 ?look; 1500 ?texts; 20000 PAUSE; 20500 ?texts", "12", "1 2 3", "...",
            "paused: STOP PAUSE REPEAT keys | display lines | PAUSE | 188* 242.0 / Press PAUSE to continue|2|002 / "
            "...|2|002");
        Row("PAUSE in a dial line: a pause line resumes", "dial 1\ndial 2\npause\ndial 3", "50 PAUSE", "123", "1 2 3 4",
            "...", "");
        Row("pause line", "dial 1\npause\ndial 2", "1000 ?look; 1000 ?texts; 3000 PAUSE", "12", "1 2 3", "...",
            "paused: STOP PAUSE REPEAT keys | display lines | STOP | 188* 242.0 / Press PAUSE to continue|2|002");
        Row("keys while paused", "dial 1\npause\ndial 2", "1000 B5; 1200 K9; 1400 K*; 1600 K#; 3000 PAUSE",
            "1[5][9][*][#]2", "1 2 3", "...", "");
        Row("REPEAT in the wait on line 5", "dial 1\ndial 2\ndial 3\ndial 4\nwait 5\ndial 5",
            "1500 REPEAT; 1500 ?look; 3000 ?texts", "123445", "1 2 3 4 5 4 5 6", "...",
            "repeat: STOP PAUSE REPEAT | display lines | REPEAT | 264.0 244* / ...|5|005");
        Row("REPEAT on line 1 waits for the next wait", "wait 5\ndial 1\nwait 5\ndial 2", "1000 REPEAT; 2000 ?mode",
            "112", "1 2 3 2 3 4", "...", "repeat");
        Row("PAUSE and on again with a REPEAT pending", "wait 5\ndial 1\nwait 5\ndial 2",
            "1000 REPEAT; 1100 PAUSE; 1200 PAUSE; 1300 ?look", "112", "1 2 3 2 3 4", "...",
            "repeat: STOP PAUSE REPEAT | display lines | PAUSE | 188* 242.0");
        Row("REPEAT on line 1 waits for the next pause", "wait 3\ndial 1\npause\ndial 2",
            "1000 REPEAT; 5000 ?mode; 6000 PAUSE; 9000 PAUSE", "112", "1 2 3 2 3 4", "...", "paused");
        Row("REPEAT in a dial line", "dial 1\ndial 2\nwait 3\ndial 3", "50 REPEAT", "1223", "1 2 3 2 3 4", "...", "");
        Row("REPEAT in a pause", "dial 1\npause\ndial 2", "1000 REPEAT; 3000 PAUSE", "112", "1 2 1 2 3", "...", "");
        Row("REPEAT in a play line stops it", "wait 1\nplay \"menu.wav\"\ndial 2", "1100 REPEAT",
            menu + "|" + menu + "2", "1 2 1 2 3", "...", "");
        Row("STOP with a REPEAT pending", "wait 5\ndial 1\nwait 5\ndial 2", "1000 REPEAT; 2000 STOP; 2000 ?texts", "",
            "1", aborted, "(...)|t|001 / end idle: PLAY REC close keys | display | PLAY | 186* 244.15");
        Row("show: the note stays for one line", "dial 1\nshow hello\nwait 5\nwait 5\ndial 2",
            "1000 ?texts; 6000 ?texts", "12", "1 2 3 4 5", "...", "...|hello|003 / ...|2|004");
        Row("show, then dial lines", "dial 1\nshow hello\ndial 2\ndial 3", "200 ?texts", "123", "1 2 3 4", "...",
            "...|1|000");
        Row("counter and line list", "dial 1\ndial 2\nwait 3\ndial 3\ndial 4\ndial 5\ndial 6\ndial 7\ndial 8\ndial 9",
            "1000 ?texts", "123456789", "1 2 3 4 5 6 7 8 9 10", "...", "...|3|003");
    }

    void steering()
    {
        QFETCH(QString, script);
        QFETCH(QString, actions);
        CPlayback playback(script);
        playback.Play(actions);
        QTEST(playback.Sounds(), "sounds");
        QTEST(playback.Lines(), "lines");
        QTEST(playback.panel.Texts().section('|', 0, 0), "status");
        // Every playback ends idle, with the script's name on the display.
        const QString end = playback.panel.Look();
        const QString idle = "idle: PLAY REC close keys | display lines | PLAY | 186* 244.15";
        QTEST(playback.Probes() + (end == idle ? QString() : " / end " + end), "probes");
        QCOMPARE(playback.panel.Texts().section('|', 1, 1), QString("t"));
    }

    // A paused wait keeps the time it had left, however long the pause.
    void pausedWait_data()
    {
        // keyAt: of the key after "wait 10", ms after PLAY
        Columns<QString, double>({"actions", "keyAt"});
        Row("no pause", "", 10000.0);
        Row("paused for 26 s", "4000 PAUSE; 30000 PAUSE", 36000.0);
        Row("paused twice", "4000 PAUSE; 5000 PAUSE; 7000 PAUSE; 9000 PAUSE", 13000.0);
        Row("keys while paused", "4000 PAUSE; 4500 K5; 6000 B7; 30000 PAUSE", 36000.0);
        Row("paused before the wait", "0 PAUSE; 20000 PAUSE", 30000.0);
        Row("REPEAT on line 1", "4000 REPEAT", 10000.0);
    }

    void pausedWait()
    {
        QFETCH(QString, actions);
        QFETCH(double, keyAt);
        CPlayback playback("wait 10\ndial 1");
        playback.Play(actions);
        QVERIFY2(std::abs(playback.FirstKeyAt() - keyAt) <= 3, qPrintable(QString::number(playback.FirstKeyAt())));
    }

    // The sound device stays open through a playback's waits and pauses,
    // so that reopening it cannot shift a line, and is let go at the end.
    void soundDeviceKeptWhilePlaying()
    {
        CPlayback playback("wait 10\npause\ndial 1");
        playback.Play("5000 ?kept; 12000 ?kept; 13000 PAUSE");
        QCOMPARE(playback.Probes(), QString("1 / 1"));
        QCOMPARE(playback.panel.platform.soundDeviceKept, 0);
    }

    void playLine_data()
    {
        // files: "x/": a directory; "!x": not a wave
        Columns<QStringList, QString, bool, QString>({"files", "line", "folder", "sounds"});
        const char* menu = "{./script/menu.wav}1";
        Row("present", QStringList{"menu.wav"}, "play \"menu.wav\"", true, menu);
        Row("name lowered", QStringList{"menu.wav"}, "PLAY \"MENU.WAV\"", true, menu);
        Row("mixed-case file", QStringList{"Menu.WAV"}, "play \"menu.wav\"", true, "{./script/Menu.WAV}1");
        Row("exact name first", QStringList{"MENU.WAV", "menu.wav"}, "play \"Menu.wav\"", true, menu);
        Row("not a wave", QStringList{"!menu.wav"}, "play \"menu.wav\"", true, "{./script/menu.wav}<error>");
        Row("no script folder", QStringList{"menu.wav"}, "play \"menu.wav\"", false, "{menu.wav}1");
        Row("missing", QStringList{}, "play \"menu.wav\"", true, "<error>");
        Row("no quotes", QStringList{"menu.wav"}, "play menu.wav", true, "<error>");
        Row("wildcards are literal", QStringList{"menu.wav"}, "play \"*.wav\"", true, "<error>");
        Row("a directory", QStringList{"dir.wav/"}, "play \"dir.wav\"", true, "<error>");
        Row("a path into a folder", QStringList{"sub/", "sub/X.wav"}, "play \"sub/X.wav\"", true, "<error>");
    }

    void playLine()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, line);
        QFETCH(bool, folder);
        CPlayback playback(line + "\ndial 1", folder);
        QFile::remove(playback.panel.ScriptDir() + "menu.wav");
        for (const QString& file : files) {
            if (file.endsWith('/'))
                QDir(playback.panel.ScriptDir()).mkdir(file);
            else if (file.startsWith('!'))
                playback.panel.WriteFile(file.mid(1), "RIFF, but not a wave");
            else
                playback.panel.WriteFile(file, SyntheticMedia::Wave16(SyntheticMedia::Level(1000, 99)));
        }
        playback.Play();
        QTEST(playback.Sounds(), "sounds");
        QCOMPARE(playback.panel.Texts().section('|', 0, 1),
            playback.Sounds().endsWith('1') ? "...|t" : "Stopped: Sound Not Found|t");
    }

    // STOP while paused leaves the keypad live, so a user can load another
    // script while a dial line sounds: the player ends instead of reading
    // lines that are gone.
    void scriptReplacedDuringPlayback()
    {
        CPlayback playback("dial 1\ndial 2\ndial 3\ndial 4\ndial 5\ndial 6\ndial 7\ndial 8");
        playback.panel.WriteFile("a.dsq", "dial 9\r\ndial 9\r\n");
        playback.Play("50 PAUSE; 60 STOP; 70 B*; 80 ENTER");
        QCOMPARE(playback.Sounds(), QString("1<stop>"));
        QCOMPARE(playback.panel.Texts(), QString("Script Aborted.|a|002"));
        QCOMPARE(playback.panel.Mode(), QString("idle"));
    }

    // Closing the panel ends whatever runs within 300 ms, also after STOP
    // and '#' or '*' took the panel out of the playing modes.
    void closing_data()
    {
        Columns<QString, QString>({"script", "actions"});
        const QString longDial = "dial " + QString("1234567890").repeated(4);
        Row("a dial line", longDial, "1000 ESC");
        Row("a wait", "dial 1\nwait 60\ndial 2", "3000 ESC");
        Row("a pause hold", "dial 1\npause\ndial 2", "3000 ESC");
        Row("a wave file", "play \"long.wav\"\ndial 1", "3000 ESC");
        Row("info mode", longDial + "\nwait 60\ndial 2", "100 PAUSE; 150 STOP; 200 B#; 10000 ESC");
        Row("loading mode", longDial + "\nwait 60\ndial 2", "100 PAUSE; 150 STOP; 200 B*; 10000 ESC");
    }

    void closing()
    {
        QFETCH(QString, script);
        QFETCH(QString, actions);
        CPlayback playback(script);
        playback.panel.WriteFile("long.wav", "30 s long");
        playback.panel.platform.SetWaveFileLength("./script/long.wav", 30000);
        playback.Play(actions);
        const double returned = playback.panel.platform.Now() - playback.start;
        while (playback.panel.platform.HasActions())
            playback.panel.platform.WaitForEvents(-1);
        QCOMPARE(playback.panel.Look(), QString("closed"));
        QVERIFY2(returned - playback.escapeAt <= 300, qPrintable(QString::number(returned - playback.escapeAt)));
    }
};

QTEST_MAIN(TestPlayer)
#include "tst_player.moc"
