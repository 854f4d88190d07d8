#pragma once

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// Stops the fuzzer with the failed property, so that libFuzzer keeps the
// input as a crash.
#define FUZZ_CHECK(condition)                                                                                          \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "%s:%d: failed: %s\n", __FILE__, __LINE__, #condition);                               \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (false)

// A folder of this process's own, ending in '/', removed when it exits; in
// memory where the system offers it, since saving syncs to the disk.
inline const std::string& ScratchDir()
{
    static const QTemporaryDir dir(QFileInfo(QStringLiteral("/dev/shm")).isWritable()
            ? QStringLiteral("/dev/shm/pelmora-fuzz-XXXXXX")
            : QDir::tempPath() + QStringLiteral("/pelmora-fuzz-XXXXXX"));
    FUZZ_CHECK(dir.isValid());
    static const std::string path = dir.path().toStdString() + '/';
    return path;
}

// Writes the bytes to the scratch file name and returns its path.
inline std::string ScratchFile(const char* name, const std::uint8_t* data, std::size_t size)
{
    const std::string path = ScratchDir() + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    FUZZ_CHECK(file != nullptr);
    FUZZ_CHECK(std::fwrite(data, 1, size, file) == size && std::fclose(file) == 0);
    return path;
}
