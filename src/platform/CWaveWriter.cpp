#include "platform/CWaveWriter.h"

#include <QByteArray>
#include <QFile>
#include <QtEndian>

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include <unistd.h>

namespace {

constexpr int HeaderBytes = 44;
constexpr int BytesPerSample = 2;

// The canonical 44-byte header of 16-bit mono PCM.
QByteArray Header(int rate, std::int64_t samples)
{
    const auto dataBytes = static_cast<quint32>(samples * BytesPerSample);
    QByteArray header(HeaderBytes, '\0');
    char* h = header.data();
    std::memcpy(h, "RIFF", 4);
    qToLittleEndian<quint32>(HeaderBytes - 8 + dataBytes, h + 4);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    qToLittleEndian<quint32>(16, h + 16); // size of the format chunk
    qToLittleEndian<quint16>(1, h + 20); // PCM
    qToLittleEndian<quint16>(1, h + 22); // mono
    qToLittleEndian<quint32>(static_cast<quint32>(rate), h + 24);
    qToLittleEndian<quint32>(static_cast<quint32>(rate * BytesPerSample), h + 28); // bytes per second
    qToLittleEndian<quint16>(BytesPerSample, h + 32); // bytes per frame
    qToLittleEndian<quint16>(16, h + 34); // bits per sample
    std::memcpy(h + 36, "data", 4);
    qToLittleEndian<quint32>(dataBytes, h + 40);
    return header;
}

// Why the last system call failed; Qt's text for a failed write is
// "Unknown error".
QString SystemReason(const QFileDevice& file)
{
    return errno != 0 ? QString::fromLocal8Bit(std::strerror(errno)) : file.errorString();
}

} // namespace

CWaveWriter::CWaveWriter(const std::string& path, int rate)
    : m_file(QFile::decodeName(QByteArray::fromStdString(path)))
    , m_path(path)
    , m_rate(rate)
{
}

bool CWaveWriter::Open()
{
    std::error_code error;
    const std::filesystem::file_type type = std::filesystem::status(m_path, error).type();
    if (type != std::filesystem::file_type::not_found && type != std::filesystem::file_type::regular) {
        Fail(QStringLiteral("not a regular file"));
        return false;
    }
    errno = 0;
    if (!m_file.open(QIODevice::WriteOnly)) {
        // The system's reason says more than Qt's text about a temporary
        // file the user never named.
        Fail(SystemReason(m_file));
        return false;
    }
    Write(Header(m_rate, 0).constData(), HeaderBytes);
    return !m_failed;
}

bool CWaveWriter::Reserve(std::int64_t count)
{
    if (m_failed || count <= 0)
        return false;
    if (count > MaxSamples - m_samples) {
        Fail(QStringLiteral("longer than a WAVE file can hold"));
        return false;
    }
    return true;
}

void CWaveWriter::Append(const std::int16_t* samples, std::int64_t count)
{
    if (!Reserve(count))
        return;
    if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
        Write(reinterpret_cast<const char*>(samples), count * BytesPerSample);
    } else {
        QByteArray bytes(count * BytesPerSample, Qt::Uninitialized);
        qToLittleEndian<qint16>(samples, count, bytes.data());
        Write(bytes.constData(), bytes.size());
    }
    m_samples += count;
}

void CWaveWriter::AppendSilence(std::int64_t count)
{
    if (!Reserve(count))
        return;
    static const std::array<char, 65536> zeros{};
    for (std::int64_t bytes = count * BytesPerSample; bytes > 0 && !m_failed;) {
        const qint64 piece = std::min<qint64>(bytes, qint64(zeros.size()));
        Write(zeros.data(), piece);
        bytes -= piece;
    }
    m_samples += count;
}

void CWaveWriter::Write(const char* bytes, qint64 size)
{
    errno = 0;
    if (!m_failed && m_file.write(bytes, size) != size)
        Fail(SystemReason(m_file));
}

bool CWaveWriter::Commit()
{
    errno = 0;
    if (!m_failed && (!m_file.seek(0) || m_file.write(Header(m_rate, m_samples)) != HeaderBytes))
        Fail(SystemReason(m_file));
    // commit() would rename without checking the flush it makes first, so a
    // full disk would go unnoticed: the bytes are flushed and synced here
    // (EINVAL: a file system that cannot sync).
    if (!m_failed) {
        errno = 0;
        if (!m_file.flush() || (::fsync(m_file.handle()) != 0 && errno != EINVAL))
            Fail(SystemReason(m_file));
    }
    if (m_failed) {
        Cancel();
        return false;
    }
    if (!m_file.commit()) {
        Fail(m_file.errorString());
        return false;
    }
    return true;
}

void CWaveWriter::Cancel()
{
    if (m_file.isOpen()) {
        m_file.cancelWriting();
        m_file.commit(); // with writing cancelled, this only removes the temporary file
    }
}

void CWaveWriter::Fail(const QString& error)
{
    if (m_failed)
        return;
    m_failed = true;
    m_error = error;
}
