#include "panel/CPanelController.h"

#include "document/CDialScript.h"
#include "media/CMediaCatalogue.h"
#include "media/MediaIds.h"
#include "panel/CNameEdit.h"
#include "platform/CAnimateCtrl.h"
#include "platform/CPlatform.h"
#include "playback/CKeyTable.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QSignalBlocker>
#include <QTextEdit>

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace {

constexpr std::size_t DisplayDigits = 12;

QString FromLocal(const std::string& text)
{
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToLocal(const QString& text)
{
    return text.toLocal8Bit().toStdString();
}

// The info text is kept with CR LF line ends; the text widget wants LF.
QString InfoToWidget(const std::string& text)
{
    QString widgetText = FromLocal(text);
    widgetText.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return widgetText;
}

// Selected by the program, so without a selection-change notification.
void SelectFirstBeginningWith(QListWidget* list, const std::string& text)
{
    if (text.empty())
        return;
    const QString prefix = FromLocal(text);
    for (int row = 0; row < list->count(); ++row) {
        if (list->item(row)->text().startsWith(prefix)) {
            const QSignalBlocker blocker(list);
            list->setCurrentRow(row);
            return;
        }
    }
}

std::string SelectedText(const QListWidget* list)
{
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? std::string() : ToLocal(selected.first()->text());
}

} // namespace

CPanelController::CPanelController(CDialScript& script, CPlatform& platform, const CPanelControls& controls)
    : m_script(script)
    , m_platform(platform)
    , m_controls(controls)
{
}

void CPanelController::SetScriptDirectory(const std::string& directory)
{
    m_scriptDirectory = directory;
    m_script.SetDirectory(directory);
}

void CPanelController::ApplyLook(CPanelLook::Look look)
{
    CPanelLook::Apply(look, m_controls, m_keypad, m_platform);
}

void CPanelController::Refresh()
{
    if (const std::optional<CPanelLook::Look> look = CPanelLook::OfMode(m_mode))
        ApplyLook(*look);
    PushTexts();
}

void CPanelController::PushTexts()
{
    const CPanelControls& c = m_controls;
    // Unchanged texts are not set again, so that a push does not reset the
    // caret, selection or scroll position of a control the user works in.
    if (c.statusLine->text() != FromLocal(m_statusText))
        c.statusLine->setText(FromLocal(m_statusText));
    if (c.display->text() != FromLocal(m_displayText))
        c.display->setText(FromLocal(m_displayText));
    const QString info = InfoToWidget(m_infoText);
    if (c.infoText->toPlainText() != info) {
        c.infoText->setPlainText(info);
        c.infoText->selectAll();
        c.infoText->setAlignment(Qt::AlignHCenter);
        QTextCursor cursor = c.infoText->textCursor();
        cursor.clearSelection();
        cursor.movePosition(QTextCursor::Start);
        c.infoText->setTextCursor(cursor);
    }
    if (c.lineCounter->text() != FromLocal(m_counterText))
        c.lineCounter->setText(FromLocal(m_counterText));
    SelectFirstBeginningWith(c.scriptList, m_scriptListSelection);
    SelectFirstBeginningWith(c.lineList, m_lineListSelection);
}

void CPanelController::PullTexts()
{
    const CPanelControls& c = m_controls;
    m_statusText = ToLocal(c.statusLine->text());
    m_displayText = ToLocal(c.display->text());
    QString info = c.infoText->toPlainText();
    info.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    m_infoText = ToLocal(info);
    m_counterText = ToLocal(c.lineCounter->text());
    m_scriptListSelection = SelectedText(c.scriptList);
    m_lineListSelection = SelectedText(c.lineList);
}

std::string CPanelController::FormatCount(int count)
{
    char text[16];
    std::snprintf(text, sizeof text, "%03d", count);
    return text;
}

QStringList CPanelController::ListScripts(const std::string& directory)
{
    const QDir dir(directory.empty() ? QStringLiteral(".") : QFile::decodeName(QByteArray::fromStdString(directory)));
    QStringList names;
    for (const QString& name : dir.entryList(QDir::Files)) {
        // Links count by what they lead to: a pipe or a device would block
        // or never end when loaded.
        std::error_code error;
        if (name.endsWith(QLatin1String(".dsq"), Qt::CaseInsensitive)
            && std::filesystem::is_regular_file(QFile::encodeName(dir.filePath(name)).toStdString(), error))
            names.append(name);
    }
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int order = QString::compare(a, b, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a < b;
    });
    return names;
}

std::string CPanelController::NameOfEntry(const QString& entry)
{
    const std::string name = QFile::encodeName(entry).toStdString();
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

const QListWidgetItem* CPanelController::SelectedEntry() const
{
    // The selection, not the current item: a mouse press makes an entry
    // current before it selects it.
    const QList<QListWidgetItem*> selected = m_controls.scriptList->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

void CPanelController::FillScriptList()
{
    // Filled by the program: no selection-change notification.
    const QSignalBlocker blocker(m_controls.scriptList);
    m_controls.scriptList->clear();
    m_controls.scriptList->addItems(ListScripts(m_scriptDirectory));
    m_controls.scriptList->setCurrentRow(-1);
}

void CPanelController::FillLineList()
{
    QListWidget* list = m_controls.lineList;
    list->clear();
    const int count = m_script.GetLineCount();
    QStringList entries;
    entries.reserve(count);
    for (int i = 0; i < count; ++i) {
        const std::string line = m_script.GetLine(i);
        entries.append(QString::fromLocal8Bit(
            line.data(), std::min(static_cast<qsizetype>(line.size()), qsizetype(LineListWidth))));
    }
    list->addItems(entries);
    m_counterText = FormatCount(count);
    if (count > 0) {
        // The last line as the top line, as far as the list can scroll.
        list->scrollToItem(list->item(count - 1), QAbstractItemView::PositionAtTop);
        list->setCurrentRow(count - 1);
    } else {
        list->setCurrentRow(-1);
        list->scrollToTop();
    }
}

void CPanelController::ResetDisplay()
{
    ApplyLook(CPanelLook::Cleared);
    m_displayText = m_script.GetName();
    m_statusText = m_displayText.empty() ? "Load / Record Script First." : "Play Script / Record New";
    m_controls.lineList->clear();
}

void CPanelController::ShowRecordedDigits()
{
    m_controls.display->setTextMargins(0, 0, 0, 0);
    if (m_mode != PanelMode::Recording)
        return;
    const std::string digits = m_script.GetDigits();
    m_displayText = digits.size() > DisplayDigits ? digits.substr(digits.size() - DisplayDigits) : digits;
}

bool CPanelController::LeaveSideMode()
{
    switch (m_mode) {
    case PanelMode::Saving:
        CancelNameOrChoice("Script Not Saved");
        return true;
    case PanelMode::Loading:
        CancelNameOrChoice("Script Not Loaded");
        return true;
    case PanelMode::Info:
        m_platform.StartClip(Clip::Chime);
        ResetDisplay();
        m_mode = PanelMode::Idle;
        Refresh();
        return true;
    case PanelMode::Repeat:
        ResetDisplay();
        m_mode = PanelMode::Idle;
        m_statusText = "(...)";
        Refresh();
        return true;
    default:
        return false;
    }
}

void CPanelController::OnKeyButton(const CKeyTableRow& key)
{
    if (LeaveSideMode())
        return;
    switch (m_mode) {
    case PanelMode::Idle:
        if (key.character == '*') {
            m_platform.StartClip(Clip::Chime);
            BeginLoad();
        } else if (key.character == '#') {
            m_platform.StartClip(Clip::Chime);
            ShowInfo();
        } else {
            m_platform.StartClip(Clip::NoFunction);
            m_statusText = "(...)";
        }
        Refresh();
        break;
    case PanelMode::Recording:
        RecordLiveKey(&key);
        break;
    case PanelMode::Paused:
        m_keypad.SoundKey(&key);
        Refresh();
        break;
    default:
        Refresh();
        break;
    }
}

void CPanelController::OnKeyPress(QObject* target, const QKeyEvent& event)
{
    if (event.type() != QEvent::KeyPress)
        return;
    if (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter) {
        if (target == m_controls.display && m_mode == PanelMode::Saving)
            CommitSave();
        else if (target == m_controls.scriptList && m_mode == PanelMode::Loading)
            CommitLoad();
        return;
    }
    const CKeyTableRow* key = CKeyTable::FromKeyEvent(event.key(), event.modifiers());
    switch (m_mode) {
    case PanelMode::Idle:
        if (key != nullptr) {
            m_platform.StartClip(Clip::NoFunction);
            ResetDisplay();
        }
        break;
    case PanelMode::Recording:
        RecordLiveKey(key);
        break;
    case PanelMode::Paused:
        m_keypad.SoundKey(key);
        break;
    default:
        break;
    }
}

void CPanelController::RecordLiveKey(const CKeyTableRow* key)
{
    if (!RecordKeyPress(key))
        return;
    m_keypad.SoundKey(key);
    Refresh();
}

void CPanelController::CancelNameOrChoice(const char* status)
{
    m_platform.StartClip(Clip::Refusal);
    ResetDisplay();
    m_script.Clear();
    m_mode = PanelMode::Idle;
    m_displayText.clear();
    m_statusText = status;
    // The display goes back to a read-only field with the default limit, as
    // after a committed save: in idle mode nothing is typed into it.
    EndNameEntry();
    Refresh();
}

void CPanelController::OnRec()
{
    CPanelLook::ShowStill(m_platform, *m_controls.activityLight, Clip::LampFlash, 10);
    m_platform.StartClip(Clip::RecordBeeps);
    m_counterText = "000";
    m_statusText = "...";
    m_displayText.clear();
    m_controls.lineList->clear();
    // The line list shows the newest line while recording.
    m_lineListSelection.clear();
    m_script.NewRecording();
    m_mode = PanelMode::Recording;
    Refresh();
}

void CPanelController::OnStop()
{
    CPanelLook::ShowStill(m_platform, *m_controls.activityLight, Clip::LampFlash, 10);
    if (LeaveSideMode())
        return;
    switch (m_mode) {
    case PanelMode::Idle:
        m_platform.StartClip(Clip::NoFunction);
        m_statusText = "(...)";
        Refresh();
        break;
    case PanelMode::Playing:
    case PanelMode::Paused:
        // The running player sees the idle mode, ends and refreshes.
        Refresh();
        m_platform.StartClip(Clip::StopBeeps);
        m_mode = PanelMode::Idle;
        break;
    case PanelMode::Recording:
        RecordLiveKey(nullptr);
        m_script.RecordKey(CDialScript::EndMarker);
        EndRecording();
        break;
    default:
        break;
    }
}

bool CPanelController::RecordKeyPress(const CKeyTableRow* key)
{
    m_platform.OpenAnimation(*m_controls.activityLight, Clip::LampFlash);
    m_platform.PlayAnimation(*m_controls.activityLight, 0, CAnimateCtrl::LastFrame, 1);
    const bool full = key != nullptr && !m_script.RecordKey(key->character);
    ShowRecordedDigits();
    FillLineList();
    if (full)
        EndRecording();
    return !full;
}

void CPanelController::EndRecording()
{
    m_platform.StopAnimation(*m_controls.activityLight);
    m_platform.OpenAnimation(*m_controls.activityLight, 0);
    if (m_script.GetLineCount() >= 1) {
        BeginSave();
        return;
    }
    m_platform.StartClip(Clip::Refusal);
    m_statusText = "Script Not Recorded.";
    m_displayText.clear();
    EndNameEntry();
    m_script.SetName(std::string());
    ShowScriptIdle();
}

void CPanelController::EndNameEntry()
{
    m_controls.display->setReadOnly(true);
    m_controls.display->SetTextLimit(CNameEdit::DefaultLimit);
}

void CPanelController::ShowScriptIdle()
{
    m_mode = PanelMode::Idle;
    ApplyLook(CPanelLook::ScriptLines);
    FillLineList();
    Refresh();
}

void CPanelController::OnPause()
{
    m_platform.StartClip(Clip::PauseBeep);
    if (m_mode == PanelMode::Paused) {
        m_mode = m_prePauseMode;
        m_statusText = "...";
        m_keypad.SetEnabled(false);
    } else {
        m_prePauseMode = m_mode;
        m_mode = PanelMode::Paused;
        CPanelLook::ShowStill(m_platform, *m_controls.activityLight, Clip::LampFlash, 0);
        m_statusText = "Press PAUSE to continue";
        m_keypad.SetEnabled(true);
    }
    Refresh();
}

void CPanelController::OnRepeat()
{
    CPanelLook::ShowStill(m_platform, *m_controls.modeBanner, Clip::BannerStills, 0);
    m_mode = PanelMode::Repeat;
}

void CPanelController::BeginSave()
{
    const CPanelControls& c = m_controls;
    m_platform.StartClip(Clip::Chime);
    m_mode = PanelMode::Saving;
    FillScriptList();
    ApplyLook(CPanelLook::Naming);
    m_statusText = "Enter Script Name [ENTER]";
    m_displayText = m_script.GetName();
    PushTexts();
    // Typing replaces the proposed name.
    c.display->SetTextLimit(CNameEdit::NameLimit);
    c.display->setReadOnly(false);
    c.display->setFocus();
    c.display->selectAll();
}

void CPanelController::CommitSave()
{
    const CPanelControls& c = m_controls;
    PullTexts();
    CPanelLook::ShowStill(m_platform, *c.modeBanner, Clip::BannerStills, 6);
    m_platform.PlayClip(Clip::ConfirmBuzz);
    m_script.SetName(m_displayText.empty() ? CDialScript::DefaultName : m_displayText);
    if (!m_script.Save()) {
        // Nothing is lost: the recording and the typed name stay, and the
        // user can try another name or cancel.
        m_platform.StartClip(Clip::Refusal);
        CPanelLook::ShowStill(m_platform, *c.modeBanner, Clip::BannerStills, 5);
        m_statusText = "Script Not Saved";
        PushTexts();
        c.display->setFocus();
        return;
    }
    EndNameEntry();
    c.display->deselect();
    m_statusText = "...";
    ShowScriptIdle();
}

void CPanelController::BeginLoad()
{
    m_mode = PanelMode::Loading;
    ChooseFromFreshList("Select Name to Load Script.");
}

void CPanelController::ChooseFromFreshList(const char* status)
{
    FillScriptList();
    {
        // Selecting the first entry is not a selection change: the display
        // keeps its text until the user moves the selection.
        const QSignalBlocker blocker(m_controls.scriptList);
        if (m_controls.scriptList->count() > 0)
            m_controls.scriptList->setCurrentRow(0);
    }
    m_controls.scriptList->setFocus();
    m_statusText = status;
    Refresh();
}

void CPanelController::CommitLoad()
{
    const QListWidgetItem* entry = SelectedEntry();
    if (entry == nullptr) {
        m_statusText = "No Script (*.dsq) !";
        PushTexts();
        return;
    }
    const QString fileName = entry->text();
    CPanelLook::ShowStill(m_platform, *m_controls.modeBanner, Clip::BannerStills, 4);
    m_platform.PlayClip(Clip::ConfirmBuzz);
    if (!m_script.Load(m_scriptDirectory + QFile::encodeName(fileName).toStdString())) {
        // The file vanished or cannot be read: the document stays as it was
        // and the user chooses again from a fresh list.
        m_platform.StartClip(Clip::Refusal);
        ChooseFromFreshList("Script Not Loaded");
        return;
    }
    m_displayText = NameOfEntry(fileName);
    m_statusText = "...";
    m_script.SetName(m_displayText);
    ShowScriptIdle();
}

void CPanelController::OnScriptSelectionChanged()
{
    PullTexts();
    const QListWidgetItem* entry = SelectedEntry();
    if (entry == nullptr)
        m_statusText = "No Script (*.dsq) !";
    else
        m_displayText = NameOfEntry(entry->text());
    PushTexts();
}

void CPanelController::OnScriptDoubleClicked()
{
    PullTexts();
    if (m_mode == PanelMode::Saving)
        CommitSave();
    else if (m_mode == PanelMode::Loading)
        CommitLoad();
}

void CPanelController::ShowInfo()
{
    m_statusText = "...";
    m_infoText = CMediaCatalogue::String(Strings::HelpText).toStdString();
    m_controls.infoText->setVisible(true);
    m_controls.infoText->setFocus();
    m_mode = PanelMode::Info;
}

void CPanelController::OnPlay()
{
    if (m_script.GetName().empty()) {
        m_platform.StartClip(Clip::Refusal);
        m_statusText = "No Script Loaded";
        m_displayText.clear();
        Refresh();
        return;
    }
    if (m_script.GetLineCount() == 0) {
        m_platform.StartClip(Clip::Refusal);
        m_script.SetName(std::string());
        m_statusText = "This Script is Empty";
        m_displayText.clear();
        Refresh();
        return;
    }

    m_mode = PanelMode::Playing;
    // The line list follows the line being played, not a selection the
    // panel carried from before.
    m_lineListSelection.clear();
    FillLineList();
    m_displayText = CScriptPlayer::LinePreview(m_script, 0);
    m_counterText = "000";
    m_statusText = "...";
    Refresh();
    m_platform.ProcessEvents();
    m_player.Play(m_script, m_scriptDirectory, *this);
}

CPlaybackHost::Request CPanelController::PendingRequest()
{
    if (m_closing)
        return Request::Close;
    switch (m_mode) {
    case PanelMode::Playing:
        return Request::Play;
    case PanelMode::Paused:
        return Request::Pause;
    case PanelMode::Repeat:
        return Request::Repeat;
    default:
        // STOP has left the playing modes, and maybe the user has gone on
        // to load a script or read the help.
        return Request::Stop;
    }
}

void CPanelController::RepeatTaken()
{
    m_mode = PanelMode::Playing;
}

void CPanelController::PauseLineReached()
{
    ApplyLook(CPanelLook::PauseLine);
    OnPause();
}

void CPanelController::LineStarted(int position, int lineNumber, const std::optional<std::string>& preview)
{
    m_counterText = FormatCount(lineNumber);
    if (preview)
        m_displayText = *preview;
    QListWidget* list = m_controls.lineList;
    if (QListWidgetItem* item = list->item(position)) {
        list->scrollToItem(item, QAbstractItemView::PositionAtTop);
        list->setCurrentRow(position);
    }
}

void CPanelController::NoteShown(const std::string& text)
{
    m_displayText = text;
}

void CPanelController::KeySounding(char key, bool sounding)
{
    m_keypad.ShowPressed(key, sounding);
}

void CPanelController::ActivityChanged(Activity activity)
{
    switch (activity) {
    case Activity::Dialling:
        // Frame 10 lies beyond the flash clip: the lamp shows its last frame.
        CPanelLook::ShowStill(m_platform, *m_controls.activityLight, Clip::LampFlash, 10);
        break;
    case Activity::Waiting:
        CPanelLook::PlayForever(m_platform, *m_controls.activityLight, Clip::LampCycle);
        Refresh();
        break;
    case Activity::WaitOver:
        ApplyLook(CPanelLook::WaitOver);
        break;
    case Activity::SoundingFile:
        Refresh();
        break;
    }
}

void CPanelController::Ended(Outcome outcome, int)
{
    if (outcome == Outcome::Stopped && m_mode == PanelMode::Idle)
        m_statusText = "Script Aborted.";
    if (outcome == Outcome::SoundNotFound) {
        // Fits the status line, as every status text must.
        m_platform.StartClip(Clip::Refusal);
        m_statusText = "Stopped: Sound Not Found";
    }
    // A closed panel is left alone, and so is one the user has taken on to
    // load a script or read the help after STOP.
    if (m_closing || m_mode == PanelMode::Loading || m_mode == PanelMode::Info)
        return;
    m_displayText = m_script.GetName();
    m_mode = PanelMode::Idle;
    Refresh();
}
