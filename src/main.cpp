#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget panel(nullptr, Qt::FramelessWindowHint);
    panel.setWindowTitle(QStringLiteral("Pelmora"));
    panel.setFixedSize(182, 448);
    panel.show();
    return app.exec();
}
