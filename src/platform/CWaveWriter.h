#pragma once

#include <QSaveFile>
#include <QString>

#include <cstdint>
#include <string>

// Writes 16-bit mono PCM samples to a RIFF/WAVE file as they come. The file
// is written under a temporary name beside path and takes its place only in
// Commit, once every byte has reached the disk: a render that fails, or is
// given up, leaves no partial file and any old file of that name untouched.
class CWaveWriter {
public:
    // The RIFF sizes are 32-bit: the data chunk holds at most this many
    // samples (a little over 37 hours at 16000 Hz, 12 at 48000 Hz).
    static constexpr std::int64_t MaxSamples = (std::int64_t(0xFFFFFFFF) - 36) / 2;

    CWaveWriter(const std::string& path, int rate);
    CWaveWriter(const CWaveWriter&) = delete;
    CWaveWriter& operator=(const CWaveWriter&) = delete;

    // Creates the temporary file. False, with ErrorText set, when it cannot
    // be created or when path names anything but a regular file (a device
    // or a pipe would be replaced by the rename).
    bool Open();
    // Append and AppendSilence after a failure do nothing: the first error
    // is the one reported.
    void Append(const std::int16_t* samples, std::int64_t count);
    void AppendSilence(std::int64_t count);
    std::int64_t Samples() const { return m_samples; }
    bool Failed() const { return m_failed; }

    // Completes the header, writes every byte to the disk and renames the
    // file to path. False, with ErrorText set and nothing left behind, when
    // any write failed.
    bool Commit();
    // Drops the temporary file; path stays as it was.
    void Cancel();
    // What went wrong, as a short phrase ("No space left on device").
    QString ErrorText() const { return m_error; }

private:
    bool Reserve(std::int64_t count);
    void Write(const char* bytes, qint64 size);
    void Fail(const QString& error);

    QSaveFile m_file;
    std::string m_path;
    int m_rate = 0;
    std::int64_t m_samples = 0;
    bool m_failed = false;
    QString m_error;
};
