#include "shell/CCommandLineParser.h"

#include "playback/CScriptLine.h"

#include <QCommandLineParser>
#include <QFile>

#include <algorithm>

namespace {

// The options, made once per parse: QCommandLineParser keeps copies.
struct OptionSet {
    QCommandLineOption help{{"h", "help"}, "Show this help and exit."};
    QCommandLineOption version{"version", "Show the version and exit."};
    QCommandLineOption render{"render", "Write the sound to the WAVE file OUT instead of playing it.", "OUT.wav"};
    QCommandLineOption rate{"rate",
        "Sample rate of the WAVE file: 8000 (default, the telephone rate), 11025, 16000, 22050, 44100 or 48000.", "HZ"};
    QCommandLineOption pauseSeconds{
        "pause-seconds", "Seconds of silence that each pause line becomes in the WAVE file (default 5).", "N"};
    QCommandLineOption verbose{"verbose", "When rendering, print every line as it starts, with its time in the file."};
    QCommandLineOption play{"play", "Play the script on the sound device in real time."};
    QCommandLineOption noPause{"no-pause", "With --play: go on past pause lines instead of waiting for Enter."};
    QCommandLineOption dial{
        "dial", "Sound the keys of a dial line: 0-9, * and #; other characters are skipped.", "KEYS"};
};

void AddAll(QCommandLineParser& parser, const OptionSet& o)
{
    parser.addOptions({o.help, o.version, o.render, o.rate, o.pauseSeconds, o.verbose, o.play, o.noPause, o.dial});
    parser.addPositionalArgument("SCRIPT.dsq", "The dial script: any path.");
}

std::string FileName(const QString& argument)
{
    return QFile::encodeName(argument).toStdString();
}

CCommandLineParser::Options UsageError(const QString& error)
{
    CCommandLineParser::Options options;
    options.error = error;
    return options;
}

} // namespace

CCommandLineParser::Options CCommandLineParser::Parse(const QStringList& arguments)
{
    const OptionSet o;
    QCommandLineParser parser;
    AddAll(parser, o);
    if (!parser.parse(arguments))
        return UsageError(parser.errorText());
    Options options;
    if (parser.isSet(o.help)) {
        options.action = Action::Help;
        return options;
    }
    if (parser.isSet(o.version)) {
        options.action = Action::Version;
        return options;
    }
    // Every option may be given once: a second value would silently win.
    for (const QString& name : parser.optionNames()) {
        if (parser.optionNames().count(name) > 1)
            return UsageError(QStringLiteral("--%1 is given more than once").arg(name));
    }

    const bool render = parser.isSet(o.render);
    const bool play = parser.isSet(o.play);
    const bool dial = parser.isSet(o.dial);
    const QStringList scripts = parser.positionalArguments();
    if (render && play)
        return UsageError("--render and --play exclude each other");
    if (!render && !play && !dial)
        return UsageError("say what to do: --render, --play or --dial");
    if (dial && !scripts.isEmpty())
        return UsageError("--dial takes no script");
    if (!dial && scripts.size() != 1)
        return UsageError(scripts.isEmpty() ? QStringLiteral("a script is needed") : QStringLiteral("one script only"));
    if (!render) {
        for (const QCommandLineOption* option : {&o.rate, &o.pauseSeconds})
            if (parser.isSet(*option))
                return UsageError(QStringLiteral("--%1 goes with --render").arg(option->names().constLast()));
    }
    if (parser.isSet(o.noPause) && (!play || dial))
        return UsageError("--no-pause goes with --play and a script");
    if (parser.isSet(o.pauseSeconds) && dial)
        return UsageError("--pause-seconds goes with a script");

    if (render) {
        options.output = FileName(parser.value(o.render));
        if (options.output.empty())
            return UsageError("--render needs a file name");
    }
    if (parser.isSet(o.rate)) {
        bool number = false;
        options.rate = parser.value(o.rate).toInt(&number);
        if (!number || std::find(Rates.begin(), Rates.end(), options.rate) == Rates.end())
            return UsageError(
                QStringLiteral("--rate %1 is not offered: choose 8000, 11025, 16000, 22050, 44100 or 48000")
                    .arg(parser.value(o.rate)));
    }
    if (parser.isSet(o.pauseSeconds)) {
        bool number = false;
        options.pauseSeconds = parser.value(o.pauseSeconds).toInt(&number);
        if (!number || options.pauseSeconds < 0 || options.pauseSeconds > MaxPauseSeconds)
            return UsageError(QStringLiteral("--pause-seconds wants a whole number from 0 to %1, not \"%2\"")
                                  .arg(MaxPauseSeconds)
                                  .arg(parser.value(o.pauseSeconds)));
    }
    if (dial) {
        options.keys = CScriptLine::DialKeys("dial" + parser.value(o.dial).toLocal8Bit().toStdString());
        if (options.keys.empty())
            return UsageError(
                QStringLiteral("--dial \"%1\" holds no key: the keys are 0-9, * and #").arg(parser.value(o.dial)));
    } else {
        options.script = FileName(scripts.constFirst());
    }
    options.verbose = parser.isSet(o.verbose);
    options.noPause = parser.isSet(o.noPause);
    options.action = Action::Run;
    return options;
}

QString CCommandLineParser::HelpText()
{
    const OptionSet o;
    QCommandLineParser parser;
    AddAll(parser, o);
    QString options = parser.helpText();
    // Qt's one usage line does not fit three uses: the options follow ours.
    options.remove(0, options.indexOf(QLatin1String("Options:")));
    return QStringLiteral("Usage: pelmora\n"
                          "       pelmora --render OUT.wav [--rate HZ] [--pause-seconds N] [--verbose] SCRIPT.dsq\n"
                          "       pelmora --play [--no-pause] SCRIPT.dsq\n"
                          "       pelmora --dial KEYS [--render OUT.wav [--rate HZ] [--verbose]]\n"
                          "\n"
                          "Scriptable telephone tone dialer. Without arguments it opens its panel;\n"
                          "with arguments it needs no window and no display.\n"
                          "\n"
                          "  --render  writes the script as sound to a 16-bit mono WAVE file, as fast\n"
                          "            as it can; pause lines become silence, show lines print cues.\n"
                          "  --play    plays the script on the sound device in real time; a pause\n"
                          "            line waits for Enter; Ctrl-C stops after the sounding tone.\n"
                          "  --dial    sounds the keys of one dial line, e.g. --dial '1-800 555#'.\n"
                          "\n"
                          "Play lines' wave files are looked up in the script's own folder.\n"
                          "Exit status: 0 success, 1 input or output failure, 2 usage error,\n"
                          "130 or 143 stopped by SIGINT or SIGTERM.\n"
                          "\n")
        + options;
}
