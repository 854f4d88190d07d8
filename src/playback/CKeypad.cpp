#include "playback/CKeypad.h"

#include "panel/CPanelState.h"
#include "platform/CPlatform.h"
#include "playback/CKeyTable.h"

#include <QAbstractButton>

CKeypad::CKeypad(CPanelState& panel)
    : m_panel(panel)
{
}

void CKeypad::SoundKey(const CKeyTableRow* key)
{
    if (key != nullptr)
        m_panel.platform.StartClip(key->toneClip);
}

void CKeypad::ShowPressed(char character, bool pressed)
{
    QAbstractButton* button = Button(*CKeyTable::FromCharacter(character));
    button->setDown(pressed);
    button->repaint();
}

QAbstractButton* CKeypad::Button(const CKeyTableRow& key) const
{
    return m_panel.controls.keys.at(static_cast<std::size_t>(&key - CKeyTable::Rows().data()));
}

void CKeypad::EnableKeypad()
{
    SetKeypadEnabled(true);
}

void CKeypad::DisableKeypad()
{
    SetKeypadEnabled(false);
}

void CKeypad::SetKeypadEnabled(bool enabled)
{
    for (QAbstractButton* button : m_panel.controls.keys)
        button->setEnabled(enabled);
}
