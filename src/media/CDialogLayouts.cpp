#include "media/CMediaCatalogue.h"

namespace {

using C = CDialogControl;

constexpr std::uint32_t ButtonFlags = C::Visible | C::TabStop;

CDialogLayout MakePanelLayout()
{
    CDialogLayout layout;
    layout.fontFace = QStringLiteral("Courier New");
    layout.pointSize = 8; // as stored; the display check sets 10 or 8
    layout.width = 91;
    layout.height = 224;
    // clang-format off
    layout.controls = {
        {1000, C::Button, "DIAL1", ButtonFlags | C::Notify, 7, 145, 23, 15},
        {1007, C::Button, "DIAL2", ButtonFlags, 34, 145, 23, 15},
        {1008, C::Button, "DIAL3", ButtonFlags, 61, 145, 23, 15},
        {1009, C::Button, "DIAL4", ButtonFlags, 7, 164, 23, 15},
        {1010, C::Button, "DIAL5", ButtonFlags, 34, 164, 23, 15},
        {1011, C::Button, "DIAL6", ButtonFlags, 61, 164, 23, 15},
        {1012, C::Button, "DIAL7", ButtonFlags, 7, 183, 23, 15},
        {1013, C::Button, "DIAL8", ButtonFlags, 34, 183, 23, 15},
        {1014, C::Button, "DIAL9", ButtonFlags, 61, 183, 23, 15},
        {1016, C::Button, "DIAL0", ButtonFlags, 34, 202, 23, 15},
        {1001, C::Button, "PLAY", ButtonFlags, 7, 107, 50, 15},
        {1019, C::Button, "REC", ButtonFlags, 61, 107, 23, 15},
        {1020, C::Button, "PAUSE", ButtonFlags | C::Notify, 7, 126, 23, 15},
        {1021, C::Button, "STOP", ButtonFlags, 34, 126, 23, 15},
        {1022, C::Button, "REPEAT", ButtonFlags, 61, 126, 23, 15},
        {1004, C::ListBox, "", C::Visible | C::Notify, 12, 43, 70, 40},
        {1005, C::ListBox, "", C::TabStop | C::Notify, 11, 42, 70, 40},
        {1006, C::Edit, "", C::Visible | C::TabStop, 10, 26, 71, 12},
        {1024, C::Animation, "Animate1", C::Visible, 18, 15, 37, 7},
        {1027, C::Static, "", C::Visible | C::Notify, 77, 3, 11, 11},
        {1029, C::Static, "", C::Visible | C::Notify, 0, 0, 77, 13},
        {1030, C::Static, "", C::Visible | C::Notify, 72, 15, 11, 11},
        {1015, C::Button, "DIALS", ButtonFlags, 7, 202, 23, 15},
        {1017, C::Button, "DIALH", ButtonFlags | C::Notify, 61, 202, 23, 15},
        {1025, C::Static, "Static", C::Visible, 9, 87, 73, 8},
        {1032, C::Edit, "", C::Visible | C::MultiLine, 8, 27, 75, 58},
        {1033, C::Animation, "Animate2", C::Visible, 9, 15, 10, 9},
        {1034, C::Animation, "Animate3", C::Visible, 14, 30, 58, 38},
        {1035, C::Static, "000", C::Visible, 59, 15, 11, 8},
    };
    // clang-format on
    return layout;
}

CDialogLayout MakeAboutLayout()
{
    CDialogLayout layout;
    layout.title = QStringLiteral("About mirvat01");
    layout.fontFace = QStringLiteral("MS Sans Serif");
    layout.pointSize = 8;
    layout.width = 217;
    layout.height = 55;
    // clang-format off
    layout.controls = {
        {-1, C::IconStatic, "", C::Visible, 11, 17, 20, 20},
        {-1, C::Static, "mirvat01 Version 1.0", C::Visible, 40, 10, 119, 8},
        {-1, C::Static, "Made by the Pelmora developers", C::Visible, 40, 25, 119, 8},
        {1, C::Button, "OK", C::Visible | C::TabStop, 178, 7, 32, 14},
    };
    // clang-format on
    return layout;
}

} // namespace

const CDialogControl* CDialogLayout::Control(int id) const
{
    for (const CDialogControl& control : controls) {
        if (control.id == id)
            return &control;
    }
    return nullptr;
}

const CDialogLayout& CMediaCatalogue::PanelLayout()
{
    static const CDialogLayout layout = MakePanelLayout();
    return layout;
}

const CDialogLayout& CMediaCatalogue::AboutLayout()
{
    static const CDialogLayout layout = MakeAboutLayout();
    return layout;
}
