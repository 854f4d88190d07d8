#pragma once

// How the parts fit. The window (shell/CDialerDlg) builds the controls from
// the layout, paints the face and routes every click and key press here.
// The controller alone changes the panel's mode and its texts: each command
// has a handler, which works on the script document (document/CDialScript),
// sounds a clip through the platform (platform/CPlatform), and gives the
// panel the look of its mode from one table (CPanelLook). PLAY hands the
// script to the player (playback/CScriptPlayer), which knows the panel only
// as a CPlaybackHost: it reads STOP, PAUSE and REPEAT as requests made from
// the mode, and the controller shows the lines, keys and lamp it reports.
// The player runs inside PLAY's click handler; the other handlers run from
// inside it whenever it lets the platform process events.

#include "panel/CKeypad.h"
#include "panel/CPanelControls.h"
#include "panel/CPanelLook.h"
#include "panel/PanelMode.h"
#include "playback/CPlaybackHost.h"
#include "playback/CScriptPlayer.h"

#include <QStringList>

#include <string>

class CDialScript;
class CPlatform;
class QKeyEvent;
class QListWidgetItem;
class QObject;
struct CKeyTableRow;

class CPanelController : public CPlaybackHost {
public:
    // The line list shows at most this many characters of a line: more
    // than the widest screen holds, few enough to draw a line of any length.
    static constexpr int LineListWidth = 512;

    CPanelController(CDialScript& script, CPlatform& platform, const CPanelControls& controls);

    // The commands.
    void OnPlay();
    void OnRec();
    void OnStop();
    // The pause toggle of the PAUSE button and of pause script lines.
    void OnPause();
    void OnRepeat();
    // A click on one of the twelve key buttons.
    void OnKeyButton(const CKeyTableRow& key);
    // Sees every key press addressed to a control of the panel before the
    // control does; the control still gets the key afterwards.
    void OnKeyPress(QObject* target, const QKeyEvent& event);
    // The user's own selection changes and double clicks in the script list.
    void OnScriptSelectionChanged();
    void OnScriptDoubleClicked();
    void BeginLoad();
    void CommitLoad();

    // The panel is being closed: a running playback ends.
    void SetClosing() { m_closing = true; }
    bool Closing() const { return m_closing; }
    PanelMode Mode() const { return m_mode; }
    const CPanelControls& Controls() const { return m_controls; }
    CKeypad& Keypad() { return m_keypad; }
    const std::string& ScriptDirectory() const { return m_scriptDirectory; }
    void SetScriptDirectory(const std::string& directory);

    // For the opening sequence, which runs before any command.
    void ApplyLook(CPanelLook::Look look);
    void SetStatusText(const std::string& text) { m_statusText = text; }
    void SetInfoText(const std::string& text) { m_infoText = text; }
    void SetCounterText(const std::string& text) { m_counterText = text; }
    // Writes the texts into the status line, the display, the info text and
    // the line counter, and selects in each list the first entry that
    // begins with its selection text (an empty text, or one that no entry
    // begins with, leaves the list's selection as it is).
    void PushTexts();

    // Rebuilds the line list from the document (normalising its lines, each
    // shown up to LineListWidth), sets the counter text and selects the last
    // line. Does not push.
    void FillLineList();

    // "%003d": at least three digits, zero-filled ("007", "1234").
    static std::string FormatCount(int count);
    // The script files of a directory ("" is the working directory): regular
    // files (links followed) whose names end in ".dsq" in any case, sorted
    // without regard to case as the list shows them.
    static QStringList ListScripts(const std::string& directory);

    // CPlaybackHost: the player's view of the panel.
    Request PendingRequest() override;
    void RepeatTaken() override;
    void PauseLineReached() override;
    void LineStarted(int position, int lineNumber, const std::optional<std::string>& preview) override;
    void NoteShown(const std::string& text) override;
    void KeySounding(char key, bool sounding) override;
    void ActivityChanged(Activity activity) override;
    void Ended(Outcome outcome, int position) override;

private:
    // Applies the look of the current mode (none for repeat and saving)
    // and pushes the texts.
    void Refresh();
    // Reads the texts back from their controls, and the selection texts
    // from the selected entries (empty when none is selected).
    void PullTexts();

    // STOP and the keys while naming, choosing, reading the help or with a
    // REPEAT pending: back to idle. Returns false in the other modes.
    bool LeaveSideMode();
    // A key pressed while recording (nullptr: a key that is none): recorded,
    // shown and sounded.
    void RecordLiveKey(const CKeyTableRow* key);
    // Records the key and shows it. Returns false when the key filled the
    // recording, which has then gone on to naming as after STOP.
    bool RecordKeyPress(const CKeyTableRow* key);
    // After the last key: naming when lines were recorded, else idle.
    void EndRecording();
    void BeginSave();
    void CommitSave();
    void ShowInfo();
    void FillScriptList();
    // The display becomes a read-only field with the default limit again.
    void EndNameEntry();
    // Idle mode with the document's lines in the line list: the end of a
    // save, a load or an empty recording.
    void ShowScriptIdle();
    // Fills the script list afresh, selects its first entry, focuses it,
    // sets the status text and refreshes the loading look.
    void ChooseFromFreshList(const char* status);
    void CancelNameOrChoice(const char* status);
    // Hides the display and the central views, resets the display text to
    // the script name and the status text to the matching hint, and empties
    // the line list. Neither pushes nor refreshes.
    void ResetDisplay();
    // While recording, shows the last 12 recorded digits. Does not push.
    void ShowRecordedDigits();
    // The selected entry of the script list, nullptr when none is.
    const QListWidgetItem* SelectedEntry() const;
    // The entry up to, not including, its last '.'.
    static std::string NameOfEntry(const QString& entry);

    CDialScript& m_script;
    CPlatform& m_platform;
    const CPanelControls m_controls;
    CKeypad m_keypad{m_controls, m_platform};
    CScriptPlayer m_player{m_platform};

    PanelMode m_mode = PanelMode::Idle;
    // The mode that PAUSE interrupted; meaningful only while paused.
    PanelMode m_prePauseMode = PanelMode::Idle;
    bool m_closing = false;
    std::string m_scriptDirectory;

    // 8-bit strings in the locale's encoding, like every string the document
    // holds; they become QStrings only at the widgets, when pushed.
    std::string m_statusText;
    std::string m_displayText;
    std::string m_infoText;
    std::string m_counterText;
    // Exchanged with the selections of the script list and the line list,
    // so that the script list opens again on the script last chosen.
    std::string m_scriptListSelection;
    std::string m_lineListSelection;
};
