#include "shell/CCommandLine.h"

#include "document/CDialScript.h"
#include "document/CScriptFile.h"
#include "platform/CQtPlatform.h"
#include "platform/CRenderPlatform.h"
#include "platform/CWaveWriter.h"
#include "playback/CScriptLine.h"
#include "playback/CScriptPlayer.h"
#include "shell/CCommandLineHost.h"
#include "shell/CCommandLineParser.h"
#include "shell/CSignalWatcher.h"

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <optional>

namespace {

using Options = CCommandLineParser::Options;

// What a render writes to: the sound sink of the platform and its file.
struct Render {
    CRenderPlatform& platform;
    CWaveWriter& writer;
};

void Complain(std::FILE* err, const std::string& where, const std::string& what)
{
    std::fprintf(err, "pelmora: %s: %s\n", where.c_str(), what.c_str());
}

// Why the script at path could not be read, as CScriptFile::Read refuses it.
std::string ScriptProblem(const std::string& path)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found)
        return "cannot read the script: no such file";
    if (status.type() != std::filesystem::file_type::regular)
        return "cannot read the script: not a regular file";
    if (std::filesystem::file_size(path, error) > CScriptFile::MaxBytes)
        return "cannot read the script: larger than 1 MiB";
    return "cannot read the script: " + std::error_code(errno, std::generic_category()).message();
}

// Why the play line at position cannot be played.
std::string PlayLineProblem(CDialScript& script, int position, const std::string& directory)
{
    const std::optional<std::string> name = CScriptLine::PlayFileName(script.GetLine(position));
    if (!name)
        return "cannot play: the line names no \"NAME.wav\" between double quotes";
    if (!CScriptPlayer::FindWaveFile(directory, *name))
        return "cannot play \"" + *name + "\": no such file";
    return "cannot play \"" + *name + "\": not a sound this program can read";
}

// The folder of a script path, ending in its separator, or "" for a bare
// name: the prefix that play lines' names are looked up with.
std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// A script of one dial line holding keys, as the recorder would store it.
void MakeDialScript(CDialScript& script, const std::string& keys)
{
    script.NewRecording();
    for (const char key : keys)
        script.RecordKey(key);
    script.RecordKey(CDialScript::EndMarker);
}

// Plays the script or keys of options on platform, into a file when render
// is given; returns the exit status.
int Play(const Options& options, CPlatform& platform, const Render* render, std::FILE* out, std::FILE* err)
{
    const std::string label = options.keys.empty() ? options.script : std::string("--dial");
    CDialScript script(platform);
    if (options.keys.empty()) {
        errno = 0;
        if (!script.Load(options.script)) {
            Complain(err, options.script, ScriptProblem(options.script));
            return CCommandLine::Failure;
        }
    } else {
        MakeDialScript(script, options.keys);
    }
    if (render != nullptr && !render->writer.Open()) {
        Complain(err, options.output, "cannot write: " + render->writer.ErrorText().toStdString());
        return CCommandLine::Failure;
    }

    CCommandLineHost::Settings settings;
    settings.scriptLabel = label;
    settings.printLines = options.verbose || (render == nullptr && options.keys.empty());
    settings.pauseSeconds = options.pauseSeconds;
    if (render != nullptr)
        settings.pauseLines = CCommandLineHost::PauseLines::Silence;
    else if (!options.noPause)
        settings.pauseLines = CCommandLineHost::PauseLines::WaitForEnter;
    CCommandLineHost host(script, platform, settings, out, err);
    const std::string directory = FolderOf(options.script);
    CScriptPlayer player(platform);
    const CPlaybackHost::Outcome outcome = player.Play(script, directory, host);

    int status = CCommandLine::Success;
    if (outcome == CPlaybackHost::Outcome::SoundNotFound) {
        Complain(err, label + ":" + std::to_string(host.LastPosition() + 1),
            PlayLineProblem(script, host.LastPosition(), directory));
        status = CCommandLine::Failure;
    } else if (CSignalWatcher::Received() != 0) {
        status = CCommandLine::SignalBase + CSignalWatcher::Received();
    }
    if (render != nullptr) {
        if (status == CCommandLine::Success) {
            render->platform.Finish();
            if (!render->writer.Commit()) {
                Complain(err, options.output, "cannot write: " + render->writer.ErrorText().toStdString());
                status = CCommandLine::Failure;
            }
        } else {
            render->writer.Cancel();
        }
    }
    return status;
}

} // namespace

int CCommandLine::Run(const QStringList& arguments, std::FILE* out, std::FILE* err)
{
    const Options options = CCommandLineParser::Parse(arguments);
    switch (options.action) {
    case CCommandLineParser::Action::Help:
        std::fputs(CCommandLineParser::HelpText().toLocal8Bit().constData(), out);
        return Success;
    case CCommandLineParser::Action::Version:
        std::fputs("pelmora " PELMORA_VERSION "\n", out);
        return Success;
    case CCommandLineParser::Action::UsageError:
        std::fprintf(
            err, "pelmora: %s\nTry 'pelmora --help' for more information.\n", options.error.toLocal8Bit().constData());
        return UsageError;
    case CCommandLineParser::Action::Run:
        break;
    }

    const CSignalWatcher signalWatcher;
    if (!options.output.empty()) {
        // A file size limit must fail the write, not kill the program with
        // its temporary file left behind.
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        CWaveWriter writer(options.output, options.rate);
        CRenderPlatform platform(writer, options.rate);
        const Render render{platform, writer};
        const int status = Play(options, platform, &render, out, err);
        std::signal(SIGXFSZ, previous);
        return status;
    }
    CQtPlatform platform;
    return Play(options, platform, nullptr, out, err);
}
