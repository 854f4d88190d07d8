#pragma once

#include "panel/CPanelControls.h"

#include <string>

class CDialScript;
class CPlatform;

// What every operation of the panel works on: the document, the platform,
// the controls, the four panel texts and the panel's copy of the script
// directory. The texts reach their controls only when pushed; operations
// change them and rely on a push, their own or a later one.
struct CPanelState {
    CPanelState(CDialScript& script, CPlatform& platform, const CPanelControls& controls)
        : script(script)
        , platform(platform)
        , controls(controls)
    {
    }

    // Writes the four texts into the status line, the display, the info text
    // and the line counter, and selects in each list the first entry that
    // begins with its selection text (an empty text, or one that no entry
    // begins with, leaves the list's selection as it is).
    void PushTexts();
    // Reads the four texts back from their controls, and the selection
    // texts from the selected entries (empty when none is selected).
    void PullTexts();

    CDialScript& script;
    CPlatform& platform;
    CPanelControls controls;

    // 8-bit strings in the locale's encoding, like every string the document
    // holds; they become QStrings only at the widgets.
    std::string statusText;
    std::string displayText;
    std::string infoText;
    std::string counterText;
    // Exchanged with the selections of the script list and the line list,
    // so that the script list opens again on the script last chosen.
    std::string scriptListSelection;
    std::string lineListSelection;

    std::string scriptDirectory;
    // Set when the panel is being closed: a running playback ends.
    bool closing = false;
};
