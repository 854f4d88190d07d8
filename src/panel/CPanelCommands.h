#pragma once

#include "document/DialMode.h"

#include <QStringList>

#include <string>

class CKeypad;
class CPanelModes;
class QKeyEvent;
class QListWidgetItem;
class QObject;
struct CKeyTableRow;
struct CPanelState;

// Everything the user does on the panel apart from PLAY: the twelve keys,
// REC, STOP, PAUSE, REPEAT, the numeric keypad and Enter, the script list
// and the naming of a recording. Each handler changes the mode, the document
// and the panel texts, plays a short clip and, as a rule, refreshes the
// panel. While a script plays these handlers run from inside the player's
// event pump and steer it only through the mode.
class CPanelCommands {
public:
    CPanelCommands(CPanelState& panel, CPanelModes& modes, CKeypad& keypad);

    // A keypad button (or REC's or STOP's id) by the current mode.
    void OnKey(int id);
    // Sees every key press addressed to a control of the panel before the
    // control does. Returns true when the press is consumed; the panel
    // consumes none, so every key goes on to its control.
    bool PreTranslateMessage(QObject* target, const QKeyEvent& event);

    void OnRec();
    void OnStop();
    // The pause toggle of the PAUSE button and of pause script lines.
    void OnPause();
    void OnRepeat();

    void BeginSave();
    void CommitSave();
    void BeginLoad();
    void CommitLoad();
    void OnSelchangeScriptList();
    void OnDblclkScriptList();
    void ShowInfo();

    // The script files of a directory ("" is the working directory): regular
    // files (links followed) whose names end in ".dsq" in any case, sorted
    // without regard to case as the list shows them.
    static QStringList ListScripts(const std::string& directory);

private:
    // Records a key pressed while recording (nullptr: a key that is none)
    // and shows it. Returns false when the key filled the recording, which
    // has then gone on to naming as after STOP.
    bool RecordKeyPress(const CKeyTableRow* key);
    // After the last key: naming when lines were recorded, else idle.
    void EndRecording();
    void FillScriptList();
    // The display becomes a read-only field with the default limit again.
    void EndNameEntry();
    // Idle mode with the document's lines in the line list: the end of a
    // save, a load or an empty recording.
    void ShowScriptIdle();
    // The selected entry of the script list, nullptr when none is.
    const QListWidgetItem* SelectedEntry() const;
    // Fills the script list afresh, selects its first entry, focuses it,
    // sets the status text and refreshes the loading look.
    void ChooseFromFreshList(const char* status);
    void CancelNameOrChoice(const char* status);
    // The entry up to, not including, its last '.'.
    static std::string NameOfEntry(const QString& entry);

    CPanelState& m_panel;
    CPanelModes& m_modes;
    CKeypad& m_keypad;
    // The mode that PAUSE interrupted; meaningful only while paused.
    DialMode m_prePauseMode = ModeIdle;
};
