#include "CPanelHarness.h"
#include "TestTools.h"

#include "media/CMediaCatalogue.h"
#include "panel/CNameEdit.h"
#include "platform/CAnimateCtrl.h"
#include "playback/CKeyTable.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <QTextEdit>

namespace {

const std::map<QString, int> Controls{{"PLAY", ControlId::Play}, {"REC", ControlId::Rec}, {"PAUSE", ControlId::Pause},
    {"STOP", ControlId::Stop}, {"REPEAT", ControlId::Repeat}, {"DISPLAY", ControlId::Display},
    {"CLOSE", ControlId::CloseArea}, {"LAMP", ControlId::ToggleLamp}, {"display", ControlId::Display},
    {"lines", ControlId::LineList}, {"scripts", ControlId::ScriptList}, {"info", ControlId::InfoText},
    {"status", ControlId::StatusLine}, {"counter", ControlId::LineCounter}, {"banner", ControlId::ModeBanner},
    {"light", ControlId::ActivityLight}, {"reel", ControlId::IntroReel}, {"drag", ControlId::DragBar},
    {"close", ControlId::CloseArea}};

const std::map<QString, int> Keys{
    {"ENTER", Qt::Key_Return}, {"BS", Qt::Key_Backspace}, {"DOWN", Qt::Key_Down}, {"ESC", Qt::Key_Escape}};

int KeypadKey(QChar c)
{
    static const std::map<QChar, int> keys{{'*', Qt::Key_Asterisk}, {'#', Qt::Key_Slash}, {'+', Qt::Key_Plus},
        {'-', Qt::Key_Minus}, {'.', Qt::Key_Period}, {',', Qt::Key_Comma}};
    return c.isDigit() ? Qt::Key_0 + c.digitValue() : keys.at(c);
}

QString Animation(const CAnimateCtrl* control)
{
    if (!control->IsOpen())
        return QStringLiteral("-");
    return QString::number(control->Clip())
        + (control->IsPlaying() ? QStringLiteral("*") : QStringLiteral(".%1").arg(control->CurrentFrame()));
}

} // namespace

CPanelHarness::CPanelHarness(Start start, bool scriptFolder)
    : m_previousDirectory(QDir::currentPath())
{
    QDir::setCurrent(m_workDir.path());
    if (scriptFolder)
        QDir().mkdir(QStringLiteral("script"));
    CDialogLayout layout = CMediaCatalogue::PanelLayout();
    layout.pointSize = 10;
    m_dialog = std::make_unique<CDialerDlg>(platform, layout);
    if (start == Constructed)
        return;
    // The mouse moves after the twelve flashes, twice: a move to where the
    // pointer already rests (an earlier panel left it there) makes no event.
    platform.At(platform.NowMs() + 3200, [this] {
        QTest::mouseMove(m_dialog.get(), QPoint(41, 301));
        QTest::mouseMove(m_dialog.get(), QPoint(40, 300));
    });
    Show();
    while (m_dialog->IntroRunning() || platform.HasActions())
        QCoreApplication::processEvents();
    platform.sounds.clear();
    platform.soundTimes.clear();
}

void CPanelHarness::Show()
{
    m_dialog->show();
    QApplication::setActiveWindow(m_dialog.get());
    (void)QTest::qWaitForWindowActive(m_dialog.get());
}

CPanelHarness::~CPanelHarness()
{
    m_dialog.reset();
    QDir::setCurrent(m_previousDirectory);
}

CDialScript& CPanelHarness::Script()
{
    return m_dialog->Script();
}

QString CPanelHarness::Mode() const
{
    static const std::map<PanelMode, const char*> names{{PanelMode::Idle, "idle"}, {PanelMode::Playing, "playing"},
        {PanelMode::Recording, "recording"}, {PanelMode::Paused, "paused"}, {PanelMode::Repeat, "repeat"},
        {PanelMode::Saving, "saving"}, {PanelMode::Loading, "loading"}, {PanelMode::Info, "info"}};
    return QString::fromLatin1(names.at(m_dialog->Controller().Mode()));
}

QString CPanelHarness::ScriptDir() const
{
    const std::string& directory = m_dialog->Controller().ScriptDirectory();
    return m_workDir.filePath(QFile::decodeName(QByteArray::fromStdString(directory.empty() ? "." : directory)))
        + QLatin1Char('/');
}

void CPanelHarness::WriteFile(const QString& name, const QByteArray& bytes) const
{
    WriteBytes(ScriptDir() + name, bytes);
}

QByteArray CPanelHarness::ReadFile(const QString& name) const
{
    QFile file(ScriptDir() + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QWidget* CPanelHarness::Widget(const QString& name) const
{
    if (name.size() == 1)
        return m_dialog->Control(CKeyTable::FromCharacter(name.at(0).toLatin1())->controlId);
    return m_dialog->Control(Controls.at(name));
}

void CPanelHarness::Key(int key, Qt::KeyboardModifiers modifiers, const QString& text)
{
    QWidget* target = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : m_dialog.get();
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(target, &press);
    if (QApplication::focusWidget() != nullptr)
        target = QApplication::focusWidget();
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(target, &release);
}

void CPanelHarness::Type(const QString& text)
{
    for (const QChar c : text)
        Key(c.isLetter() ? Qt::Key_A + (c.toUpper().unicode() - 'A') : c.unicode(), Qt::NoModifier, c);
}

void CPanelHarness::Do(const QString& steps)
{
    for (const QString& step : steps.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QChar c = step.back();
        QListWidget* scripts = static_cast<QListWidget*>(Widget(QStringLiteral("scripts")));
        if (step.startsWith(QLatin1Char('+'))) {
            platform.Advance(step.mid(1).toUInt());
        } else if (Controls.count(step) && step.at(1).isUpper()) {
            QWidget* control = Widget(step);
            QTest::mouseClick(control, Qt::LeftButton, Qt::NoModifier, control->rect().center());
        } else if (Keys.count(step)) {
            Key(Keys.at(step));
        } else if (step == QLatin1String("KENTER")) {
            Key(Qt::Key_Enter, Qt::KeypadModifier);
        } else if (step.size() == 2 && step.startsWith(QLatin1Char('B'))) {
            QTest::mouseClick(Widget(c), Qt::LeftButton, Qt::NoModifier, Widget(c)->rect().center());
        } else if (step.size() == 2 && step.startsWith(QLatin1Char('K'))) {
            Key(KeypadKey(c), Qt::KeypadModifier, c == QLatin1Char('#') ? QStringLiteral("/") : QString(c));
        } else if (step.size() == 2 && step.startsWith(QLatin1Char('N'))) {
            Key(c.isDigit() ? Qt::Key_0 + c.digitValue() : Qt::Key_A + (c.unicode() - 'a'), Qt::NoModifier, c);
        } else if (step.size() == 2 && step.startsWith(QLatin1Char('R'))) {
            QWidget* focus = QApplication::focusWidget();
            for (int i = 0; i < 3; ++i) {
                QKeyEvent repeat(QEvent::KeyPress, KeypadKey(c), Qt::KeypadModifier, QString(c), i > 0);
                QApplication::sendEvent(focus, &repeat);
            }
        } else if (step.startsWith(QLatin1String("T:"))) {
            Type(step.mid(2));
        } else if (step.startsWith(QLatin1String("V:"))) {
            QGuiApplication::clipboard()->setText(step.mid(2).replace(QLatin1Char('|'), QLatin1Char('\n')));
            Key(Qt::Key_V, Qt::ControlModifier);
        } else if (step.startsWith(QLatin1String("CLICK")) || step.startsWith(QLatin1String("DOUBLE"))) {
            const QPoint at = scripts->visualItemRect(scripts->item(c.digitValue())).center();
            QTest::mouseClick(scripts->viewport(), Qt::LeftButton, Qt::NoModifier, at);
            if (step.startsWith(QLatin1String("DOUBLE"))) {
                QTest::mouseDClick(scripts->viewport(), Qt::LeftButton, Qt::NoModifier, at);
                QTest::mouseRelease(scripts->viewport(), Qt::LeftButton, Qt::NoModifier, at);
            }
        } else {
            qFatal("unknown step %s", qPrintable(step));
        }
    }
}

QString CPanelHarness::Look() const
{
    if (!m_dialog->isVisible())
        return QStringLiteral("closed");
    QStringList enabled;
    for (const char* name : {"PLAY", "REC", "STOP", "PAUSE", "REPEAT", "close"}) {
        if (Widget(QLatin1String(name))->isEnabled())
            enabled << QLatin1String(name);
    }
    int keys = 0;
    for (const CKeyTableRow& key : CKeyTable::Rows())
        keys += Widget(QString(QLatin1Char(key.character)))->isEnabled() ? 1 : 0;
    if (keys > 0)
        enabled << (keys == 12 ? QStringLiteral("keys") : QStringLiteral("%1 keys").arg(keys));
    QStringList shown;
    for (const char* name : {"display", "lines", "scripts", "info"}) {
        if (!Widget(QLatin1String(name))->isHidden())
            shown << QLatin1String(name);
    }
    if (!static_cast<CNameEdit*>(Widget(QStringLiteral("display")))->isReadOnly())
        shown << QStringLiteral("display:edit");
    QString focus = QStringLiteral("-");
    for (const auto& [name, id] : Controls) {
        if (QApplication::focusWidget() == m_dialog->Control(id) && name != QLatin1String("DISPLAY"))
            focus = name;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(QApplication::focusWidget()); button && focus == "-")
        focus = button->text();
    return QStringLiteral("%1: %2 | %3 | %4 | %5 %6")
        .arg(Mode(), enabled.join(QLatin1Char(' ')), shown.join(QLatin1Char(' ')), focus,
            Animation(static_cast<CAnimateCtrl*>(Widget(QStringLiteral("banner")))),
            Animation(static_cast<CAnimateCtrl*>(Widget(QStringLiteral("light")))));
}

QString CPanelHarness::Texts() const
{
    return static_cast<QLabel*>(Widget(QStringLiteral("status")))->text() + QLatin1Char('|')
        + static_cast<CNameEdit*>(Widget(QStringLiteral("display")))->text() + QLatin1Char('|')
        + static_cast<QLabel*>(Widget(QStringLiteral("counter")))->text();
}

QStringList CPanelHarness::Entries() const
{
    QStringList entries;
    const auto* list = static_cast<QListWidget*>(Widget(QStringLiteral("scripts")));
    for (int row = 0; row < list->count(); ++row)
        entries << list->item(row)->text();
    return entries;
}

QStringList CPanelHarness::Lines() const
{
    QStringList lines;
    const auto* list = static_cast<QListWidget*>(Widget(QStringLiteral("lines")));
    for (int row = 0; row < list->count(); ++row)
        lines << list->item(row)->text();
    return lines;
}
