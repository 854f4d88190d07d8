#pragma once

#include <Qt>

#include <array>

// One key of the telephone keypad: the character that recordings and dial
// lines use, the caption and control id of its button, its tone clip and the
// numeric-keypad key that stands for it.
struct CKeyTableRow {
    char character;
    const char* caption;
    int controlId;
    int toneClip;
    Qt::Key keypadKey; // arrives with Qt::KeypadModifier
};

// The fixed key table. Control ids and tone clips are not in key order: the
// rows hold them exactly as the buttons and clips are numbered.
class CKeyTable {
public:
    static const std::array<CKeyTableRow, 12>& Rows();

    // Each lookup returns nullptr when the key is not in the table.
    static const CKeyTableRow* FromCharacter(char character);
    static const CKeyTableRow* FromControlId(int controlId);
    // Only keys of the numeric keypad count: digits, '*' (multiply) and '/'
    // (divide, which stands for '#'). Its '+', '-' and '.' are no key, and
    // neither is any key outside the keypad.
    static const CKeyTableRow* FromKeyEvent(int key, Qt::KeyboardModifiers modifiers);
};
