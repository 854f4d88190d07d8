#include "panel/CKeypad.h"

#include "platform/CPlatform.h"
#include "playback/CKeyTable.h"

#include <QAbstractButton>

CKeypad::CKeypad(const CPanelControls& controls, CPlatform& platform)
    : m_controls(controls)
    , m_platform(platform)
{
}

void CKeypad::SoundKey(const CKeyTableRow* key)
{
    if (key != nullptr)
        m_platform.StartClip(key->toneClip);
}

void CKeypad::ShowPressed(char character, bool pressed)
{
    QAbstractButton* button = Button(*CKeyTable::FromCharacter(character));
    button->setDown(pressed);
    button->repaint();
}

QAbstractButton* CKeypad::Button(const CKeyTableRow& key) const
{
    return m_controls.keys.at(static_cast<std::size_t>(&key - CKeyTable::Rows().data()));
}

void CKeypad::SetEnabled(bool enabled)
{
    for (QAbstractButton* button : m_controls.keys)
        button->setEnabled(enabled);
}
