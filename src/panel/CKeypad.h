#pragma once

#include "panel/CPanelControls.h"

class CPlatform;
class QAbstractButton;
struct CKeyTableRow;

// The twelve key buttons as a group: sounding a key live, drawing a key
// pressed while a script sounds it, and enabling or disabling them.
class CKeypad {
public:
    CKeypad(const CPanelControls& controls, CPlatform& platform);

    // Starts the key's tone in the background, cutting off whatever sounds;
    // the button is not touched. A null key sounds nothing.
    void SoundKey(const CKeyTableRow* key);
    // Draws the key's button pressed or released at once: the thread
    // blocks while the key's tone sounds.
    void ShowPressed(char character, bool pressed);
    // The button of a key of the key table.
    QAbstractButton* Button(const CKeyTableRow& key) const;
    void SetEnabled(bool enabled);

private:
    const CPanelControls& m_controls;
    CPlatform& m_platform;
};
