#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <string>

// Reads the arguments of the program started without its panel: render a
// script to a WAVE file, play it on the sound device, or sound keys.
class CCommandLineParser {
public:
    enum class Action {
        Help,
        Version,
        UsageError, // error says what is wrong
        Run,
    };
    struct Options {
        Action action = Action::UsageError;
        QString error;
        std::string script; // the script's path, as the file system spells it
        std::string keys; // --dial
        std::string output; // --render: the WAVE file to write, empty to play
        int rate = DefaultRate;
        int pauseSeconds = DefaultPauseSeconds;
        bool verbose = false;
        bool noPause = false;
    };

    static constexpr int DefaultRate = 8000; // the telephone rate
    static constexpr std::array<int, 6> Rates = {8000, 11025, 16000, 22050, 44100, 48000};
    static constexpr int DefaultPauseSeconds = 5;
    // A day: longer pauses are a mistake, not a plan.
    static constexpr int MaxPauseSeconds = 86400;

    // arguments as the application has them, the program's name first.
    static Options Parse(const QStringList& arguments);
    static QString HelpText();
};
