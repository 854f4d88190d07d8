#include "playback/CScriptPlayer.h"

#include "document/CDialScript.h"
#include "platform/CPlatform.h"
#include "playback/CKeyTable.h"
#include "playback/CScriptLine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdint>
#include <vector>

using Request = CPlaybackHost::Request;
using Outcome = CPlaybackHost::Outcome;
using Activity = CPlaybackHost::Activity;

CScriptPlayer::CScriptPlayer(CPlatform& platform)
    : m_platform(platform)
{
}

std::string CScriptPlayer::LinePreview(CDialScript& script, int position)
{
    const int source = position <= 0 ? 0 : position + 1;
    // Nothing follows the last line: there is nothing to preview.
    if (source >= script.GetLineCount())
        return std::string();
    return CScriptLine::PreviewText(script.GetLine(source));
}

Outcome CScriptPlayer::Play(CDialScript& script, const std::string& waveDirectory, CPlaybackHost& host)
{
    Run run{script, waveDirectory, host, 0, 1, 0, std::nullopt};
    run.lastPosition = script.GetLineCount() - 1;
    // Waits and pauses belong to the playback's sound: the device stays
    // open through them, so that releasing and reopening it cannot shift
    // the next line.
    m_platform.KeepSoundDevice(true);
    bool noteShown = false;
    for (; run.position <= run.lastPosition; ++run.position, ++run.lineNumber) {
        // The lines are read afresh each time: a script replaced while
        // events were processed (STOP, then '*' and Enter, handled together)
        // may have fewer lines than at the start.
        if (run.end || Stopped(run) || run.position >= script.GetLineCount())
            break;
        const std::string text = script.GetLine(run.position);
        std::optional<std::string> preview;
        if (noteShown)
            noteShown = false; // the note stays up while this line plays
        else if (run.position < run.lastPosition)
            preview = LinePreview(script, run.position);
        host.LineStarted(run.position, run.lineNumber, preview);

        switch (CScriptLine::Recognise(text)) {
        case CScriptLine::Dial:
            Dial(run, text);
            break;
        case CScriptLine::Wait:
            Wait(run, text);
            break;
        case CScriptLine::Pause:
            Pause(run);
            break;
        case CScriptLine::Show:
            host.NoteShown(script.GetShowText(run.position));
            noteShown = true;
            break;
        case CScriptLine::Play: {
            const std::optional<std::string> name = CScriptLine::PlayFileName(text);
            const std::optional<std::string> path = name ? FindWaveFile(waveDirectory, *name) : std::nullopt;
            if (path)
                PlayWave(run, *path);
            else
                run.end = Outcome::SoundNotFound; // a mistyped name must not look like a complete run
            break;
        }
        case CScriptLine::None:
            break;
        }
    }

    m_platform.KeepSoundDevice(false);
    const Outcome outcome = run.end.value_or(Outcome::Completed);
    host.Ended(outcome, std::min(run.position, run.lastPosition));
    return outcome;
}

void CScriptPlayer::Dial(Run& run, const std::string& text)
{
    run.host.ActivityChanged(Activity::Dialling);
    m_platform.ProcessEvents();
    if (Stopped(run))
        return;
    // The keys of one line sound back to back, each shown pressed for its
    // tone, and a STOP waits for the last of them. Only closing ends the
    // line early.
    const std::string keys = CScriptLine::DialKeys(text);
    std::vector<int> tones;
    for (const char key : keys)
        tones.push_back(CKeyTable::FromCharacter(key)->toneClip);
    m_platform.SoundDialLine(tones, [&run, &keys](std::size_t key, bool sounding) {
        if (sounding && run.host.PendingRequest() == Request::Close)
            return false;
        run.host.KeySounding(keys[key], sounding);
        return true;
    });
}

bool CScriptPlayer::Stopped(Run& run)
{
    switch (run.host.PendingRequest()) {
    case Request::Stop:
        run.end = Outcome::Stopped;
        return true;
    case Request::Close:
        run.end = Outcome::Closed;
        return true;
    default:
        return false;
    }
}

bool CScriptPlayer::TakeStopOrRepeat(Run& run)
{
    if (Stopped(run))
        return true;
    if (run.host.PendingRequest() == Request::Repeat && run.lineNumber >= 2) {
        // With the loop's step, the line before this one plays next, then
        // this line again.
        run.position -= 2;
        run.lineNumber -= 2;
        run.host.RepeatTaken();
        return true;
    }
    return false;
}

void CScriptPlayer::Wait(Run& run, const std::string& text)
{
    const std::int32_t length = CScriptLine::WaitMs(text);
    std::int32_t remaining = length;
    std::uint32_t deadline = m_platform.NowMs() + static_cast<std::uint32_t>(length);
    run.host.ActivityChanged(Activity::Waiting);
    m_platform.ProcessEvents();
    // Whether the countdown stood still since the previous pass. Requests
    // change only while events are processed, which happens as the blocking
    // wait between two passes ends, so the time of that wait belongs to the
    // request seen before it: a pause that arrives after 4 s of a 10-second
    // wait keeps 6 s, and a resume after a minute's pause does not count the
    // minute.
    bool stoodStill = false;
    for (;;) {
        if (TakeStopOrRepeat(run))
            break;
        const std::uint32_t now = m_platform.NowMs();
        if (stoodStill)
            deadline = now + static_cast<std::uint32_t>(remaining);
        else
            remaining = static_cast<std::int32_t>(deadline - now); // wraps like the clock
        if (remaining <= 0)
            break;
        stoodStill = run.host.PendingRequest() == Request::Pause;
        // Sleeps until the next event or the deadline instead of spinning;
        // every pass still reads the request and the clock.
        m_platform.WaitForEvents(stoodStill ? -1 : remaining);
    }
    run.host.ActivityChanged(Activity::WaitOver);
}

void CScriptPlayer::Pause(Run& run)
{
    run.host.PauseLineReached();
    m_platform.ProcessEvents();
    for (;;) {
        if (TakeStopOrRepeat(run))
            break;
        if (run.host.PendingRequest() != Request::Pause)
            break;
        m_platform.WaitForEvents(-1);
    }
}

std::optional<std::string> CScriptPlayer::FindWaveFile(const std::string& directory, const std::string& name)
{
    const std::string exact = directory + name;
    if (QFileInfo(QFile::decodeName(QByteArray::fromStdString(exact))).isFile())
        return exact;
    if (name.find('/') != std::string::npos)
        return std::nullopt;
    // The player lowers the name, so a wave file copied as "Menu.WAV" is
    // found by comparing without regard to case.
    const QDir dir(directory.empty() ? QStringLiteral(".") : QFile::decodeName(QByteArray::fromStdString(directory)));
    const QString wanted = QFile::decodeName(QByteArray::fromStdString(name));
    for (const QString& entry : dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name)) {
        if (entry.compare(wanted, Qt::CaseInsensitive) == 0)
            return directory + QFile::encodeName(entry).toStdString();
    }
    return std::nullopt;
}

void CScriptPlayer::PlayWave(Run& run, const std::string& path)
{
    // As at a wait: STOP, PAUSE and REPEAT are live while the sound plays.
    run.host.ActivityChanged(Activity::SoundingFile);
    m_platform.ProcessEvents();
    std::int32_t lengthMs = -1; // known once the sound has started
    std::int32_t fromMs = 0; // where the sound starts, or resumes after a pause
    std::uint32_t endsAt = 0;
    bool sounding = false;
    for (;;) {
        if (TakeStopOrRepeat(run)) {
            m_platform.StopWaveFile();
            break;
        }
        const std::uint32_t now = m_platform.NowMs();
        if (run.host.PendingRequest() == Request::Pause) {
            if (sounding) {
                // PAUSE's own clip has cut the sound already; it resumes
                // where it was cut, as a wait keeps the time it had left.
                m_platform.StopWaveFile();
                fromMs = std::clamp(lengthMs - static_cast<std::int32_t>(endsAt - now), 0, lengthMs);
                sounding = false;
            }
            m_platform.WaitForEvents(-1);
            continue;
        }
        if (!sounding) {
            if (lengthMs >= 0 && fromMs >= lengthMs)
                break;
            // A file that exists but cannot be read or decoded cannot be
            // played either: like a missing one, it must not pass for a
            // complete run.
            if (!m_platform.StartWaveFile(path, fromMs)) {
                run.end = Outcome::SoundNotFound;
                break;
            }
            sounding = true;
        }
        const int remaining = m_platform.WaveFileRemainingMs();
        if (lengthMs < 0)
            lengthMs = remaining;
        if (remaining <= 0)
            break;
        endsAt = now + static_cast<std::uint32_t>(remaining);
        m_platform.WaitForEvents(remaining);
    }
}
