#include "playback/CKeyTable.h"

#include "media/MediaIds.h"

const std::array<CKeyTableRow, 12>& CKeyTable::Rows()
{
    static const std::array<CKeyTableRow, 12> rows = {{
        {'1', "DIAL1", 1000, Clip::Tone1, Qt::Key_1},
        {'2', "DIAL2", 1007, Clip::Tone2, Qt::Key_2},
        {'3', "DIAL3", 1008, Clip::Tone3, Qt::Key_3},
        {'4', "DIAL4", 1009, Clip::Tone4, Qt::Key_4},
        {'5', "DIAL5", 1010, Clip::Tone5, Qt::Key_5},
        {'6', "DIAL6", 1011, Clip::Tone6, Qt::Key_6},
        {'7', "DIAL7", 1012, Clip::Tone7, Qt::Key_7},
        {'8', "DIAL8", 1013, Clip::Tone8, Qt::Key_8},
        {'9', "DIAL9", 1014, Clip::Tone9, Qt::Key_9},
        {'*', "DIALS", 1015, Clip::ToneStar, Qt::Key_Asterisk},
        {'0', "DIAL0", 1016, Clip::Tone0, Qt::Key_0},
        {'#', "DIALH", 1017, Clip::ToneHash, Qt::Key_Slash},
    }};
    return rows;
}

const CKeyTableRow* CKeyTable::FromCharacter(char character)
{
    for (const CKeyTableRow& row : Rows()) {
        if (row.character == character)
            return &row;
    }
    return nullptr;
}

const CKeyTableRow* CKeyTable::FromControlId(int controlId)
{
    for (const CKeyTableRow& row : Rows()) {
        if (row.controlId == controlId)
            return &row;
    }
    return nullptr;
}

const CKeyTableRow* CKeyTable::FromKeyEvent(int key, Qt::KeyboardModifiers modifiers)
{
    if (!modifiers.testFlag(Qt::KeypadModifier))
        return nullptr;
    for (const CKeyTableRow& row : Rows()) {
        if (row.keypadKey == key)
            return &row;
    }
    return nullptr;
}
