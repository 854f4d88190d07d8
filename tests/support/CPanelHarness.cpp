#include "CPanelHarness.h"

#include "media/CMediaCatalogue.h"
#include "panel/CNameEdit.h"
#include "platform/CAnimateCtrl.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QTest>

CPanelHarness::CPanelHarness(Start start, bool scriptFolder, int pointSize)
    : m_previousDirectory(QDir::currentPath())
{
    QDir::setCurrent(m_workDir.path());
    if (scriptFolder)
        QDir().mkdir(QStringLiteral("script"));
    CDialogLayout layout = CMediaCatalogue::PanelLayout();
    layout.pointSize = pointSize;
    m_dialog = std::make_unique<CDialerDlg>(m_platform, layout);
    if (start == AfterIntro) {
        // Twelve flashes of 100 ms come first; the mouse moves after them.
        // A move to where the pointer already rests (an earlier panel left
        // it there) makes no event, so it moves twice.
        m_platform.After(3200, [this] {
            QTest::mouseMove(m_dialog.get(), QPoint(41, 301));
            QTest::mouseMove(m_dialog.get(), QPoint(40, 300));
        });
        Show();
        while (m_dialog->IntroRunning() || m_platform.PendingActions() > 0)
            QCoreApplication::processEvents();
    }
}

CPanelHarness::~CPanelHarness()
{
    m_dialog.reset();
    QDir::setCurrent(m_previousDirectory);
}

QString CPanelHarness::ScriptDir() const
{
    return QDir(m_workDir.path())
               .filePath(QFile::decodeName(QByteArray::fromStdString(
                   m_dialog->Panel().scriptDirectory.empty() ? "." : m_dialog->Panel().scriptDirectory)))
        + QLatin1Char('/');
}

void CPanelHarness::WriteFile(const QString& name, const QByteArray& bytes) const
{
    QFile file(ScriptDir() + name);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
        qFatal("cannot write %s", qPrintable(name));
}

QByteArray CPanelHarness::ReadFile(const QString& name) const
{
    QFile file(ScriptDir() + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void CPanelHarness::Show()
{
    m_dialog->show();
    QApplication::setActiveWindow(m_dialog.get());
    (void)QTest::qWaitForWindowActive(m_dialog.get());
}

void CPanelHarness::Click(int id)
{
    QWidget* control = m_dialog->Control(id);
    QTest::mouseClick(control, Qt::LeftButton, Qt::NoModifier, control->rect().center());
}

void CPanelHarness::Click(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, button->rect().center());
}

void CPanelHarness::Key(int key, Qt::KeyboardModifiers modifiers, const QString& text)
{
    QWidget* target = QApplication::focusWidget();
    if (target == nullptr)
        target = m_dialog.get();
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(target, &press);
    if (QApplication::focusWidget() != nullptr)
        target = QApplication::focusWidget();
    QApplication::sendEvent(target, &release);
}

void CPanelHarness::Keypad(char key)
{
    static const std::pair<char, Qt::Key> keys[] = {{'*', Qt::Key_Asterisk}, {'/', Qt::Key_Slash}, {'+', Qt::Key_Plus},
        {'-', Qt::Key_Minus}, {'.', Qt::Key_Period}};
    Qt::Key qtKey = key >= '0' && key <= '9' ? static_cast<Qt::Key>(Qt::Key_0 + (key - '0')) : Qt::Key_unknown;
    for (const auto& [character, code] : keys) {
        if (character == key)
            qtKey = code;
    }
    Key(qtKey, Qt::KeypadModifier, QString(QLatin1Char(key)));
}

void CPanelHarness::Type(const QString& text)
{
    for (const QChar c : text)
        Key(c.isLetter() ? Qt::Key_A + (c.toUpper().unicode() - 'A') : c.unicode(), Qt::NoModifier, QString(c));
}

void CPanelHarness::Paste(const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
    Key(Qt::Key_V, Qt::ControlModifier);
}

void CPanelHarness::ClickEntry(int row)
{
    QListWidget* list = Controls().scriptList;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->visualItemRect(list->item(row)).center());
}

void CPanelHarness::DoubleClickEntry(int row)
{
    QListWidget* list = Controls().scriptList;
    const QPoint centre = list->visualItemRect(list->item(row)).center();
    // As the mouse does it: a click, then a second press that is the
    // double-click, then its release.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
}

QStringList CPanelHarness::Entries() const
{
    QStringList entries;
    const QListWidget* list = m_dialog->Panel().controls.scriptList;
    for (int row = 0; row < list->count(); ++row)
        entries << list->item(row)->text();
    return entries;
}

void CPanelHarness::NameAnimations()
{
    Controls().modeBanner->setObjectName(QStringLiteral("banner"));
    Controls().activityLight->setObjectName(QStringLiteral("lamp"));
    Controls().introReel->setObjectName(QStringLiteral("reel"));
}

QString CPanelHarness::Buttons() const
{
    const CPanelControls& c = m_dialog->Panel().controls;
    QStringList states;
    for (const auto& [name, widget] : {std::pair<const char*, const QWidget*>{"play", c.play}, {"rec", c.rec},
             {"stop", c.stop}, {"pause", c.pause}, {"repeat", c.repeat}, {"close", c.closeArea}})
        states << QLatin1String(name) + (widget->isEnabled() ? QLatin1Char('+') : QLatin1Char('-'));
    return states.join(QLatin1Char(' '));
}

QString CPanelHarness::Status() const
{
    return m_dialog->Panel().controls.statusLine->text();
}

QString CPanelHarness::DisplayText() const
{
    return m_dialog->Panel().controls.display->text();
}
