#include "CPanelHarness.h"
#include "TestRows.h"

#include "panel/CNameEdit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QTextEdit>
#include <QtTest>

#include <map>

namespace {

// The controls that the look of a mode drives, by a short name.
std::map<QString, QWidget*> DrivenControls(CPanelHarness& panel)
{
    CPanelControls& c = panel.Controls();
    return {{"play", c.play}, {"rec", c.rec}, {"pause", c.pause}, {"stop", c.stop}, {"repeat", c.repeat},
        {"close", c.closeArea}, {"display", c.display}, {"lines", c.lineList}, {"scripts", c.scriptList},
        {"info", c.infoText}};
}

// Puts every driven control into one state: enabled or not, shown or not
// (buttons stay shown), the display read-only or not.
void SetAll(CPanelHarness& panel, bool on)
{
    for (const auto& [name, widget] : DrivenControls(panel)) {
        widget->setEnabled(on);
        if (qobject_cast<QAbstractButton*>(widget) == nullptr && widget != panel.Controls().closeArea)
            widget->setVisible(on);
    }
    for (QAbstractButton* key : panel.Controls().keys)
        key->setEnabled(on);
    panel.Controls().display->setReadOnly(on);
}

} // namespace

// The look of each mode: which controls RefreshPanel enables, shows, makes
// read-only and focuses, and which clips it starts; everything else it must
// leave as it was. The helpers that fill the central views.
class TestPanelModes : public QObject {
    Q_OBJECT

private slots:
    // settings: for each control it drives, the letters of the properties it
    // sets: E enabled, V shown, R read-only; upper case sets, lower case
    // clears. "keys" stands for all twelve keypad buttons. A property not
    // named must keep whatever state it had. focus: the control that gets
    // the focus, empty when the refresh leaves the focus where it is.
    void refreshPanel_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QStringList>("animations");
        const QStringList none;
        Row("idle", int(ModeIdle), "play:E rec:E close:E stop:e pause:e repeat:e display:VE keys:E", "play",
            QStringList{"banner stop", "banner open 0", "banner open 186", "banner play 186 0..65535 x-1",
                "lamp open 244", "lamp play 244 16..16 x1"});
        Row("playing", int(ModePlaying),
            "play:e rec:e stop:E pause:E repeat:E close:e display:V lines:V scripts:v info:v keys:e", "stop",
            QStringList{"banner open 176", "banner play 176 0..65535 x-1"});
        Row("recording", int(ModeRecording),
            "play:e rec:e stop:E pause:e close:e repeat:e display:VR scripts:v lines:V info:v keys:E", "stop",
            QStringList{"banner open 170", "banner play 170 0..65535 x-1"});
        Row("paused", int(ModePaused), "keys:E", "", QStringList{"banner open 188", "banner play 188 0..65535 x-1"});
        Row("loading", int(ModeLoading), "display:REV play:e rec:e stop:e pause:e repeat:e lines:v scripts:V info:v",
            "", QStringList{"banner open 264", "banner play 264 3..3 x1"});
        Row("info", int(ModeInfo), "display:ev lines:v scripts:v", "",
            QStringList{"banner stop", "banner open 268", "banner play 268 0..0 x1"});
        Row("repeat", int(ModeRepeat), "", "", none);
        Row("saving", int(ModeSaving), "", "", none);
        Row("unused value 4", 4, "", "", none);
        Row("unused value 10", 10, "", "", none);
    }

    void refreshPanel()
    {
        QFETCH(int, mode);
        QFETCH(QString, settings);
        QFETCH(QString, focus);

        std::map<QString, QString> set;
        for (const QString& item : settings.split(' ', Qt::SkipEmptyParts))
            set[item.section(':', 0, 0)] = item.section(':', 1);
        const auto expected = [&set](const QString& control, QChar property, bool before) {
            const QString letters = set.count(control) ? set[control] : QString();
            if (letters.contains(property.toUpper()))
                return true;
            if (letters.contains(property.toLower()))
                return false;
            return before;
        };

        CPanelHarness panel;
        panel.NameAnimations();
        const auto controls = DrivenControls(panel);
        for (const bool before : {true, false}) {
            SetAll(panel, before);
            // A control that the refresh must not take the focus from.
            QWidget* holder
                = mode == ModeLoading ? static_cast<QWidget*>(panel.Controls().scriptList) : panel.Controls().infoText;
            if (before)
                holder->setFocus();
            panel.Controls().statusLine->setText(QStringLiteral("old"));
            panel.Dialog().Panel().statusText = "new";
            panel.Script().SetMode(static_cast<DialMode>(mode));
            panel.Platform().ClearLogs();

            panel.Dialog().Modes().RefreshPanel();

            for (const auto& [name, widget] : controls) {
                const QByteArray where = (name + (before ? " from on" : " from off")).toLatin1();
                QVERIFY2(widget->isEnabled() == expected(name, 'e', before), where + " enabled");
                if (qobject_cast<QAbstractButton*>(widget) == nullptr && widget != panel.Controls().closeArea)
                    QVERIFY2(!widget->isHidden() == expected(name, 'v', before), where + " shown");
            }
            for (const QAbstractButton* key : panel.Controls().keys)
                QCOMPARE(key->isEnabled(), expected(QStringLiteral("keys"), 'e', before));
            QCOMPARE(panel.Controls().display->isReadOnly(), expected(QStringLiteral("display"), 'r', before));
            QTEST(panel.Platform().AnimationLog(), "animations");
            QCOMPARE(panel.Platform().SoundLog(), QStringList{});
            // Every mode pushes the panel texts, those without steps too.
            QCOMPARE(panel.Status(), QStringLiteral("new"));
            QCOMPARE(panel.Script().GetMode(), static_cast<DialMode>(mode));
            if (before) {
                QWidget* focused = QApplication::focusWidget();
                QCOMPARE(focused, focus.isEmpty() ? holder : controls.at(focus));
            }
        }
    }

    // The list shows the normalised lines, a long one cut to what a screen
    // can show, the counter at least three digits (four here), and the last
    // line is selected and in view; stale entries go.
    void fillLineList()
    {
        CPanelHarness panel;
        QByteArray file = "Dial " + QByteArray(100000, '7') + "\r\n";
        for (int i = 1; i < 1234; ++i)
            file += "  DIAL " + QByteArray::number(i) + "\r\n";
        panel.WriteFile(QStringLiteral("many.dsq"), file);
        QVERIFY(panel.Script().Load(panel.ScriptDir().toStdString() + "many.dsq"));
        QListWidget* list = panel.Controls().lineList;
        list->addItem(QStringLiteral("stale"));
        list->setVisible(true);

        panel.Dialog().Modes().FillLineList();
        panel.Dialog().Panel().PushTexts();
        QCOMPARE(list->count(), 1234);
        QCOMPARE(panel.Controls().lineCounter->text(), QStringLiteral("1234"));
        QCOMPARE(list->item(0)->text(), "dial " + QString(CPanelModes::LineListWidth - 5, '7'));
        QCOMPARE(list->currentRow(), 1233);
        QVERIFY(list->item(1233)->isSelected());
        QCOMPARE(list->item(1233)->text(), QStringLiteral("dial 1233"));
        QVERIFY(list->viewport()->rect().intersects(list->visualItemRect(list->item(1233))));
        // Filling the list normalised the document's lines.
        QCOMPARE(panel.Script().StoredLine(1233), std::string("dial 1233"));
    }

    void showRecordedDigits_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("shown");
        Row("five", "12345", "12345");
        Row("twelve", "1234567890*#", "1234567890*#");
        Row("fifteen: the last twelve", "123456789012345", "456789012345");
    }

    void showRecordedDigits()
    {
        QFETCH(QString, keys);
        CPanelHarness panel;
        panel.Click(1019); // REC
        for (const QChar key : keys)
            panel.Keypad(key == '#' ? '/' : key.toLatin1());
        QTEST(panel.DisplayText(), "shown");
        QCOMPARE(panel.Controls().display->textMargins(), QMargins());

        // In any other mode the display text is left alone.
        panel.Script().SetMode(ModeIdle);
        panel.Dialog().Panel().displayText = "kept";
        panel.Dialog().Modes().ShowRecordedDigits();
        QCOMPARE(panel.Dialog().Panel().displayText, std::string("kept"));
    }
};

QTEST_MAIN(TestPanelModes)
#include "tst_panel_modes.moc"
