#include "platform/CQtPlatform.h"
#include "shell/CCommandLine.h"
#include "shell/CDialerApp.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    // With arguments the program renders, plays or dials without a window:
    // a core application needs no display and no platform plugin.
    if (argc > 1) {
        QCoreApplication application(argc, argv);
        return CCommandLine::Run(QCoreApplication::arguments(), stdout, stderr);
    }
    QApplication application(argc, argv);
    // Ties the window to the installed desktop entry (its name and icon).
    QGuiApplication::setDesktopFileName(QStringLiteral("pelmora"));
    CQtPlatform platform;
    CDialerApp dialer(platform);
    return dialer.Run();
}
