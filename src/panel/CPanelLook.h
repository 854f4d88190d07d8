#pragma once

#include "panel/PanelMode.h"

#include <optional>

class CAnimateCtrl;

class CKeypad;
class CPlatform;
struct CPanelControls;

// The look of the panel as a table: for each mode, and for the few moments
// that change single controls within a mode, which controls are enabled and
// visible, where the focus goes and what the mode banner and the activity
// lamp show. Apply sets what a row names and leaves the rest as it is.
class CPanelLook {
public:
    enum Look {
        Idle,
        Playing,
        Recording,
        Paused,
        Loading,
        Info,
        Naming, // a recording's name is typed into the display
        ScriptLines, // the line list, not the script list or the help
        Cleared, // the display and the central views hidden
        WaitOver, // PAUSE and REPEAT act only in waits and pauses
        PauseLine, // a pause line lets STOP, PAUSE and REPEAT act
        Opening, // the panel as made, before the opening sequence
        IntroKeys, // the opening sequence lights the keys
        IntroDone,
    };

    // The look of a mode; nothing for the modes that keep the look their
    // command gave the panel (repeat and saving).
    static std::optional<Look> OfMode(PanelMode mode);

    static void Apply(Look look, const CPanelControls& controls, CKeypad& keypad, CPlatform& platform);

    // The animation calls of the panel: a clip looping for ever, or one
    // frame of it standing still (a frame beyond the clip shows its last).
    static void PlayForever(CPlatform& platform, CAnimateCtrl& control, int clip);
    static void ShowStill(CPlatform& platform, CAnimateCtrl& control, int clip, int frame);
};
