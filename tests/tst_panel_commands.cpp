#include "CPanelHarness.h"
#include "TestRows.h"

#include "media/CMediaCatalogue.h"
#include "panel/CNameEdit.h"
#include "playback/CKeyTable.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QTextEdit>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Carries out a user's steps, separated by blanks: "+N" lets N ms pass,
// "Kc" presses key c of the numeric keypad ('#' is its divide key), "Bc"
// clicks the keypad button of key c, "PLAY", "REC", "STOP", "PAUSE",
// "REPEAT" and "DISPLAY" click those controls, "T:text" types text, "BS", "ENTER" and
// "DOWN" press Backspace, Return and the down arrow, "CLICKn" and "DOUBLEn"
// click and double-click entry n of the script list.
void Do(CPanelHarness& panel, const QString& steps)
{
    static const std::map<QString, int> controls{
        {"PLAY", 1001}, {"REC", 1019}, {"PAUSE", 1020}, {"STOP", 1021}, {"REPEAT", 1022}, {"DISPLAY", 1006}};
    static const std::map<QString, int> keys{
        {"BS", Qt::Key_Backspace}, {"ENTER", Qt::Key_Return}, {"DOWN", Qt::Key_Down}};
    for (const QString& step : steps.split(' ', Qt::SkipEmptyParts)) {
        if (step.startsWith('+'))
            panel.Platform().Advance(step.mid(1).toUInt());
        else if (controls.count(step))
            panel.Click(controls.at(step));
        else if (keys.count(step))
            panel.Key(keys.at(step));
        else if (step.size() == 2 && step.startsWith('K'))
            panel.Keypad(step.at(1) == '#' ? '/' : step.at(1).toLatin1());
        else if (step.size() == 2 && step.startsWith('B'))
            panel.Click(CKeyTable::FromCharacter(step.at(1).toLatin1())->controlId);
        else if (step.startsWith("T:"))
            panel.Type(step.mid(2));
        else if (step.startsWith("CLICK"))
            panel.ClickEntry(step.mid(5).toInt());
        else if (step.startsWith("DOUBLE"))
            panel.DoubleClickEntry(step.mid(6).toInt());
        else
            QFAIL(qPrintable("unknown step " + step));
    }
}

// The tone clips of the keys in steps, as the sound log writes them.
QStringList Tones(const QString& steps)
{
    QStringList tones;
    for (const QString& step : steps.split(' ', Qt::SkipEmptyParts)) {
        if (step.size() == 2 && (step.startsWith('K') || step.startsWith('B')))
            tones << QStringLiteral("async %1").arg(CKeyTable::FromCharacter(step.at(1).toLatin1())->toneClip);
    }
    return tones;
}

QStringList ListEntries(const QListWidget* list)
{
    QStringList entries;
    for (int row = 0; row < list->count(); ++row)
        entries << list->item(row)->text();
    return entries;
}

// Records two lines and a wait and stops: the panel waits for a name.
constexpr const char* RecordTwoGroups = "REC K1 +3000 K2 STOP";

// Puts the panel into the look a running script gives it.
void LookPlaying(CPanelHarness& panel)
{
    panel.Script().SetMode(ModePlaying);
    panel.Dialog().Modes().RefreshPanel();
    panel.NameAnimations();
    panel.Platform().ClearLogs();
}

// The idle look: PLAY and REC live, the display shown and closed to typing.
bool InIdleLook(CPanelHarness& panel)
{
    const CPanelControls& c = panel.Controls();
    return panel.Script().GetMode() == ModeIdle && c.play->isEnabled() && c.rec->isEnabled() && !c.stop->isEnabled()
        && !c.display->isHidden() && c.scriptList->isHidden() && c.infoText->isHidden()
        && QApplication::focusWidget() == c.play && c.display->isReadOnly()
        && c.display->TextLimit() == CNameEdit::DefaultLimit;
}

} // namespace

// Whole command sequences as a user makes them on the panel and the numeric
// keypad, on the virtual clock, down to the bytes of the saved files.
class TestPanelCommands : public QObject {
    Q_OBJECT

private slots:
    // The whole cycle a user makes first: record, name, save, list, load
    // and play.
    void recordSaveLoadPlay()
    {
        CPanelHarness panel;
        QCOMPARE(panel.Status(), QStringLiteral("Load / Record Script"));
        Do(panel, "REC +500 K1 +3500 K5 STOP T:ab.c ENTER");
        QCOMPARE(panel.ReadFile("abc.dsq"), QByteArray("dial 1\r\r\nwait 3\r\r\ndial 5\r\r\n"));
        Do(panel, "K# B* ENTER"); // '#' from the numeric keypad only refuses while idle
        QCOMPARE(panel.Script().GetName(), std::string("abc"));
        panel.Platform().ClearLogs();
        Do(panel, "PLAY");
        QCOMPARE(panel.Script().GetMode(), ModeIdle);
        QCOMPARE(panel.Controls().lineCounter->text(), QStringLiteral("003"));
        QCOMPARE(panel.Platform().SoundLog(), (QStringList{"sync 193", "sync 197"}));
    }

    // keys: the recording; typed: what the user types as the name ('\b' is
    // Backspace; the proposed name is selected, so typing replaces it).
    void recordNameAndSave_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray one("dial 1\r\r\n");
        Row("one group, proposed name", "K1 B2 +1900 K3", "", "noname.dsq", QByteArray("dial 123\r\r\n"));
        Row("groups and a wait", "B1 K2 B3 +3400 K4 K5", "bank", "bank.dsq",
            QByteArray("dial 123\r\r\nwait 3\r\r\ndial 45\r\r\n"));
        Row("star and hash", "B* K* +2500 B# K#", "sh", "sh.dsq", QByteArray("dial **\r\r\nwait 2\r\r\ndial ##\r\r\n"));
        Row("cleared name", "K1", "\b", "noname.dsq", one);
        Row("blanks kept", "K1", " a b ", " a b .dsq", one);
        Row("edited", "K1", "x\b\byz", "yz.dsq", one);
        Row("numeric keypad digits", "K1", "5", "5.dsq", one);
    }

    void recordNameAndSave()
    {
        QFETCH(QString, keys);
        QFETCH(QString, typed);
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);

        CPanelHarness panel;
        panel.NameAnimations();
        panel.Platform().ClearLogs();
        Do(panel, "REC +700 " + keys + " +5000 STOP");
        QCOMPARE(panel.Script().GetMode(), ModeSaving);
        QCOMPARE(panel.Platform().AnimationLog().last(), QStringLiteral("banner play 264 5..5 x1"));
        QVERIFY(!panel.Controls().scriptList->isHidden() && panel.Controls().lineList->isHidden());
        QCOMPARE(panel.Buttons(), QStringLiteral("play- rec- stop+ pause- repeat- close-"));
        QVERIFY(panel.Controls().keys[0]->isEnabled());
        QCOMPARE(panel.Status(), QStringLiteral("Enter Script Name [ENTER]"));
        QCOMPARE(panel.DisplayText(), QStringLiteral("noname"));
        QCOMPARE(panel.Controls().display->selectedText(), QStringLiteral("noname"));
        QCOMPARE(QApplication::focusWidget(), panel.Controls().display);

        for (const QChar c : typed) {
            if (c == '\b')
                panel.Key(Qt::Key_Backspace);
            else if (c.isDigit())
                panel.Keypad(c.toLatin1()); // digits from the numeric keypad
            else
                panel.Type(c);
        }
        Do(panel, "ENTER");
        QCOMPARE(panel.ReadFile(file), bytes);
        QCOMPARE(QDir(panel.ScriptDir()).entryList(QDir::Files), QStringList{file});
        QVERIFY(InIdleLook(panel));
        QCOMPARE(panel.Status(), QStringLiteral("..."));
        const QString name = file.chopped(4);
        QCOMPARE(panel.Script().GetName(), name.toStdString());
        // The display keeps what was typed: a name left empty is saved as
        // "noname" but not shown.
        QCOMPARE(panel.DisplayText(), typed.endsWith('\b') ? QString() : name);
        QVERIFY(!panel.Controls().lineList->isHidden());
        const int lines = int(bytes.count('\n'));
        QCOMPARE(panel.Controls().lineList->count(), lines);
        QCOMPARE(panel.Controls().lineCounter->text(), QString::asprintf("%03d", lines));
        // The selection carried from naming: the line selected last while
        // recording, the wait (or, with none stored then, the last line).
        QCOMPARE(panel.Controls().lineList->currentRow(), bytes.contains("wait") ? lines - 2 : lines - 1);
        QVERIFY(panel.Platform().AnimationLog().contains("banner play 264 6..6 x1"));
        const QStringList sounds = QStringList{"async 249"} + Tones(keys) + QStringList{"async 266", "sync 265"};
        QCOMPARE(panel.Platform().SoundLog(), sounds);
    }

    // The 8192nd gap fills the recording: it ends there as after STOP, with
    // the lines so far and without the pending key, and can be saved.
    void fullRecordingGoesOnToNaming()
    {
        CPanelHarness panel;
        Do(panel, "REC K1");
        for (int gap = 1; gap < CDialScript::LineLimit / 2; ++gap) {
            panel.Platform().Advance(2001);
            panel.Script().RecordKey('2');
        }
        Do(panel, "+3000 K3");
        QCOMPARE(panel.Script().GetMode(), ModeSaving);
        QCOMPARE(panel.Status(), QStringLiteral("Enter Script Name [ENTER]"));
        Do(panel, "T:full ENTER");
        const QByteArray saved = panel.ReadFile("full.dsq");
        QCOMPARE(saved.count('\n'), CDialScript::LineLimit);
        QVERIFY(saved.endsWith("dial 2\r\r\nwait 3\r\r\n"));
    }

    // What the panel shows while a recording is under way.
    void recordingLook()
    {
        CPanelHarness panel;
        panel.NameAnimations();
        Do(panel, "B# REC"); // REC also works from info mode
        QVERIFY(panel.Controls().infoText->isHidden());
        QCOMPARE(panel.Status(), QStringLiteral("..."));
        QCOMPARE(panel.Controls().lineCounter->text(), QStringLiteral("000"));
        QCOMPARE(QApplication::focusWidget(), panel.Controls().stop);
        panel.Platform().ClearLogs();
        Do(panel, "K1 K2 +3000 B3");
        QCOMPARE(panel.DisplayText(), QStringLiteral("3"));
        QCOMPARE(ListEntries(panel.Controls().lineList), (QStringList{"dial 12", "wait 3"}));
        QCOMPARE(panel.Controls().lineCounter->text(), QStringLiteral("002"));
        // Each key flashes the activity light once.
        QCOMPARE(panel.Platform().AnimationLog().filter("lamp play"),
            QStringList(3, QStringLiteral("lamp play 242 0..65535 x1")));
    }

    // STOP before any key was recorded; a keypad button or STOP while
    // naming, a keypad button while choosing: the recording is dropped, or
    // the loaded script unloaded.
    void cancel_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("cancel");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("linesShown");
        const char* loading = "B* ENTER B*";
        Row("recording, no key", "REC +3000", "STOP", "Script Not Recorded.", true);
        Row("saving, digit", RecordTwoGroups, "B5", "Script Not Saved", false);
        Row("saving, star", RecordTwoGroups, "B*", "Script Not Saved", false);
        Row("saving, STOP", RecordTwoGroups, "STOP", "Script Not Saved", false);
        Row("saving, after typing", RecordTwoGroups, "T:abc B#", "Script Not Saved", false);
        Row("loading, digit", loading, "B0", "Script Not Loaded", false);
        Row("loading, hash", loading, "B#", "Script Not Loaded", false);
    }

    void cancel()
    {
        QFETCH(QString, before);
        QFETCH(QString, cancel);
        QFETCH(bool, linesShown);
        CPanelHarness panel;
        panel.WriteFile("old.dsq", "dial 5\r\n");
        Do(panel, before);
        QVERIFY(panel.Script().GetMode() != ModeIdle);
        panel.Platform().ClearLogs();
        Do(panel, cancel);
        QTEST(panel.Status(), "status");
        QVERIFY(InIdleLook(panel));
        QCOMPARE(panel.DisplayText(), QString());
        QCOMPARE(panel.Script().GetLineCount(), 0);
        QCOMPARE(panel.Script().GetName(), std::string());
        QCOMPARE(panel.Controls().lineList->isHidden(), !linesShown);
        if (linesShown)
            QCOMPARE(panel.Controls().lineCounter->text(), QStringLiteral("000"));
        QCOMPARE(panel.Platform().SoundLog(), QStringList{"async 252"});
        QCOMPARE(QDir(panel.ScriptDir()).entryList(QDir::Files), QStringList{"old.dsq"});
    }

    // "*" in idle mode lists the scripts: plain files ending in ".dsq" in
    // any case, by their real names, sorted without regard to case.
    void scriptList_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("entries");
        Row("none", QStringList{}, QStringList{});
        Row("one", QStringList{"bank.dsq"}, QStringList{"bank.dsq"});
        Row("several",
            QStringList{"b.dsq", "A.DSQ", "c.Dsq", "notes.txt", "x.dsq.bak", "dir.dsq/", "dsq", "My.Bank.dsq"},
            QStringList{"A.DSQ", "b.dsq", "c.Dsq", "My.Bank.dsq"});
        Row("case only differs", QStringList{"bb.dsq", "BA.dsq", "ab.dsq", "Ac.dsq"},
            QStringList{"ab.dsq", "Ac.dsq", "BA.dsq", "bb.dsq"});
        Row("only regular files, links followed",
            QStringList{
                "f|", "f.dsq|", "pipe.dsq>f", "zero.dsq>/dev/zero", "good.dsq", "link.dsq>good.dsq", "x.dsq>gone"},
            QStringList{"good.dsq", "link.dsq"});
    }

    void scriptList()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, entries);
        CPanelHarness panel;
        panel.NameAnimations();
        for (const QString& file : files) {
            const QByteArray path = QFile::encodeName(panel.ScriptDir() + file.section('>', 0, 0));
            if (file.endsWith('/'))
                QDir(panel.ScriptDir()).mkdir(file.chopped(1));
            else if (file.endsWith('|'))
                QCOMPARE(mkfifo(path.chopped(1), 0600), 0);
            else if (file.contains('>'))
                QCOMPARE(symlink(QFile::encodeName(file.section('>', 1)), path), 0);
            else
                panel.WriteFile(file, "dial 1\r\n");
        }
        panel.Platform().ClearLogs();
        Do(panel, "B*");
        QCOMPARE(panel.Script().GetMode(), ModeLoading);
        QCOMPARE(panel.Status(), QStringLiteral("Select Name to Load Script."));
        QCOMPARE(panel.Entries(), entries);
        QListWidget* list = panel.Controls().scriptList;
        QVERIFY(!list->isHidden());
        QCOMPARE(QApplication::focusWidget(), list);
        QCOMPARE(list->selectedItems().size(), entries.isEmpty() ? 0 : 1);
        QVERIFY(entries.isEmpty() || list->item(0)->isSelected());
        // Selecting the first entry was no selection change.
        QCOMPARE(panel.DisplayText(), QString());
        QCOMPARE(panel.Platform().SoundLog(), QStringList{"async 266"});
        QCOMPARE(panel.Platform().AnimationLog().filter("banner").last(), QStringLiteral("banner play 264 3..3 x1"));
        // Enter loads the first entry (see load()); with none it only says so.
        if (entries.isEmpty()) {
            Do(panel, "ENTER");
            QCOMPARE(panel.Status(), QStringLiteral("No Script (*.dsq) !"));
            QCOMPARE(panel.Script().GetMode(), ModeLoading);
        }
    }

    // The ways to choose and confirm a script in the list.
    void load_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("counter");
        Row("Enter on the first", "ENTER", "a", "001");
        Row("down, Enter", "DOWN ENTER", "B", "003");
        Row("click, Enter", "CLICK2 ENTER", "c.d", "001");
        Row("double-click", "DOUBLE1", "B", "003");
        // The list opens again on the script last chosen.
        Row("down, Enter, then again", "DOWN ENTER B* ENTER", "B", "003");
    }

    void load()
    {
        QFETCH(QString, how);
        QFETCH(QString, name);
        CPanelHarness panel;
        panel.NameAnimations();
        panel.WriteFile("a.dsq", "dial 1\r\n");
        panel.WriteFile("B.DSQ", "  DIAL 2\r\nwait 3\r\ndial 4");
        panel.WriteFile("c.d.dsq", "dial 5\r\r\n");
        Do(panel, "B*");
        panel.Platform().ClearLogs();
        Do(panel, how);
        QCOMPARE(panel.Script().GetName(), name.toStdString());
        QVERIFY(InIdleLook(panel));
        QCOMPARE(panel.Status(), QStringLiteral("..."));
        QCOMPARE(panel.DisplayText(), name);
        QVERIFY(!panel.Controls().lineList->isHidden());
        QTEST(panel.Controls().lineCounter->text(), "counter");
        QCOMPARE(panel.Platform().SoundLog().last(), QStringLiteral("sync 265"));
        QVERIFY(panel.Platform().AnimationLog().contains("banner play 264 4..4 x1"));
        if (name == "B")
            QCOMPARE(ListEntries(panel.Controls().lineList), (QStringList{"dial 2", "wait 3", "dial 4"}));
    }

    // While naming, the list offers the existing names.
    void saveOverExistingName_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("file");
        Row("double-click a name", "DOUBLE0", "accountname.dsq");
        Row("click a name, Enter in the list does nothing", "CLICK1 ENTER", "");
        Row("click a name, back to the display, Enter", "CLICK1 DISPLAY ENTER", "bank.dsq");
    }

    void saveOverExistingName()
    {
        QFETCH(QString, how);
        QFETCH(QString, file);
        CPanelHarness panel;
        panel.WriteFile("accountname.dsq", "old");
        panel.WriteFile("bank.dsq", "old");
        Do(panel, RecordTwoGroups);
        QCOMPARE(panel.Entries(), (QStringList{"accountname.dsq", "bank.dsq"}));
        QVERIFY(panel.Controls().scriptList->selectedItems().isEmpty());
        Do(panel, how);
        const QByteArray saved("dial 1\r\r\nwait 3\r\r\ndial 2\r\r\n");
        if (file.isEmpty()) {
            QCOMPARE(panel.Script().GetMode(), ModeSaving);
            QCOMPARE(panel.ReadFile("bank.dsq"), QByteArray("old"));
            return;
        }
        QCOMPARE(panel.ReadFile(file), saved);
        QCOMPARE(panel.Script().GetName(), file.chopped(4).toStdString());
        QVERIFY(InIdleLook(panel));
    }

    // The name field: the nine refused characters beep and are dropped when
    // typed, pasted text loses them silently, and no more than 8 characters
    // go in either way, so no name reaches outside the script folder.
    void nameField_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("beeps");
        Row("refused, typed", "a\"*,./:;?\\b", "", "ab", 9);
        Row("accepted, typed", "a -_!'~([", "", "a -_!'~(", 0);
        Row("parent path", "", "../x", "x", 0);
        Row("absolute path", "", "/tmp/evil", "tmpevil", 0);
        Row("backslashes", "", "..\\..\\y", "y", 0);
        Row("too long", "", "abcdefghijkl", "abcdefgh", 0);
        Row("after typing, up to the limit", "abcdef", "123", "abcdef12", 0);
        Row("line breaks", "", "a\nb\r\nc", "abc", 0);
        Row("all refused", "", "*?\"", "", 0);
    }

    void nameField()
    {
        QFETCH(QString, typed);
        QFETCH(QString, pasted);
        QFETCH(QString, shown);
        QFETCH(int, beeps);
        CPanelHarness panel;
        Do(panel, RecordTwoGroups);
        panel.Platform().ClearLogs();
        // The proposed name is selected: what comes first replaces it.
        panel.Type(typed);
        if (!pasted.isEmpty())
            panel.Paste(pasted);
        QCOMPARE(panel.DisplayText(), shown);
        QCOMPARE(panel.Platform().SoundLog(), QStringList(beeps, "beep"));
        Do(panel, "ENTER");
        const QString file = (shown.isEmpty() ? "noname" : shown) + ".dsq";
        QCOMPARE(QDir(panel.ScriptDir()).entryList(QDir::Files), QStringList{file});
        QCOMPARE(QDir(panel.ScriptDir() + "..").entryList(QDir::Files), QStringList{});
        QVERIFY(!QFile::exists("/tmp/evil.dsq"));
    }

    // A save that fails keeps the recording and the name: the user can fix
    // the cause, or try another name, and press Enter again.
    void failingSave_data()
    {
        QTest::addColumn<QString>("cause");
        Row("script folder gone", "gone");
        Row("a folder of that name", "folder");
    }

    void failingSave()
    {
        QFETCH(QString, cause);
        CPanelHarness panel;
        panel.NameAnimations();
        Do(panel, RecordTwoGroups);
        Do(panel, "T:bank");
        const QString dir = panel.ScriptDir();
        if (cause == "gone")
            QVERIFY(QDir(dir).removeRecursively());
        else
            QVERIFY(QDir(dir).mkdir("bank.dsq"));
        panel.Platform().ClearLogs();
        Do(panel, "ENTER");
        QCOMPARE(panel.Platform().SoundLog(), (QStringList{"sync 265", "async 252"}));
        QCOMPARE(panel.Status(), QStringLiteral("Script Not Saved"));
        QCOMPARE(panel.Script().GetMode(), ModeSaving);
        QCOMPARE(panel.DisplayText(), QStringLiteral("bank"));
        QCOMPARE(panel.Script().GetLineCount(), 3);
        QVERIFY(!panel.Controls().display->isReadOnly() && panel.Controls().stop->isEnabled());
        QCOMPARE(panel.Controls().display->TextLimit(), CNameEdit::NameLimit);
        QCOMPARE(QApplication::focusWidget(), panel.Controls().display);

        // Once more, after the cause is gone or under another name.
        if (cause == "gone")
            QVERIFY(QDir().mkpath(dir));
        else
            Do(panel, "BS T:2");
        Do(panel, "ENTER");
        const QString file = cause == "gone" ? "bank.dsq" : "ban2.dsq";
        QCOMPARE(panel.ReadFile(file), QByteArray("dial 1\r\r\nwait 3\r\r\ndial 2\r\r\n"));
        QCOMPARE(panel.Status(), QStringLiteral("..."));
        QVERIFY(InIdleLook(panel));
    }

    // A load that fails leaves the script in memory as it was and offers
    // the list again, filled afresh.
    void failingLoad_data()
    {
        QTest::addColumn<QString>("cause");
        Row("file gone", "gone");
        Row("replaced by a folder", "folder");
    }

    void failingLoad()
    {
        QFETCH(QString, cause);
        CPanelHarness panel;
        panel.WriteFile("keep.dsq", "dial 1\r\nwait 2\r\n");
        panel.WriteFile("lost.dsq", "dial 9\r\n");
        Do(panel, "B* ENTER B* CLICK1");
        QVERIFY(QFile::remove(panel.ScriptDir() + "lost.dsq"));
        if (cause == "folder")
            QVERIFY(QDir(panel.ScriptDir()).mkdir("lost.dsq"));
        panel.Platform().ClearLogs();
        Do(panel, "ENTER");
        QCOMPARE(panel.Platform().SoundLog(), (QStringList{"sync 265", "async 252"}));
        QCOMPARE(panel.Status(), QStringLiteral("Script Not Loaded"));
        QCOMPARE(panel.Script().GetMode(), ModeLoading);
        QCOMPARE(panel.Script().GetName(), std::string("keep"));
        QCOMPARE(panel.Script().GetLine(1), std::string("wait 2"));
        QCOMPARE(panel.Entries(), QStringList{"keep.dsq"});
        QVERIFY(panel.Controls().scriptList->item(0)->isSelected());
        QCOMPARE(QApplication::focusWidget(), panel.Controls().scriptList);
        Do(panel, "ENTER");
        QCOMPARE(panel.Status(), QStringLiteral("..."));
        QVERIFY(InIdleLook(panel));
    }

    // "#" shows the info text; any keypad button leaves it.
    void info_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("leave");
        QTest::addColumn<QString>("hint");
        Row("no script, digit", "", "B5", "Load / Record Script First.");
        Row("no script, hash", "", "B#", "Load / Record Script First.");
        Row("a script, star", "bank.dsq", "B*", "Play Script / Record New");
    }

    void info()
    {
        QFETCH(QString, script);
        QFETCH(QString, leave);
        CPanelHarness panel;
        panel.NameAnimations();
        if (!script.isEmpty()) {
            panel.WriteFile(script, "dial 1\r\n");
            Do(panel, "B* ENTER");
        }
        panel.Platform().ClearLogs();
        Do(panel, "B#");
        QCOMPARE(panel.Script().GetMode(), ModeInfo);
        QCOMPARE(panel.Status(), QStringLiteral("..."));
        QString help = QString::fromLocal8Bit(CMediaCatalogue::String(Strings::HelpText));
        help.replace("\r\n", "\n");
        QCOMPARE(panel.Controls().infoText->toPlainText(), help);
        QVERIFY(!panel.Controls().infoText->isHidden());
        QCOMPARE(QApplication::focusWidget(), panel.Controls().infoText);
        QVERIFY(panel.Controls().display->isHidden());
        QCOMPARE(panel.Platform().SoundLog(), QStringList{"async 266"});
        QCOMPARE(panel.Platform().AnimationLog().last(), QStringLiteral("banner play 268 0..0 x1"));
        // The numeric keypad does not leave it.
        Do(panel, "K5 K# K*");
        QCOMPARE(panel.Script().GetMode(), ModeInfo);

        panel.Platform().ClearLogs();
        Do(panel, leave);
        QVERIFY(InIdleLook(panel));
        QTEST(panel.Status(), "hint");
        QCOMPARE(panel.DisplayText(), script.chopped(script.isEmpty() ? 0 : 4));
        QVERIFY(panel.Controls().infoText->isHidden());
        QCOMPARE(panel.Platform().SoundLog(), QStringList{"async 266"});
    }

    // Keys that mean nothing in idle mode.
    void idleKeys_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("viewsShown");
        Row("button 5", "B5", "(...)", true);
        // The numeric keypad hides the central views and leaves the status
        // line as it was until the next push.
        Row("keypad 5", "K5", "Load / Record Script", false);
        Row("keypad star", "K*", "Load / Record Script", false);
        Row("keypad divide", "K#", "Load / Record Script", false);
    }

    void idleKeys()
    {
        QFETCH(QString, key);
        QFETCH(bool, viewsShown);
        CPanelHarness panel;
        panel.Platform().ClearLogs();
        Do(panel, key);
        QCOMPARE(panel.Script().GetMode(), ModeIdle);
        QTEST(panel.Status(), "status");
        QCOMPARE(panel.Platform().SoundLog(), QStringList{"async 267"});
        QCOMPARE(!panel.Controls().display->isHidden(), viewsShown);
        QVERIFY(panel.Controls().infoText->isHidden() != viewsShown);
        QVERIFY(panel.Controls().scriptList->isHidden());
    }

    // PAUSE interrupts a playing script; keys sound while paused; a second
    // PAUSE resumes with the keypad locked again.
    void pauseTwice()
    {
        CPanelHarness panel;
        LookPlaying(panel);
        Do(panel, "PAUSE");
        QCOMPARE(panel.Script().GetMode(), ModePaused);
        QCOMPARE(panel.Status(), QStringLiteral("Press PAUSE to continue"));
        QVERIFY(panel.Controls().keys[4]->isEnabled());
        QVERIFY(panel.Controls().stop->isEnabled() && panel.Controls().pause->isEnabled());
        QCOMPARE(panel.Platform().AnimationLog(),
            (QStringList{"lamp open 242", "lamp play 242 0..0 x1", "banner open 188", "banner play 188 0..65535 x-1"}));

        Do(panel, "B5 K9 K#");
        QCOMPARE(panel.Script().GetMode(), ModePaused);
        QCOMPARE(panel.Script().GetDigits(), std::string());
        QCOMPARE(panel.Platform().SoundLog(), (QStringList{"async 250", "async 197", "async 192", "async 246"}));

        panel.Platform().ClearLogs();
        Do(panel, "PAUSE");
        QCOMPARE(panel.Script().GetMode(), ModePlaying);
        QCOMPARE(panel.Status(), QStringLiteral("..."));
        QVERIFY(!panel.Controls().keys[4]->isEnabled());
        QCOMPARE(QApplication::focusWidget(), panel.Controls().stop);
        QCOMPARE(panel.Platform().SoundLog(), QStringList{"async 250"});
        QCOMPARE(panel.Platform().AnimationLog(), (QStringList{"banner open 176", "banner play 176 0..65535 x-1"}));
    }

    // STOP while a script plays or pauses hands the end to the player; with
    // a repeat request pending it only drops the request.
    void stopDuringPlayback_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QStringList>("sounds");
        Row("playing", "", "...", QStringList{"async 248"});
        Row("paused", "PAUSE", "Press PAUSE to continue", QStringList{"async 250", "async 248"});
        Row("repeat pending", "REPEAT", "(...)", QStringList{});
    }

    void stopDuringPlayback()
    {
        QFETCH(QString, before);
        CPanelHarness panel;
        panel.WriteFile("bank.dsq", "dial 1\r\n");
        Do(panel, "B* ENTER");
        LookPlaying(panel);
        panel.Dialog().Panel().statusText = "...";
        Do(panel, before);
        if (before == "REPEAT") {
            QCOMPARE(panel.Script().GetMode(), ModeRepeat);
            QCOMPARE(panel.Platform().AnimationLog(), (QStringList{"banner open 264", "banner play 264 0..0 x1"}));
            QCOMPARE(panel.Platform().SoundLog(), QStringList{});
        }
        Do(panel, "STOP");
        QCOMPARE(panel.Script().GetMode(), ModeIdle);
        QTEST(panel.Status(), "status");
        QTEST(panel.Platform().SoundLog(), "sounds");
        QVERIFY(panel.Platform().AnimationLog().contains("lamp play 242 10..10 x1"));
        // The document keeps its script.
        QCOMPARE(panel.Script().GetName(), std::string("bank"));
    }

    // Enter in any mode never closes the panel.
    void enterNeverCloses_data()
    {
        QTest::addColumn<QString>("steps");
        Row("idle", "");
        Row("recording", "REC K1");
        Row("info", "B#");
        Row("naming: Enter saves", "REC K1 STOP");
    }

    void enterNeverCloses()
    {
        QFETCH(QString, steps);
        CPanelHarness panel;
        Do(panel, steps);
        panel.Key(Qt::Key_Return);
        panel.Key(Qt::Key_Enter, Qt::KeypadModifier);
        QVERIFY(panel.Dialog().isVisible());
        QCOMPARE(panel.Dialog().result(), 0);
    }
};

QTEST_MAIN(TestPanelCommands)
#include "tst_panel_commands.moc"
