#include "document/CScriptFile.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QScopeGuard>

#include <cerrno>
#include <cstdint>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
        if (line.empty() || line.back() != '\n')
            bytes += "\r\n";
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
    // A name that exists must lead to a regular file: the save would
    // otherwise replace the pipe or device that a link leads to.
    std::error_code error;
    const std::filesystem::file_type type = std::filesystem::status(path, error).type();
    if (type != std::filesystem::file_type::not_found && type != std::filesystem::file_type::regular)
        return false;
    QSaveFile file(FileName(path));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // write() may only fill Qt's buffer, and commit() renames without
    // checking the flush it makes first: a full disk would leave a cut or
    // empty file in place of the old one. So the bytes are flushed and
    // synced here (EINVAL: a file system that cannot sync), and the
    // temporary file is dropped when that fails.
    if (file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())
        || !file.flush() || (::fsync(file.handle()) != 0 && errno != EINVAL)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

std::optional<std::string> CScriptFile::Read(const std::string& path)
{
    // Opened without blocking, so that a pipe cannot hold the panel; the
    // type and size checked are those of what was opened, not of the name.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return std::nullopt;
    const auto closeFile = qScopeGuard([fd] { ::close(fd); });
    struct stat info { };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || std::uint64_t(info.st_size) > MaxBytes)
        return std::nullopt;
    std::string content;
    content.reserve(std::size_t(info.st_size));
    char chunk[65536];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got == 0)
            return content;
        if (got < 0 && errno != EINTR)
            return std::nullopt;
        if (got > 0)
            content.append(chunk, std::size_t(got));
        if (content.size() > MaxBytes) // grown since it was opened
            return std::nullopt;
    }
}

std::string CScriptFile::DetectDirectory()
{
    return QFileInfo(QStringLiteral("script")).isDir() ? std::string("./script/") : std::string();
}
