#pragma once

#include <string>

class CAnimateCtrl;
class CKeypad;
struct CPanelState;

// The look of the panel follows from the document's mode alone:
// RefreshPanel applies the settings of the current mode to every control it
// drives and then pushes the panel texts. Modes without settings (repeat,
// saving, and unknown values) only push the texts.
class CPanelModes {
public:
    static constexpr int LastFrame = 0xFFFF;
    static constexpr int Forever = -1;
    // The line list shows at most this many characters of a line: more
    // than the widest screen holds, few enough to draw a line of any length.
    static constexpr int LineListWidth = 512;

    CPanelModes(CPanelState& panel, CKeypad& keypad);

    void RefreshPanel();
    // Hides the display and the central views, resets the display text to
    // the script name and the status text to the matching hint, and empties
    // the line list. Neither pushes nor refreshes.
    void ResetDisplay();
    // Rebuilds the line list from the document (normalising its lines, each
    // shown up to LineListWidth), sets the counter text and selects the last
    // line. Does not push.
    void FillLineList();
    // While recording, shows the last 12 recorded digits. Does not push.
    void ShowRecordedDigits();

    // "%003d": at least three digits, zero-filled ("007", "1234").
    static std::string FormatCount(int count);

    // Animation requests as the modes and commands write them.
    void PlayForever(CAnimateCtrl& control, int clip);
    void ShowStill(CAnimateCtrl& control, int clip, int frame);

private:
    void RefreshIdle();
    void RefreshPlaying();
    void RefreshRecording();
    void RefreshPaused();
    void RefreshLoading();
    void RefreshInfo();

    CPanelState& m_panel;
    CKeypad& m_keypad;
};
