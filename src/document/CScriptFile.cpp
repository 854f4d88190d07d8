#include "document/CScriptFile.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

QString FileName(const std::string& path)
{
    // Script paths are 8-bit strings in the locale's encoding, exactly the
    // bytes the file system uses for names.
    return QFile::decodeName(QByteArray::fromStdString(path));
}

} // namespace

std::string CScriptFile::Encode(const std::vector<std::string>& lines)
{
    std::string bytes;
    for (const std::string& line : lines) {
        for (const char c : line) {
            if (c == '\n')
                bytes += '\r';
            bytes += c;
        }
    }
    return bytes;
}

std::vector<std::string> CScriptFile::Decode(const std::string& bytes)
{
    std::vector<std::string> lines;
    std::string line;
    bool pending = false; // a line has started but not yet been ended by LF
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == CtrlZ)
            break;
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            continue; // CR LF reads as LF
        if (c == '\n') {
            lines.push_back(std::move(line));
            line.clear();
            pending = false;
            continue;
        }
        line += c;
        pending = true;
    }
    if (pending)
        lines.push_back(std::move(line));
    return lines;
}

bool CScriptFile::Write(const std::string& path, const std::string& bytes)
{
    QSaveFile file(FileName(path));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())) {
        file.cancelWriting();
        return false;
    }
    // commit() flushes, syncs and renames; on any error it removes the
    // temporary file and leaves the old script as it was.
    return file.commit();
}

std::optional<std::string> CScriptFile::Read(const std::string& path)
{
    QFile file(FileName(path));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return content.toStdString();
}

std::string CScriptFile::DetectDirectory()
{
    return QFileInfo(QStringLiteral("script")).isDir() ? std::string("./script/") : std::string();
}
