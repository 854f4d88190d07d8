#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// The byte format of script files. Scripts are kept with the text-mode bytes
// of the system they came from on every host: writing turns each LF into
// CR LF, reading turns CR LF into LF, keeps a lone CR, stops at the first
// Ctrl-Z and splits after each LF. The host's stdio does no such translation
// on Linux, so it is done here explicitly.
class CScriptFile {
public:
    static constexpr char CtrlZ = 26;
    // Larger files are not read: the panel lists every line, and a file of
    // many megabytes froze it for a minute. A full recording (16,384 lines
    // of up to a dozen keys) takes under 300 KB.
    static constexpr std::size_t MaxBytes = std::size_t{1024} * 1024;

    // The file content for these lines, each written as stored and ended
    // with a line end when it has none of its own (loaded lines), so that
    // every line reads back as it was.
    static std::string Encode(const std::vector<std::string>& lines);
    // The lines of a file content, each without its LF.
    static std::vector<std::string> Decode(const std::string& bytes);

    // Replaces the file at path with bytes. Written to a temporary file in
    // the same directory and renamed over the old one only when every byte
    // has reached the disk, so a failed save never destroys an existing
    // script. A name that leads to anything but a regular file is refused.
    static bool Write(const std::string& path, const std::string& bytes);
    // The whole content of the file at path, or nothing when it cannot be
    // read, is not a regular file (after links: a pipe or a device is never
    // read, nor waited for) or is larger than MaxBytes.
    static std::optional<std::string> Read(const std::string& path);

    // "./script/" when the working directory holds a directory named
    // "script" (a plain file of that name does not count), otherwise "".
    static std::string DetectDirectory();
};
