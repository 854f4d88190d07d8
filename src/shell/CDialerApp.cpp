#include "shell/CDialerApp.h"

#include "shell/CDialerDlg.h"

#include <QApplication>
#include <QMessageBox>
#include <QScreen>

#include <cmath>

CDialerApp::CDialerApp(CPlatform& platform)
    : messageBox([](const QString& caption, const QString& text) {
        QMessageBox::warning(nullptr, caption, text, QMessageBox::Ok);
    })
    , m_platform(platform)
{
    // Every dialog inherits these unless it sets colours of its own; push
    // buttons keep the desktop's colours.
    QPalette palette = QApplication::palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Window, QColor(DialogBackground));
        palette.setColor(group, QPalette::WindowText, QColor(DialogText));
    }
    QApplication::setPalette(palette, "QDialog");
    QApplication::setWindowIcon(CMediaCatalogue::Icon());
}

CDialogLayout CDialerApp::CheckDisplay(
    CDialogLayout layout, int logPixelsX, int colourDepth, const MessageBoxFn& messageBox)
{
    if (colourDepth <= 8) {
        messageBox(QStringLiteral("Warning"),
            QStringLiteral("Your display is set to 256 (or less) colors.\n"
                           "This application deliberately is stripped off\n"
                           "indexed color support, and unless you will\n"
                           "provide a valid reason to do otherwise - it\n"
                           "is going to stay that way.\n"
                           "Meanwhile, do yourself a favor and switch \n"
                           "the display to Hi-Color or True-Color Mode.\n"));
    }
    if (logPixelsX == 96) {
        layout.pointSize = 10;
    } else if (logPixelsX == 120) {
        layout.pointSize = 8;
    } else {
        messageBox(QStringLiteral("Warning"),
            QStringLiteral("Your display is set to unsupported font size,\n"
                           "(i.e. other than Small Fonts or Large Fonts).\n"
                           "It may cause, that this application will not\n"
                           "show on the screen properly.\n"
                           "\n"
                           "LOGPIXELSX = %1")
                .arg(logPixelsX));
    }
    return layout;
}

int CDialerApp::Run()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int dpi = screen != nullptr ? static_cast<int>(std::lround(screen->logicalDotsPerInchX())) : 96;
    const int depth = screen != nullptr ? screen->depth() : 24;
    const CDialogLayout layout = CheckDisplay(CMediaCatalogue::PanelLayout(), dpi, depth, messageBox);
    CDialerDlg panel(m_platform, layout);
    panel.exec();
    return 0;
}
