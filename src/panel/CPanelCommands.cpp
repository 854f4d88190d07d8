#include "panel/CPanelCommands.h"

#include "document/CDialScript.h"
#include "media/CMediaCatalogue.h"
#include "panel/CNameEdit.h"
#include "panel/CPanelModes.h"
#include "panel/CPanelState.h"
#include "platform/CPlatform.h"
#include "playback/CKeyTable.h"
#include "playback/CKeypad.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QListWidget>
#include <QSignalBlocker>
#include <QTextEdit>

#include <algorithm>
#include <filesystem>

CPanelCommands::CPanelCommands(CPanelState& panel, CPanelModes& modes, CKeypad& keypad)
    : m_panel(panel)
    , m_modes(modes)
    , m_keypad(keypad)
{
}

QStringList CPanelCommands::ListScripts(const std::string& directory)
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

std::string CPanelCommands::NameOfEntry(const QString& entry)
{
    const std::string name = QFile::encodeName(entry).toStdString();
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

const QListWidgetItem* CPanelCommands::SelectedEntry() const
{
    // The selection, not the current item: a mouse press makes an entry
    // current before it selects it.
    const QList<QListWidgetItem*> selected = m_panel.controls.scriptList->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

void CPanelCommands::FillScriptList()
{
    // Filled by the program: no selection-change notification.
    const QSignalBlocker blocker(m_panel.controls.scriptList);
    m_panel.controls.scriptList->clear();
    m_panel.controls.scriptList->addItems(ListScripts(m_panel.scriptDirectory));
    m_panel.controls.scriptList->setCurrentRow(-1);
}

void CPanelCommands::OnKey(int id)
{
    CPanelControls& c = m_panel.controls;
    const CKeyTableRow* key = CKeyTable::FromControlId(id);
    switch (m_panel.script.GetMode()) {
    case ModeIdle:
        if (key != nullptr && key->character == '*') {
            m_panel.platform.StartClip(Clip::Chime);
            BeginLoad();
        } else if (key != nullptr && key->character == '#') {
            m_panel.platform.StartClip(Clip::Chime);
            ShowInfo();
        } else if (id == ControlId::Rec) {
            c.lineList->clear();
            m_panel.script.NewRecording();
        } else {
            m_panel.platform.StartClip(Clip::NoFunction);
            m_panel.statusText = "(...)";
        }
        m_modes.RefreshPanel();
        break;
    case ModePlaying:
        m_modes.RefreshPanel();
        break;
    case ModeRecording:
        if (!RecordKeyPress(key))
            break;
        [[fallthrough]];
    case ModePaused:
        m_keypad.SoundKey(key);
        m_modes.RefreshPanel();
        break;
    case ModeSaving:
        CancelNameOrChoice("Script Not Saved");
        break;
    case ModeLoading:
        CancelNameOrChoice("Script Not Loaded");
        break;
    case ModeInfo:
        m_panel.platform.StartClip(Clip::Chime);
        m_modes.ResetDisplay();
        m_panel.script.SetMode(ModeIdle);
        m_modes.RefreshPanel();
        break;
    default:
        m_modes.ResetDisplay();
        m_panel.script.SetMode(ModeIdle);
        m_panel.statusText = "(...)";
        m_modes.RefreshPanel();
        break;
    }
}

void CPanelCommands::CancelNameOrChoice(const char* status)
{
    m_panel.platform.StartClip(Clip::Refusal);
    m_modes.ResetDisplay();
    m_panel.script.Clear();
    m_panel.displayText.clear();
    m_panel.statusText = status;
    // The display goes back to a read-only field with the default limit, as
    // after a committed save: in idle mode nothing is typed into it.
    EndNameEntry();
    m_modes.RefreshPanel();
}

bool CPanelCommands::PreTranslateMessage(QObject* target, const QKeyEvent& event)
{
    if (event.type() != QEvent::KeyPress)
        return false;
    const DialMode mode = m_panel.script.GetMode();
    if (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter) {
        if (target == m_panel.controls.display && mode == ModeSaving)
            CommitSave();
        else if (target == m_panel.controls.scriptList && mode == ModeLoading)
            CommitLoad();
        return false;
    }
    const CKeyTableRow* key = CKeyTable::FromKeyEvent(event.key(), event.modifiers());
    switch (mode) {
    case ModeIdle:
        if (key != nullptr) {
            m_panel.platform.StartClip(Clip::NoFunction);
            m_modes.ResetDisplay();
        }
        break;
    case ModeRecording:
        if (RecordKeyPress(key)) {
            m_modes.RefreshPanel();
            m_keypad.SoundKey(key);
        }
        break;
    case ModePaused:
        m_keypad.SoundKey(key);
        break;
    default:
        break;
    }
    return false;
}

void CPanelCommands::OnRec()
{
    CPanelControls& c = m_panel.controls;
    m_modes.ShowStill(*c.activityLight, Clip::LampFlash, 10);
    m_panel.platform.StartClip(Clip::RecordBeeps);
    m_panel.counterText = "000";
    m_panel.statusText = "...";
    m_panel.displayText.clear();
    c.lineList->clear();
    // The line list shows the newest line while recording.
    m_panel.lineListSelection.clear();
    m_panel.script.SetMode(ModeIdle);
    OnKey(ControlId::Rec);
    c.stop->setFocus();
}

void CPanelCommands::OnStop()
{
    CPanelControls& c = m_panel.controls;
    m_modes.ShowStill(*c.activityLight, Clip::LampFlash, 10);
    OnKey(ControlId::Stop);
    switch (m_panel.script.GetMode()) {
    case ModePlaying:
    case ModePaused:
        // The running player sees the idle mode, ends and refreshes.
        m_panel.platform.StartClip(Clip::StopBeeps);
        m_panel.script.SetMode(ModeIdle);
        break;
    case ModeRecording:
        m_panel.script.RecordKey(CDialScript::EndMarker);
        EndRecording();
        break;
    default:
        break;
    }
}

bool CPanelCommands::RecordKeyPress(const CKeyTableRow* key)
{
    CPanelControls& c = m_panel.controls;
    m_panel.platform.OpenAnimation(*c.activityLight, Clip::LampFlash);
    m_panel.platform.PlayAnimation(*c.activityLight, 0, CPanelModes::LastFrame, 1);
    const bool full = key != nullptr && !m_panel.script.RecordKey(key->character);
    m_modes.ShowRecordedDigits();
    m_modes.FillLineList();
    if (full)
        EndRecording();
    return !full;
}

void CPanelCommands::EndRecording()
{
    CPanelControls& c = m_panel.controls;
    m_panel.platform.StopAnimation(*c.activityLight);
    m_panel.platform.OpenAnimation(*c.activityLight, 0);
    if (m_panel.script.GetLineCount() >= 1) {
        BeginSave();
        return;
    }
    m_panel.platform.StartClip(Clip::Refusal);
    m_panel.statusText = "Script Not Recorded.";
    m_panel.displayText.clear();
    EndNameEntry();
    m_panel.script.SetName(std::string());
    ShowScriptIdle();
}

void CPanelCommands::EndNameEntry()
{
    m_panel.controls.display->setReadOnly(true);
    m_panel.controls.display->SetTextLimit(CNameEdit::DefaultLimit);
}

void CPanelCommands::ShowScriptIdle()
{
    CPanelControls& c = m_panel.controls;
    m_panel.script.SetMode(ModeIdle);
    c.lineList->setVisible(true);
    c.scriptList->setVisible(false);
    c.infoText->setVisible(false);
    m_modes.FillLineList();
    m_modes.RefreshPanel();
}

void CPanelCommands::OnPause()
{
    m_panel.platform.StartClip(Clip::PauseBeep);
    if (m_panel.script.GetMode() == ModePaused) {
        m_panel.script.SetMode(m_prePauseMode);
        m_panel.statusText = "...";
        m_keypad.DisableKeypad();
    } else {
        m_prePauseMode = m_panel.script.GetMode();
        m_panel.script.SetMode(ModePaused);
        m_modes.ShowStill(*m_panel.controls.activityLight, Clip::LampFlash, 0);
        m_panel.statusText = "Press PAUSE to continue";
        m_keypad.EnableKeypad();
    }
    m_modes.RefreshPanel();
}

void CPanelCommands::OnRepeat()
{
    m_modes.ShowStill(*m_panel.controls.modeBanner, Clip::BannerStills, 0);
    m_panel.script.SetMode(ModeRepeat);
}

void CPanelCommands::BeginSave()
{
    CPanelControls& c = m_panel.controls;
    m_modes.ShowStill(*c.modeBanner, Clip::BannerStills, 5);
    m_panel.platform.StartClip(Clip::Chime);
    m_panel.script.SetMode(ModeSaving);
    FillScriptList();
    c.play->setEnabled(false);
    c.rec->setEnabled(false);
    c.pause->setEnabled(false);
    c.repeat->setEnabled(false);
    c.lineList->setVisible(false);
    c.scriptList->setVisible(true);
    c.infoText->setVisible(false);
    m_panel.statusText = "Enter Script Name [ENTER]";
    m_panel.displayText = m_panel.script.GetName();
    m_panel.PushTexts();
    // Typing replaces the proposed name.
    c.display->SetTextLimit(CNameEdit::NameLimit);
    c.display->setReadOnly(false);
    c.display->setFocus();
    c.display->selectAll();
}

void CPanelCommands::CommitSave()
{
    CPanelControls& c = m_panel.controls;
    m_panel.PullTexts();
    m_modes.ShowStill(*c.modeBanner, Clip::BannerStills, 6);
    m_panel.platform.PlayClip(Clip::ConfirmBuzz);
    const std::string name = m_panel.displayText.empty() ? CDialScript::DefaultName : m_panel.displayText;
    m_panel.script.SetName(name);
    if (!m_panel.script.Save()) {
        // Nothing is lost: the recording and the typed name stay, and the
        // user can try another name or cancel.
        m_panel.platform.StartClip(Clip::Refusal);
        m_modes.ShowStill(*c.modeBanner, Clip::BannerStills, 5);
        m_panel.statusText = "Script Not Saved";
        m_panel.PushTexts();
        c.display->setFocus();
        return;
    }
    EndNameEntry();
    c.display->deselect();
    m_panel.statusText = "...";
    ShowScriptIdle();
}

void CPanelCommands::BeginLoad()
{
    m_panel.script.SetMode(ModeLoading);
    ChooseFromFreshList("Select Name to Load Script.");
}

void CPanelCommands::ChooseFromFreshList(const char* status)
{
    FillScriptList();
    {
        // Selecting the first entry is not a selection change: the display
        // keeps its text until the user moves the selection.
        const QSignalBlocker blocker(m_panel.controls.scriptList);
        if (m_panel.controls.scriptList->count() > 0)
            m_panel.controls.scriptList->setCurrentRow(0);
    }
    m_panel.controls.scriptList->setFocus();
    m_panel.statusText = status;
    m_modes.RefreshPanel();
}

void CPanelCommands::CommitLoad()
{
    CPanelControls& c = m_panel.controls;
    const QListWidgetItem* entry = SelectedEntry();
    if (entry == nullptr) {
        m_panel.statusText = "No Script (*.dsq) !";
        m_panel.PushTexts();
        return;
    }
    const QString fileName = entry->text();
    m_modes.ShowStill(*c.modeBanner, Clip::BannerStills, 4);
    m_panel.platform.PlayClip(Clip::ConfirmBuzz);
    if (!m_panel.script.Load(m_panel.scriptDirectory + QFile::encodeName(fileName).toStdString())) {
        // The file vanished or cannot be read: the document stays as it was
        // and the user chooses again from a fresh list.
        m_panel.platform.StartClip(Clip::Refusal);
        ChooseFromFreshList("Script Not Loaded");
        return;
    }
    m_panel.displayText = NameOfEntry(fileName);
    m_panel.statusText = "...";
    m_panel.script.SetName(m_panel.displayText);
    ShowScriptIdle();
}

void CPanelCommands::OnSelchangeScriptList()
{
    m_panel.PullTexts();
    const QListWidgetItem* entry = SelectedEntry();
    if (entry == nullptr)
        m_panel.statusText = "No Script (*.dsq) !";
    else
        m_panel.displayText = NameOfEntry(entry->text());
    m_panel.PushTexts();
}

void CPanelCommands::OnDblclkScriptList()
{
    m_panel.PullTexts();
    if (m_panel.script.GetMode() == ModeSaving)
        CommitSave();
    else if (m_panel.script.GetMode() == ModeLoading)
        CommitLoad();
}

void CPanelCommands::ShowInfo()
{
    m_panel.statusText = "...";
    m_panel.infoText = CMediaCatalogue::String(Strings::HelpText).toStdString();
    m_panel.controls.infoText->setVisible(true);
    m_panel.controls.infoText->setFocus();
    m_panel.script.SetMode(ModeInfo);
}
