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
        {1000, C::Button, "DIAL1", 0x50014F0B, ButtonFlags | C::Notify, 7, 145, 23, 15},
        {1007, C::Button, "DIAL2", 0x50010F0B, ButtonFlags, 34, 145, 23, 15},
        {1008, C::Button, "DIAL3", 0x50010F0B, ButtonFlags, 61, 145, 23, 15},
        {1009, C::Button, "DIAL4", 0x50010F0B, ButtonFlags, 7, 164, 23, 15},
        {1010, C::Button, "DIAL5", 0x50010F0B, ButtonFlags, 34, 164, 23, 15},
        {1011, C::Button, "DIAL6", 0x50010F0B, ButtonFlags, 61, 164, 23, 15},
        {1012, C::Button, "DIAL7", 0x50010F0B, ButtonFlags, 7, 183, 23, 15},
        {1013, C::Button, "DIAL8", 0x50010F0B, ButtonFlags, 34, 183, 23, 15},
        {1014, C::Button, "DIAL9", 0x50010F0B, ButtonFlags, 61, 183, 23, 15},
        {1016, C::Button, "DIAL0", 0x50010F0B, ButtonFlags, 34, 202, 23, 15},
        {1001, C::Button, "PLAY", 0x50010F0B, ButtonFlags, 7, 107, 50, 15},
        {1019, C::Button, "REC", 0x50010F0B, ButtonFlags, 61, 107, 23, 15},
        {1020, C::Button, "PAUSE", 0x50014F0B, ButtonFlags | C::Notify, 7, 126, 23, 15},
        {1021, C::Button, "STOP", 0x50010F0B, ButtonFlags, 34, 126, 23, 15},
        {1022, C::Button, "REPEAT", 0x50010F0B, ButtonFlags, 61, 126, 23, 15},
        {1004, C::ListBox, "", 0x50000003, C::Visible | C::Notify | C::Sorted, 12, 43, 70, 40},
        {1005, C::ListBox, "", 0x40010101, C::TabStop | C::Notify, 11, 42, 70, 40},
        {1006, C::Edit, "", 0x50011880, C::Visible | C::TabStop | C::ReadOnly, 10, 26, 71, 12},
        {1024, C::Animation, "Animate1", 0x50000000, C::Visible, 18, 15, 37, 7},
        {1027, C::Static, "", 0x5000010E, C::Visible | C::Notify, 77, 3, 11, 11},
        {1029, C::Static, "", 0x5000010E, C::Visible | C::Notify, 0, 0, 77, 13},
        {1030, C::Static, "", 0x5000010E, C::Visible | C::Notify, 72, 15, 11, 11},
        {1015, C::Button, "DIALS", 0x50010F0B, ButtonFlags, 7, 202, 23, 15},
        {1017, C::Button, "DIALH", 0x50014F0B, ButtonFlags | C::Notify, 61, 202, 23, 15},
        {1025, C::Static, "Static", 0x50020000, C::Visible, 9, 87, 73, 8},
        {1032, C::Edit, "", 0x500008C5, C::Visible | C::Centred | C::MultiLine | C::ReadOnly, 8, 27, 75, 58},
        {1033, C::Animation, "Animate2", 0x50000000, C::Visible, 9, 15, 10, 9},
        {1034, C::Animation, "Animate3", 0x50000000, C::Visible, 14, 30, 58, 38},
        {1035, C::Static, "000", 0x5000000C, C::Visible, 59, 15, 11, 8},
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
        {-1, C::IconStatic, "", 0x50000003, C::Visible, 11, 17, 20, 20},
        {-1, C::Static, "mirvat01 Version 1.0", 0x50020080, C::Visible, 40, 10, 119, 8},
        {-1, C::Static, "Made by the Pelmora developers", 0x50020000, C::Visible, 40, 25, 119, 8},
        {1, C::Button, "OK", 0x50030001, C::Visible | C::TabStop | C::DefaultButton, 178, 7, 32, 14},
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
