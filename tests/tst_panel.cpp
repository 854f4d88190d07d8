#include "CPanelHarness.h"
#include "TestRows.h"

#include <QListWidget>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// The scripts every panel of these tests starts with, in the order listed.
void WriteScripts(const CPanelHarness& panel)
{
    panel.WriteFile("a.dsq", "dial 1\r\n");
    panel.WriteFile("B.DSQ", "  DIAL 2\r\nwait 3\r\ndial 4");
    panel.WriteFile("c.d.dsq", "dial 5\r\r\n");
    panel.WriteFile("empty.dsq", "");
}

} // namespace

// What the panel shows and sounds along the paths a user takes: recording,
// naming and saving, listing and loading, help, playing, and every way out.
class TestPanel : public QObject {
    Q_OBJECT

private slots:
    void paths_data()
    {
        Columns<QString, QString, QString, QString>({"steps", "look", "texts", "sounds"});
        const char* idle = "idle: PLAY REC close keys | display lines | PLAY | 186* 244.15";
        const char* idleAfterCancel = "idle: PLAY REC close keys | display | PLAY | 186* 244.15";
        const char* recordTwo = "REC +500 K1 B2 +3000 K3";
        Row("after the opening", "", "idle: PLAY REC close keys | info | DIAL1 | 186* 244.15",
            "Load / Record Script||000", "");
        Row("REC", "REC", "recording: STOP keys | display lines | STOP | 170* 242.9", "...||000", "249");
        Row("REC from help", "B# REC", "recording: STOP keys | display lines | STOP | 170* 242.9", "...||000",
            "266 249");
        Row("recording keys and a wait", recordTwo, "recording: STOP keys | display lines | STOP | 170* 242*",
            "...|3|002", "249 193 194 195");
        Row("keys that are none while recording", "REC N5 Na K+ K- K. K, R4 K* K#",
            "recording: STOP keys | display lines | STOP | 170* 242*", "...|444*#|000", "249 196 196 196 247 246");
        Row("STOP names", QString(recordTwo) + " STOP",
            "saving: STOP keys | display scripts display:edit | display | 264.5 -",
            "Enter Script Name [ENTER]|noname|002", "249 193 194 195 266");
        Row("Enter saves", QString(recordTwo) + " STOP T:bank ENTER", idle, "...|bank|003", "249 193 194 195 266 s265");
        Row("STOP before any key", "REC +3000 STOP", idle, "Script Not Recorded.||000", "249 252");
        Row("a key cancels naming", "REC K1 STOP T:ab B5", idleAfterCancel, "Script Not Saved||000", "249 193 266 252");
        Row("STOP cancels naming", "REC K1 STOP STOP", idleAfterCancel, "Script Not Saved||000", "249 193 266 252");
        Row("star lists", "B*", "loading: close keys | display scripts | scripts | 264.3 244.15",
            "Select Name to Load Script.||000", "266");
        Row("Enter loads the first", "B* ENTER", idle, "...|a|001", "266 s265");
        Row("Down, Enter", "B* DOWN ENTER", idle, "...|B|003", "266 s265");
        Row("the list opens on the last chosen", "B* DOWN ENTER B* ENTER", idle, "...|B|003", "266 s265 266 s265");
        Row("a key cancels loading", "B* ENTER B* B0", idleAfterCancel, "Script Not Loaded||001", "266 s265 266 252");
        Row("hash shows help", "B#", "info: PLAY REC close keys | info | info | 268.0 244.15", "...||000", "266");
        Row("the keypad does not leave help", "B# K5 K# K*", "info: PLAY REC close keys | info | info | 268.0 244.15",
            "...||000", "266");
        Row("a key leaves help", "B# B5", "idle: PLAY REC close keys | display | PLAY | 186* 244.15",
            "Load / Record Script First.||000", "266 266");
        Row("star leaves help with a script", "B* ENTER B# B*", idleAfterCancel, "Play Script / Record New|a|001",
            "266 s265 266 266");
        Row("a key means nothing", "B5", "idle: PLAY REC close keys | display info | PLAY | 186* 244.15", "(...)||000",
            "267");
        Row("the keypad means nothing", "K5 K* K#", "idle: PLAY REC close keys |  | DIAL1 | 186* 244.15",
            "Load / Record Script||000", "267 267 267");
        Row("PLAY without a script", "PLAY", "idle: PLAY REC close keys | display info | PLAY | 186* 244.15",
            "No Script Loaded||000", "252");
        Row("PLAY an empty script, twice", "B* DOWN DOWN DOWN ENTER PLAY", idle, "This Script is Empty||000",
            "266 s265 252");
        Row("PLAY while help shows", "B# PLAY", "info: PLAY REC close keys | info | PLAY | 268.0 244.15",
            "No Script Loaded||000", "266 252");
        Row("PLAY a script", "B* ENTER PLAY", idle, "...|a|001", "266 s265 s193");
        Row("Enter never closes", "ENTER KENTER REC ENTER KENTER",
            "recording: STOP keys | display lines | STOP | 170* 242.9", "...||000", "249");
        Row("Escape closes", "REC K1 ESC", "closed", "...|1|000", "249 193");
    }

    void paths()
    {
        QFETCH(QString, steps);
        CPanelHarness panel;
        WriteScripts(panel);
        panel.Do(steps);
        QTEST(panel.Look(), "look");
        QTEST(panel.Texts(), "texts");
        QTEST(panel.platform.sounds.join(' '), "sounds");
    }

    // keys: the recording; typed: the name as typed over the proposed one
    // ("\\b" is Backspace, digits come from the numeric keypad).
    void savedFile_data()
    {
        // selected: the row of the line list selected after saving
        Columns<QString, QString, QString, QByteArray, int>({"keys", "typed", "file", "bytes", "selected"});
        const QByteArray one("dial 1\r\r\n");
        Row("one group, proposed name", "K1 B2 +1900 K3", "", "noname.dsq", QByteArray("dial 123\r\r\n"), 0);
        Row("groups and a wait", "B1 K2 B3 +3400 K4 K5", "bank", "bank.dsq",
            QByteArray("dial 123\r\r\nwait 3\r\r\ndial 45\r\r\n"), 1);
        Row("star and hash", "B* K* +2500 B# K#", "sh", "sh.dsq", QByteArray("dial **\r\r\nwait 2\r\r\ndial ##\r\r\n"),
            1);
        Row("cleared name", "K1", "\b", "noname.dsq", one, 0);
        Row("blanks kept", "K1", " a b ", " a b .dsq", one, 0);
        Row("edited", "K1", "x\b\byz", "yz.dsq", one, 0);
        Row("keypad digits", "K1", "59", "59.dsq", one, 0);
    }

    void savedFile()
    {
        QFETCH(QString, keys);
        QFETCH(QString, typed);
        QFETCH(QString, file);
        CPanelHarness panel;
        panel.Do("REC +700 " + keys + " +5000 STOP");
        for (const QChar c : typed) {
            if (c == '\b')
                panel.Do("BS");
            else
                c.isDigit() ? panel.Do("K" + QString(c)) : panel.Type(c);
        }
        panel.Do("ENTER");
        QTEST(panel.ReadFile(file), "bytes");
        QCOMPARE(QDir(panel.ScriptDir()).entryList(QDir::Files), QStringList{file});
        QCOMPARE(QString::fromStdString(panel.Script().GetName()), file.chopped(4));
        // A name left empty is saved as "noname" but not shown.
        QCOMPARE(panel.Texts().section('|', 1, 1), typed.endsWith('\b') ? QString() : file.chopped(4));
        QTEST(static_cast<QListWidget*>(panel.Widget("lines"))->currentRow(), "selected");
    }

    // The name field: the nine refused characters beep and are dropped when
    // typed, pasted text loses them silently, and no more than 8 characters
    // go in, so no name reaches outside the script folder.
    void nameField_data()
    {
        Columns<QString, QString, int>({"steps", "file", "beeps"});
        Row("refused, typed", "T:a\"*,./:;?\\b", "ab.dsq", 9);
        Row("accepted, typed, to the limit", "T:a-_!'~([]", "a-_!'~([.dsq", 0);
        Row("parent path", "V:../x", "x.dsq", 0);
        Row("absolute path", "V:/tmp/evil", "tmpevil.dsq", 0);
        Row("too long", "V:abcdefghijkl", "abcdefgh.dsq", 0);
        Row("pasted after typing, to the limit", "T:abcdef V:123", "abcdef12.dsq", 0);
        Row("line breaks", "V:a|b", "ab.dsq", 0);
        Row("all refused", "V:*?", "noname.dsq", 0);
    }

    void nameField()
    {
        QFETCH(QString, steps);
        QFETCH(QString, file);
        CPanelHarness panel;
        panel.Do("REC K1 STOP");
        panel.platform.sounds.clear();
        panel.Do(steps + " ENTER");
        QTEST(int(panel.platform.sounds.count("beep")), "beeps");
        QCOMPARE(QDir(panel.ScriptDir()).entryList(QDir::Files), QStringList{file});
        QCOMPARE(QDir(panel.ScriptDir() + "..").entryList(QDir::Files), QStringList{});
    }

    // '*' lists the scripts: regular files (links followed) ending in ".dsq"
    // in any case, by their real names, sorted without regard to case.
    void scriptList_data()
    {
        Columns<QStringList, QStringList>({"files", "entries"});
        Row("none", QStringList{}, QStringList{});
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
        CPanelHarness panel;
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
        panel.Do("B*");
        QTEST(panel.Entries(), "entries");
        const auto* list = static_cast<QListWidget*>(panel.Widget("scripts"));
        QCOMPARE(list->selectedItems().size(), std::min<int>(1, list->count()));
        panel.Do("ENTER");
        QCOMPARE(panel.Texts(),
            list->count() ? "...|" + panel.Entries().at(0).section('.', 0, -2) + "|001" : "No Script (*.dsq) !||000");
    }

    // While naming, the list offers the existing names; Enter in the list
    // does nothing, Enter in the display or a double-click saves.
    void saveOverExistingName_data()
    {
        Columns<QString, QString>({"steps", "file"});
        Row("double-click a name", "DOUBLE0", "accountname.dsq");
        Row("click a name, Enter in the list", "CLICK1 ENTER", "");
        Row("click a name, back to the display, Enter", "CLICK1 DISPLAY ENTER", "bank.dsq");
    }

    void saveOverExistingName()
    {
        QFETCH(QString, steps);
        QFETCH(QString, file);
        CPanelHarness panel;
        panel.WriteFile("accountname.dsq", "old");
        panel.WriteFile("bank.dsq", "old");
        panel.Do("REC K1 STOP");
        QCOMPARE(panel.Entries(), (QStringList{"accountname.dsq", "bank.dsq"}));
        panel.Do(steps);
        QCOMPARE(panel.Mode(), file.isEmpty() ? "saving" : "idle");
        QCOMPARE(panel.ReadFile("bank.dsq"), file == "bank.dsq" ? "dial 1\r\r\n" : "old");
        QCOMPARE(panel.ReadFile("accountname.dsq"), file == "accountname.dsq" ? "dial 1\r\r\n" : "old");
    }

    // A save or load that fails says so and keeps what the user had: the
    // recording and its name, or the script in memory with the list offered
    // again, filled afresh.
    void failingSaveAndLoad_data()
    {
        // change: "gone": the script folder; "x-": x removed; "x/": a folder x made
        // again: once the cause is gone, or with another name
        Columns<QString, QString, QString, QString, QString>({"steps", "change", "look", "texts", "again"});
        const char* naming = "saving: STOP keys | display scripts display:edit | display | 264.5 -";
        const char* choosing = "loading: close keys | display scripts | scripts | 264.3 244.15";
        Row("script folder gone", "REC K1 STOP T:bank", "gone", naming, "Script Not Saved|bank|000", "ENTER");
        Row("a folder of that name", "REC K1 STOP T:bank", "bank.dsq/", naming, "Script Not Saved|bank|000",
            "BS T:2 ENTER");
        Row("file gone", "B* ENTER B* CLICK1", "lost.dsq-", choosing, "Script Not Loaded|lost|002", "ENTER");
        Row("replaced by a folder", "B* ENTER B* CLICK1", "lost.dsq/", choosing, "Script Not Loaded|lost|002", "ENTER");
    }

    void failingSaveAndLoad()
    {
        QFETCH(QString, steps);
        QFETCH(QString, change);
        QFETCH(QString, again);
        CPanelHarness panel;
        panel.WriteFile("keep.dsq", "dial 1\r\nwait 2\r\n");
        panel.WriteFile("lost.dsq", "dial 9\r\n");
        panel.Do(steps);
        const QDir dir(panel.ScriptDir());
        if (change == "gone")
            QVERIFY(QDir(dir).removeRecursively());
        if (change.endsWith('/') || change.endsWith('-'))
            QFile::remove(dir.filePath(change.chopped(1)));
        if (change.endsWith('/'))
            QVERIFY(dir.mkdir(change.chopped(1)));
        panel.platform.sounds.clear();
        panel.Do("ENTER");
        QCOMPARE(panel.platform.sounds, (QStringList{"s265", "252"}));
        QTEST(panel.Look(), "look");
        QTEST(panel.Texts(), "texts");
        if (change == "gone")
            QVERIFY(QDir().mkpath(panel.ScriptDir()));
        panel.Do(again);
        QCOMPARE(panel.Mode(), QString("idle"));
        QCOMPARE(panel.Texts().section('|', 0, 0), QString("..."));
        QCOMPARE(panel.Script().GetLineCount(), change.startsWith("lost") ? 2 : 1);
        QCOMPARE(panel.ReadFile(panel.Texts().section('|', 1, 1) + ".dsq").left(6), QByteArray("dial 1"));
    }

    // The 8192nd gap fills the recording: it goes on to naming as after
    // STOP, with the lines so far and without the pending key.
    void fullRecordingGoesOnToNaming()
    {
        CPanelHarness panel;
        panel.Do("REC K1");
        for (int gap = 1; gap < CDialScript::LineLimit / 2; ++gap) {
            panel.platform.Advance(2001);
            panel.Script().RecordKey('2');
        }
        panel.Do("+3000 K3");
        QCOMPARE(panel.Mode(), QString("saving"));
        panel.Do("T:full ENTER");
        const QByteArray saved = panel.ReadFile("full.dsq");
        QCOMPARE(saved.count('\n'), CDialScript::LineLimit);
        QVERIFY(saved.endsWith("dial 2\r\r\nwait 3\r\r\n"));
    }

    // The line list shows the lines normalised, a long one cut to what a
    // screen holds, the counter at least three digits, the last line
    // selected and in view.
    void lineList()
    {
        CPanelHarness panel;
        QByteArray file = "Dial " + QByteArray(100000, '7') + "\r\n";
        for (int i = 1; i < 1234; ++i)
            file += "  DIAL " + QByteArray::number(i) + "\r\n";
        panel.WriteFile("many.dsq", file);
        panel.Do("B* ENTER");
        QCOMPARE(panel.Texts(), QString("...|many|1234"));
        const QStringList lines = panel.Lines();
        QCOMPARE(lines.size(), 1234);
        QCOMPARE(lines.front(), "dial " + QString(507, '7'));
        QCOMPARE(lines.back(), QString("dial 1233"));
        const auto* list = static_cast<QListWidget*>(panel.Widget("lines"));
        QVERIFY(list->item(1233)->isSelected());
        QVERIFY(list->viewport()->rect().intersects(list->visualItemRect(list->item(1233))));
    }
};

QTEST_MAIN(TestPanel)
#include "tst_panel.moc"
