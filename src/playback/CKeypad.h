#pragma once

class QAbstractButton;
struct CKeyTableRow;
struct CPanelState;

// The twelve key buttons as a group: sounding a key live, sending a key from
// a script with its button shown pressed, and enabling or disabling them.
class CKeypad {
public:
    // Silence kept after each key a script sends. Without it, repeated
    // digits ("555") reach the line as one long tone and a receiver reads a
    // single key.
    static constexpr int InterKeyGapMs = 70;

    explicit CKeypad(CPanelState& panel);

    // Starts the key's tone in the background, cutting off whatever sounds;
    // the button is not touched. A null key sounds nothing.
    void SoundKey(const CKeyTableRow* key);
    // Sends one key of a script: its button is drawn pressed for exactly the
    // length of the tone (the tone blocks), then released, then the line
    // stays silent for InterKeyGapMs. Input waits meanwhile, but a request
    // to close the panel is handled in the silence (CPlatform::Hold).
    // A character that is not a key does nothing.
    void SendKeyTone(char character);
    // The button of a key of the key table.
    QAbstractButton* Button(const CKeyTableRow& key) const;
    void EnableKeypad();
    void DisableKeypad();

private:
    void SetKeypadEnabled(bool enabled);

    CPanelState& m_panel;
};
