#include "shell/CDialerDlg.h"

#include "document/CScriptFile.h"
#include "media/CMediaCatalogue.h"
#include "panel/CNameEdit.h"
#include "platform/CAnimateCtrl.h"
#include "platform/CPlatform.h"
#include "playback/CKeyTable.h"
#include "shell/CAboutDlg.h"
#include "shell/CBitmapButton.h"
#include "shell/CDialerApp.h"
#include "shell/CTitleBarArea.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QTextEdit>
#include <QWindow>

#include <cmath>
#include <string_view>

namespace {

// The panel's own controls take the dialog colours too: the display, the
// info text, the status line, the lists and the line counter.
const QColor PanelBackground(CDialerApp::DialogBackground);
const QColor PanelText(CDialerApp::DialogText);

// The layout was drawn for a dialog font of 13 1/3 pixels, whose dialog
// units are 2 pixels; the unit scales with the font's nominal pixel size.
// Qt's own metrics of the substitute font would give a smaller panel.
double DialogUnitFor(int pointSize, double dotsPerInch)
{
    const double pixelSize = pointSize * dotsPerInch / 72.0;
    return pixelSize * 2.0 / (40.0 / 3.0);
}

double ScreenDpi()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->logicalDotsPerInchX() : 96.0;
}

// An "Arial" font whose cell (ascent + descent) is at most cellHeight pixels.
QFont FontForCellHeight(int cellHeight)
{
    QFont font(QStringLiteral("Arial"));
    int pixelSize = cellHeight;
    for (; pixelSize > 1; --pixelSize) {
        font.setPixelSize(pixelSize);
        if (QFontMetrics(font).height() <= cellHeight)
            break;
    }
    font.setPixelSize(pixelSize);
    return font;
}

std::string CreditsText()
{
    return "\r\n\r\n\r\n\r\n\r\n\r\n"
           "(c) 2000 Pelmora team\r\n"
           "pelmora@example.org";
}

std::string VersionText()
{
    return "\r\n\r\n\r\n"
           "For latest version visit:\r\n"
           "pelmora.example.org";
}

} // namespace

CDialerDlg::CDialerDlg(CPlatform& platform, const CDialogLayout& layout, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint)
    , m_platform(platform)
    , m_unit(DialogUnitFor(layout.pointSize, ScreenDpi()))
    , m_dialogFont(layout.fontFace, layout.pointSize)
    , m_script(platform)
    , m_controller(m_script, platform, CreateControls(layout))
    , m_face(QPixmap::fromImage(CMediaCatalogue::Bitmap(Bitmap::Face)))
{
    setFixedSize(
        static_cast<int>(std::lround(layout.width * m_unit)), static_cast<int>(std::lround(layout.height * m_unit)));
    runAboutBox = [this] {
        CAboutDlg about(this);
        about.exec();
    };
    OnInitDialog();
}

CDialerDlg::~CDialerDlg()
{
    qApp->removeEventFilter(this);
}

QRect CDialerDlg::ToPixels(const CDialogControl& control) const
{
    const auto px = [this](int units) { return static_cast<int>(std::lround(units * m_unit)); };
    return {px(control.x), px(control.y), px(control.width), px(control.height)};
}

QWidget* CDialerDlg::Control(int id) const
{
    for (const auto& [controlId, widget] : m_controlsById) {
        if (controlId == id)
            return widget;
    }
    return nullptr;
}

QWidget* CDialerDlg::CreateWidget(const CDialogControl& control)
{
    switch (control.kind) {
    case CDialogControl::Button: {
        auto* button = new CBitmapButton(control.id, this);
        button->setText(control.text);
        return button;
    }
    case CDialogControl::ListBox: {
        auto* list = new QListWidget(this);
        list->setFrameShape(QFrame::NoFrame);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setUniformItemSizes(true);
        // A list outside the tab order (the script list) takes the focus
        // only from a click or from the program.
        if (!(control.flags & CDialogControl::TabStop))
            list->setFocusPolicy(Qt::ClickFocus);
        return list;
    }
    case CDialogControl::Edit: {
        if (control.flags & CDialogControl::MultiLine) {
            auto* edit = new QTextEdit(this);
            edit->setFrameShape(QFrame::NoFrame);
            edit->setReadOnly(true);
            edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            // Lines wider than the field (the help text has some) wrap at
            // word boundaries: without a caret or scroll bar they could not
            // be scrolled into view. The wheel scrolls.
            edit->setLineWrapMode(QTextEdit::WidgetWidth);
            edit->setAcceptRichText(false);
            // Margins of a couple of pixels, as a plain edit field has.
            edit->document()->setDocumentMargin(2);
            // A right-click on the text opens the panel's window menu.
            edit->setContextMenuPolicy(Qt::NoContextMenu);
            return edit;
        }
        auto* display = new CNameEdit(m_platform, this);
        display->setFrame(false);
        display->setReadOnly(true);
        return display;
    }
    case CDialogControl::Animation:
        return new CAnimateCtrl(this);
    case CDialogControl::Static:
        if (control.flags & CDialogControl::Notify)
            return new CTitleBarArea(control.id, m_platform, m_mover, this);
        return new QLabel(control.text, this);
    case CDialogControl::IconStatic:
        break;
    }
    return nullptr;
}

CPanelControls CDialerDlg::CreateControls(const CDialogLayout& layout)
{
    setFont(m_dialogFont);
    // Created in layout order, which is also the tab order.
    for (const CDialogControl& control : layout.controls) {
        if (QWidget* widget = CreateWidget(control)) {
            widget->setGeometry(ToPixels(control));
            widget->setVisible(control.flags & CDialogControl::Visible);
            m_controlsById.emplace_back(control.id, widget);
        }
    }

    CPanelControls c;
    const auto button = [this](int id) { return static_cast<QAbstractButton*>(Control(id)); };
    c.play = button(ControlId::Play);
    c.rec = button(ControlId::Rec);
    c.pause = button(ControlId::Pause);
    c.stop = button(ControlId::Stop);
    c.repeat = button(ControlId::Repeat);
    for (std::size_t i = 0; i < c.keys.size(); ++i)
        c.keys[i] = button(CKeyTable::Rows()[i].controlId);
    c.closeArea = Control(ControlId::CloseArea);
    c.dragBar = Control(ControlId::DragBar);
    c.toggleLamp = Control(ControlId::ToggleLamp);
    c.display = static_cast<CNameEdit*>(Control(ControlId::Display));
    c.lineList = static_cast<QListWidget*>(Control(ControlId::LineList));
    c.scriptList = static_cast<QListWidget*>(Control(ControlId::ScriptList));
    c.infoText = static_cast<QTextEdit*>(Control(ControlId::InfoText));
    c.statusLine = static_cast<QLabel*>(Control(ControlId::StatusLine));
    c.lineCounter = static_cast<QLabel*>(Control(ControlId::LineCounter));
    c.modeBanner = static_cast<CAnimateCtrl*>(Control(ControlId::ModeBanner));
    c.activityLight = static_cast<CAnimateCtrl*>(Control(ControlId::ActivityLight));
    c.introReel = static_cast<CAnimateCtrl*>(Control(ControlId::IntroReel));
    return c;
}

void CDialerDlg::SetUpFonts()
{
    const QFont display = FontForCellHeight(24);
    const QFont status = FontForCellHeight(14);
    const QFont lists = FontForCellHeight(16);
    const CPanelControls& c = m_controller.Controls();
    c.display->setFont(display);
    // The substitute font sets the two longest status texts ("Enter Script
    // Name [ENTER]", "Select Name to Load Script.") 3 pixels wider than the
    // line; a 3 % narrower face keeps the cell height and fits them.
    QFont statusLine = status;
    statusLine.setStretch(97);
    c.statusLine->setFont(statusLine);
    c.infoText->setFont(status);
    c.lineCounter->setFont(lists);
    c.scriptList->setFont(lists);
    c.lineList->setFont(lists);
}

void CDialerDlg::SetUpColours()
{
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, PanelBackground);
    palette.setColor(QPalette::WindowText, PanelText);
    palette.setColor(QPalette::Base, PanelBackground);
    palette.setColor(QPalette::Text, PanelText);
    palette.setColor(QPalette::Disabled, QPalette::Text, PanelText);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, PanelText);
    setPalette(palette);
    const CPanelControls& c = m_controller.Controls();
    for (QWidget* widget : {static_cast<QWidget*>(c.display), static_cast<QWidget*>(c.infoText),
             static_cast<QWidget*>(c.statusLine), static_cast<QWidget*>(c.scriptList),
             static_cast<QWidget*>(c.lineList), static_cast<QWidget*>(c.lineCounter)}) {
        widget->setAutoFillBackground(true);
        widget->setPalette(palette);
    }
}

void CDialerDlg::OnInitDialog()
{
    const CPanelControls& c = m_controller.Controls();
    m_controller.PushTexts();
    CreateWindowMenu();
    setWindowIcon(CMediaCatalogue::Icon());
    setWindowTitle(QStringLiteral("Pelmora"));
    for (QAbstractButton* button : c.keys)
        static_cast<CBitmapButton*>(button)->AutoLoad(button->text());
    for (QAbstractButton* button : {c.play, c.rec, c.stop, c.pause, c.repeat})
        static_cast<CBitmapButton*>(button)->AutoLoad(button->text());
    SetUpFonts();
    SetUpColours();
    c.display->setTextMargins(0, 0, 0, 0);
    m_controller.SetCounterText("000");
    m_controller.SetInfoText(CreditsText());
    m_controller.ApplyLook(CPanelLook::Opening);
    CPanelLook::ShowStill(m_platform, *c.introReel, Clip::IntroReel, 0);
    static_cast<CTitleBarArea*>(c.toggleLamp)->SetPicture(Bitmap::LampSpeaker);
    m_controller.PushTexts();

    m_controller.SetScriptDirectory(CScriptFile::DetectDirectory());

    ConnectControls();
    qApp->installEventFilter(this);
    // The opening sequence waits until the panel is on the screen: the
    // first paint posts it.
    m_introDue = true;
    c.keys[0]->setFocus(); // DIAL1, the first control in the tab order
}

void CDialerDlg::CreateWindowMenu()
{
    // The window manager gives a frameless window no menu of its own.
    m_windowMenu = new QMenu(this);
    QAction* move = m_windowMenu->addAction(QStringLiteral("&Move"));
    move->setData(static_cast<int>(WindowCommand::Move));
    move->setEnabled(CWindowMover::CanMoveFromMenu(QGuiApplication::platformName()));
    m_windowMenu->addAction(QStringLiteral("Mi&nimize"))->setData(static_cast<int>(WindowCommand::Minimize));
    m_windowMenu->addAction(QStringLiteral("&Close"))->setData(static_cast<int>(WindowCommand::Close));
    const QByteArray about = CMediaCatalogue::String(Strings::AboutMenuItem);
    if (!about.isEmpty()) {
        m_windowMenu->addSeparator();
        m_windowMenu->addAction(QString::fromLocal8Bit(about))->setData(static_cast<int>(WindowCommand::About));
    }
}

void CDialerDlg::ConnectControls()
{
    const CPanelControls& c = m_controller.Controls();
    for (const CKeyTableRow& key : CKeyTable::Rows()) {
        connect(m_controller.Keypad().Button(key), &QAbstractButton::clicked, this,
            [this, &key] { m_controller.OnKeyButton(key); });
    }
    connect(c.play, &QAbstractButton::clicked, this, [this] { m_controller.OnPlay(); });
    connect(c.rec, &QAbstractButton::clicked, this, [this] { m_controller.OnRec(); });
    connect(c.stop, &QAbstractButton::clicked, this, [this] { m_controller.OnStop(); });
    connect(c.pause, &QAbstractButton::clicked, this, [this] { m_controller.OnPause(); });
    connect(c.repeat, &QAbstractButton::clicked, this, [this] { m_controller.OnRepeat(); });
    // Selection changes made by the program are blocked where they happen,
    // so this reports the user's own changes only.
    connect(
        c.scriptList, &QListWidget::itemSelectionChanged, this, [this] { m_controller.OnScriptSelectionChanged(); });
    connect(c.scriptList, &QListWidget::itemDoubleClicked, this, [this] { m_controller.OnScriptDoubleClicked(); });
}

bool CDialerDlg::IsKeyForPanel(QObject* watched) const
{
    // A key press is offered to the panel once, when it reaches its first
    // receiver: the focused control of the panel, or the panel itself.
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != this)
        return false;
    QWidget* focus = QApplication::focusWidget();
    return widget == (focus != nullptr ? focus : this);
}

bool CDialerDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (m_waitingForMouse && event->type() == QEvent::MouseMove
        && (watched->isWindowType() || watched->isWidgetType())) {
        // The first mouse movement over any window of the program ends the
        // opening sequence; it is consumed, not dispatched.
        m_waitingForMouse = false;
        EndIntro();
        return true;
    }
    if (event->type() == QEvent::KeyPress && IsKeyForPanel(watched)) {
        const auto& key = *static_cast<QKeyEvent*>(event);
        // Keys with Alt are the window system's: Alt+Space opens the system
        // menu (before a focused button could take the Space), the others
        // bypass the panel's keyboard handling.
        if (key.modifiers().testFlag(Qt::AltModifier)) {
            if (key.key() != Qt::Key_Space)
                return false;
            ShowWindowMenu(mapToGlobal(QPoint(0, 0)));
            return true;
        }
        // The opening sequence dispatches keys without the panel's handling:
        // the numeric keypad does nothing until it has ended.
        if (!m_introRunning)
            m_controller.OnKeyPress(watched, key);
    }
    return QDialog::eventFilter(watched, event);
}

void CDialerDlg::keyPressEvent(QKeyEvent* event)
{
    // Enter never triggers a default action: it never closes the panel.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CDialerDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_face);
    if (m_introDue) {
        // Posted, so that it runs once this paint has reached the screen.
        m_introDue = false;
        QMetaObject::invokeMethod(this, &CDialerDlg::OnIntro, Qt::QueuedConnection);
    }
}

void CDialerDlg::contextMenuEvent(QContextMenuEvent* event)
{
    ShowWindowMenu(event->globalPos());
}

void CDialerDlg::ShowWindowMenu(const QPoint& globalPosition)
{
    if (const QAction* chosen = m_windowMenu->exec(globalPosition))
        RunWindowCommand(static_cast<WindowCommand>(chosen->data().toInt()));
}

void CDialerDlg::RunWindowCommand(WindowCommand command)
{
    switch (command) {
    case WindowCommand::About:
        runAboutBox();
        break;
    case WindowCommand::Move:
        m_mover.BeginMenuMove(QCursor::pos());
        break;
    case WindowCommand::Minimize:
        showMinimized();
        break;
    case WindowCommand::Close:
        close();
        break;
    }
}

void CDialerDlg::done(int result)
{
    // Whatever runs when the panel closes (a playback, the opening
    // sequence) sees the flag at its next step and ends, so that no hidden
    // loop keeps the program alive.
    m_waitingForMouse = false;
    m_controller.SetClosing();
    QDialog::done(result);
}

void CDialerDlg::OnIntro()
{
    if (m_introRunning || m_controller.Closing())
        return;
    m_introDue = false;
    m_introRunning = true;
    const CPanelControls& c = m_controller.Controls();
    c.infoText->repaint();
    m_controller.SetStatusText("...");
    m_controller.ApplyLook(CPanelLook::IntroKeys);
    m_controller.PushTexts();
    m_platform.PlayAnimation(*c.introReel, 0, CAnimateCtrl::LastFrame, 1);
    m_platform.StartClip(Clip::IntroBlips);
    // The keys light up along the rows, alternately left to right and right
    // to left; input waits meanwhile, but Escape closes the panel.
    for (const char character : std::string_view("123654789#0*")) {
        m_controller.Keypad().ShowPressed(character, true);
        m_platform.HoldInput(100);
        m_controller.Keypad().ShowPressed(character, false);
        if (m_controller.Closing()) {
            m_introRunning = false;
            return;
        }
    }
    m_controller.ApplyLook(CPanelLook::IntroDone);
    // Blocks on the event queue; every event but the awaited mouse movement
    // is dispatched as usual. The movement ends the sequence where it is
    // found (see eventFilter), so that the events queued behind it are
    // handled after the sequence, in order, by the panel as usual.
    m_waitingForMouse = true;
    while (m_waitingForMouse && !m_controller.Closing())
        m_platform.WaitForEvents(-1);
    m_waitingForMouse = false;
    m_introRunning = false;
}

void CDialerDlg::EndIntro()
{
    const CPanelControls& c = m_controller.Controls();
    m_platform.OpenAnimation(*c.introReel, 0);
    c.introReel->setVisible(false);
    m_controller.SetStatusText("Load / Record Script");
    c.display->setEnabled(true);
    m_controller.SetInfoText(VersionText());
    c.infoText->setEnabled(true);
    c.infoText->repaint();
    c.infoText->setVisible(true);
    c.infoText->update();
    m_controller.PushTexts();
    m_introRunning = false;
    ShowSoundNotice();
}

void CDialerDlg::ShowSoundNotice()
{
    const std::string reason = m_platform.SoundProblem();
    if (reason.empty())
        return;
    // Not modal: the panel stays usable, and the note can stay open.
    auto* notice
        = new QMessageBox(QMessageBox::Warning, windowTitle(), QString::fromLocal8Bit(reason), QMessageBox::Ok, this);
    notice->setAttribute(Qt::WA_DeleteOnClose);
    notice->setModal(false);
    notice->show();
}
