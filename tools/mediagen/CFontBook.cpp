#include "CFontBook.h"

#include <QFontDatabase>
#include <QStringList>

bool CFontBook::Load(const QString& directory, QString& error)
{
    const QStringList files = {QStringLiteral("LiberationSans-Regular.ttf"), QStringLiteral("LiberationSans-Bold.ttf"),
        QStringLiteral("LiberationSans-Italic.ttf"), QStringLiteral("LiberationSans-BoldItalic.ttf")};
    for (const QString& file : files) {
        const QString path = directory + QLatin1Char('/') + file;
        const int id = QFontDatabase::addApplicationFont(path);
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (id < 0 || families.isEmpty()) {
            error = QStringLiteral("cannot load font %1").arg(path);
            return false;
        }
        m_sans = families.first();
    }
    return true;
}

QFont CFontBook::Sans(int pixelSize, bool bold, bool italic, bool antialias) const
{
    QFont font(m_sans);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setItalic(italic);
    font.setKerning(true);
    // Pin everything that would otherwise come from the machine's font
    // configuration.
    font.setHintingPreference(antialias ? QFont::PreferNoHinting : QFont::PreferFullHinting);
    font.setStyleStrategy(static_cast<QFont::StyleStrategy>(
        QFont::NoFontMerging | QFont::NoSubpixelAntialias | (antialias ? QFont::PreferAntialias : QFont::NoAntialias)));
    return font;
}
