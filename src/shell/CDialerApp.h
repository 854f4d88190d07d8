#pragma once

#include "media/CMediaCatalogue.h"

#include <QColor>
#include <QString>

#include <functional>

class CPlatform;

// Start-up: checks the display, adapts the panel's dialog font to it (or
// warns), then runs the panel modally for the life of the program. Make it
// after the QApplication: it sets the colours of the program's dialogs.
class CDialerApp {
public:
    // The default background and text colours of the program's dialogs (the
    // panel, the About box and the warnings) and of their texts.
    static constexpr QRgb DialogBackground = 0xFF2ABFFF; // RGB(42, 191, 255)
    static constexpr QRgb DialogText = 0xFF005FFF; // RGB(0, 95, 255)

    // Shows a warning; replaceable so that tests can read the texts.
    using MessageBoxFn = std::function<void(const QString& caption, const QString& text)>;

    explicit CDialerApp(CPlatform& platform);

    // Runs the program and returns its exit status: 0 once the panel has
    // been closed (Escape, the close area or the window menu's Close).
    int Run();

    // The panel layout with the dialog font's point size for a screen of
    // logPixelsX pixels per inch and colourDepth bits per pixel: 10 points
    // at 96, 8 at 120 (both 13 1/3 pixels), otherwise the stored size and a
    // warning. A palette screen (8 bits or fewer) is warned about first.
    static CDialogLayout CheckDisplay(
        CDialogLayout layout, int logPixelsX, int colourDepth, const MessageBoxFn& messageBox);

    MessageBoxFn messageBox;

private:
    CPlatform& m_platform;
};
