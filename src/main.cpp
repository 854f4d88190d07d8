#include "platform/CQtPlatform.h"
#include "shell/CDialerApp.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    CQtPlatform platform;
    CDialerApp dialer(platform);
    return dialer.InitInstance();
}
