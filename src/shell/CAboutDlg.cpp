#include "shell/CAboutDlg.h"

#include "media/CMediaCatalogue.h"

#include <QLabel>
#include <QPushButton>

#include <cmath>

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent)
{
    const CDialogLayout& layout = CMediaCatalogue::AboutLayout();
    setWindowTitle(layout.title);
    setWindowIcon(CMediaCatalogue::Icon());
    QFont font(layout.fontFace);
    font.setPointSize(layout.pointSize);
    setFont(font);

    // Dialog units from the dialog font: a quarter of the average character
    // width across, an eighth of the character height down.
    const QFontMetricsF metrics(font);
    const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const double unitX = metrics.horizontalAdvance(alphabet) / alphabet.size() / 4.0;
    const double unitY = metrics.height() / 8.0;
    const auto rect = [&](const CDialogControl& c) {
        return QRect(static_cast<int>(std::lround(c.x * unitX)), static_cast<int>(std::lround(c.y * unitY)),
            static_cast<int>(std::lround(c.width * unitX)), static_cast<int>(std::lround(c.height * unitY)));
    };
    setFixedSize(
        static_cast<int>(std::lround(layout.width * unitX)), static_cast<int>(std::lround(layout.height * unitY)));

    for (const CDialogControl& control : layout.controls) {
        switch (control.kind) {
        case CDialogControl::IconStatic: {
            auto* icon = new QLabel(this);
            icon->setPixmap(CMediaCatalogue::Icon().pixmap(32, 32));
            icon->setGeometry(rect(control).topLeft().x(), rect(control).topLeft().y(), 32, 32);
            break;
        }
        case CDialogControl::Static: {
            auto* text = new QLabel(control.text, this);
            text->setTextFormat(Qt::PlainText);
            text->setGeometry(rect(control));
            break;
        }
        case CDialogControl::Button: {
            auto* ok = new QPushButton(control.text, this);
            ok->setGeometry(rect(control));
            ok->setDefault(true);
            connect(ok, &QPushButton::clicked, this, &QDialog::accept);
            break;
        }
        default:
            break;
        }
    }
}
