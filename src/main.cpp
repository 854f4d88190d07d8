#include "platform/CQtPlatform.h"
#include "shell/CDialerApp.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    // Ties the window to the installed desktop entry (its name and icon).
    QGuiApplication::setDesktopFileName(QStringLiteral("pelmora"));
    CQtPlatform platform;
    CDialerApp dialer(platform);
    return dialer.Run();
}
