#pragma once

class QAbstractButton;
struct CKeyTableRow;
struct CPanelState;

// The twelve key buttons as a group: sounding a key live, sending a key from
// a script with its button shown pressed, and enabling or disabling them.
class CKeypad {
public:
    explicit CKeypad(CPanelState& panel);

    // Starts the key's tone in the background, cutting off whatever sounds;
    // the button is not touched. A null key sounds nothing.
    void SoundKey(const CKeyTableRow* key);
    // Draws the key's button pressed or released at once: the thread
    // blocks while the key's tone sounds.
    void ShowPressed(char character, bool pressed);
    // The button of a key of the key table.
    QAbstractButton* Button(const CKeyTableRow& key) const;
    void EnableKeypad();
    void DisableKeypad();

private:
    void SetKeypadEnabled(bool enabled);

    CPanelState& m_panel;
};
