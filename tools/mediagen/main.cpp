// The media generator: synthesizes and draws every medium of the program
// and writes them below an output directory, with media.qrc, the resource
// collection by which the build embeds them, and the icons of the desktop's
// icon theme below hicolor/, which the build installs.
//
//   pelmora_mediagen --fonts DIR [--out DIR] [--contact-sheet FILE]
//
// --fonts names the directory of the Liberation font files. The output
// depends on nothing else on the machine: the fonts are loaded by path into
// an otherwise empty font configuration, and every random choice comes from
// a fixed seed, so two runs write the same bytes.

#include "CFontBook.h"
#include "CMediaSet.h"
#include "media/MediaTable.h"

#include <QBuffer>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTextStream>
#include <QXmlStreamWriter>

#include <map>
#include <utility>
#include <vector>

namespace {

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush())
        return true;
    file.remove(); // a cut file must not pass for a made one in the next build
    return false;
}

// Points fontconfig at an empty configuration, so that no font of the
// machine and no local rendering preference can reach the pictures.
bool IsolateFonts(const QTemporaryDir& directory)
{
    const QString path = directory.filePath(QStringLiteral("fonts.conf"));
    const QByteArray empty = "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n<fontconfig/>\n";
    if (!WriteFile(path, empty))
        return false;
    qputenv("FONTCONFIG_FILE", QFile::encodeName(path));
    return true;
}

// The resource collection that embeds every one of files below
// MediaTable::ResourcePrefix at its own path, read from beside the
// collection.
QByteArray ResourceCollection(const std::map<QString, QByteArray>& files)
{
    QByteArray text;
    QXmlStreamWriter xml(&text);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("RCC"));
    xml.writeStartElement(QStringLiteral("qresource"));
    xml.writeAttribute(QStringLiteral("prefix"), MediaTable::ResourcePrefix);
    for (const auto& [path, bytes] : files)
        xml.writeTextElement(QStringLiteral("file"), path);
    xml.writeEndDocument();
    return text;
}

} // namespace

int main(int argc, char* argv[])
{
    QTextStream err(stderr);
    const QTemporaryDir fontConfig;
    if (!fontConfig.isValid() || !IsolateFonts(fontConfig)) {
        err << "pelmora_mediagen: cannot write a font configuration\n";
        return 1;
    }
    // No display is needed; a build machine has no session either.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(fontConfig.path()));
    QGuiApplication app(argc, argv);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Writes every medium of Pelmora."));
    parser.addHelpOption();
    const QCommandLineOption fontsOption(
        QStringLiteral("fonts"), QStringLiteral("Directory of the Liberation fonts."), QStringLiteral("dir"));
    const QCommandLineOption outOption(
        QStringLiteral("out"), QStringLiteral("Directory to write the media to."), QStringLiteral("dir"));
    const QCommandLineOption sheetOption(QStringLiteral("contact-sheet"),
        QStringLiteral("Also write one PNG with every picture and frame, enlarged."), QStringLiteral("file"));
    parser.addOptions({fontsOption, outOption, sheetOption});
    parser.process(app);
    if (!parser.isSet(fontsOption) || (!parser.isSet(outOption) && !parser.isSet(sheetOption))) {
        err << "pelmora_mediagen: give --fonts and at least one of --out and --contact-sheet\n";
        return 2;
    }

    CFontBook fonts;
    QString error;
    if (!fonts.Load(parser.value(fontsOption), error)) {
        err << "pelmora_mediagen: " << error << '\n';
        return 1;
    }
    const CMediaSet media(fonts);

    if (parser.isSet(outOption)) {
        const QDir out(parser.value(outOption));
        const std::map<QString, QByteArray> embedded = media.Files();
        const std::map<QString, QByteArray> themeIcons = media.ThemeIconFiles();
        std::vector<std::pair<QString, QByteArray>> files(embedded.begin(), embedded.end());
        files.insert(files.end(), themeIcons.begin(), themeIcons.end());
        // The collection last: the build takes it for the sign that the
        // media are complete.
        files.emplace_back(QStringLiteral("media.qrc"), ResourceCollection(embedded));
        for (const auto& [path, bytes] : files) {
            if (!WriteFile(out.filePath(path), bytes)) {
                err << "pelmora_mediagen: cannot write " << out.filePath(path) << '\n';
                return 1;
            }
        }
    }
    if (parser.isSet(sheetOption)) {
        // Encoded in memory and written by WriteFile: QImage::save() to a
        // file does not check its last flush and reports a cut file as saved.
        QByteArray sheet;
        QBuffer buffer(&sheet);
        if (!buffer.open(QIODevice::WriteOnly) || !media.ContactSheet().save(&buffer, "PNG")
            || !WriteFile(parser.value(sheetOption), sheet)) {
            err << "pelmora_mediagen: cannot write " << parser.value(sheetOption) << '\n';
            return 1;
        }
    }
    return 0;
}
