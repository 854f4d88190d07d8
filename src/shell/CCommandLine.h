#pragma once

#include <QStringList>

#include <cstdio>

// The program started with arguments: renders a script to a WAVE file, plays
// it on the sound device or sounds keys, with no window and no display. Needs
// a QCoreApplication (the sound device's event waits and the signal watcher
// run on its event loop).
class CCommandLine {
public:
    static constexpr int Success = 0;
    static constexpr int Failure = 1; // the input or the output failed
    static constexpr int UsageError = 2;
    static constexpr int SignalBase = 128; // stopped by a signal: 128 + its number

    // arguments with the program's name first; cues and lines go to out,
    // messages to err. Returns the exit status.
    static int Run(const QStringList& arguments, std::FILE* out, std::FILE* err);
};
