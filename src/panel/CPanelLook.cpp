#include "panel/CPanelLook.h"

#include "media/MediaIds.h"
#include "panel/CKeypad.h"
#include "panel/CNameEdit.h"
#include "panel/CPanelControls.h"
#include "platform/CAnimateCtrl.h"
#include "platform/CPlatform.h"

#include <QAbstractButton>
#include <QListWidget>
#include <QTextEdit>

#include <array>

namespace {

// A control's state in a row: left as it is, off or on.
enum Set : char { Keep, Off, On };

// A clip on an animation control: a still frame, or Loop.
struct Show {
    int clip = 0;
    int frame = Loop;
    static constexpr int Loop = -1;
};

enum class Focus { Keep, Play, Stop, Info };

struct Row {
    std::optional<Show> banner;
    std::optional<Show> lamp;
    // Enabled.
    Set play, rec, stop, pause, repeat, closeArea, keys;
    Set displayShown, displayEnabled;
    Set displayReadOnly; // On only: typing is opened by the naming look
    // Shown.
    Set lineList, scriptList, infoText;
    Focus focus;
};

using Look = CPanelLook::Look;

// Frame 16 lies beyond the lamp's cycle: it stands fully lit.
constexpr Show LampLit{Clip::LampCycle, 16};

// clang-format off
constexpr std::array<Row, 14> Rows{{
    //                banner                          lamp     play rec  stop pause rep  close keys  dispShown dispOn dispRO  lines scripts info  focus
    /* Idle */      {Show{Clip::BannerReady},         LampLit, On,  On,  Off, Off,  Off, On,   On,   On,       On,    Keep,   Keep, Keep,   Keep, Focus::Play},
    /* Playing */   {Show{Clip::BannerPlay},          {},      Off, Off, On,  On,   On,  Off,  Off,  On,       Keep,  Keep,   On,   Off,    Off,  Focus::Stop},
    /* Recording */ {Show{Clip::BannerRecord},        {},      Off, Off, On,  Off,  Off, Off,  On,   On,       Keep,  On,     On,   Off,    Off,  Focus::Stop},
    /* Paused */    {Show{Clip::BannerPause},         {},      Keep,Keep,Keep,Keep, Keep,Keep, On,   Keep,     Keep,  Keep,   Keep, Keep,   Keep, Focus::Keep},
    /* Loading */   {Show{Clip::BannerStills, 3},     {},      Off, Off, Off, Off,  Off, Keep, Keep, On,       On,    On,     Off,  On,     Off,  Focus::Keep},
    /* Info */      {Show{Clip::BannerHelp, 0},       {},      Keep,Keep,Keep,Keep, Keep,Keep, Keep, Off,      Off,   Keep,   Off,  Off,    Keep, Focus::Keep},
    /* Naming */    {Show{Clip::BannerStills, 5},     {},      Off, Off, Keep,Off,  Off, Keep, Keep, Keep,     Keep,  Keep,   Off,  On,     Off,  Focus::Keep},
    /* ScriptLines */{{},                             {},      Keep,Keep,Keep,Keep, Keep,Keep, Keep, Keep,     Keep,  Keep,   On,   Off,    Off,  Focus::Keep},
    /* Cleared */   {{},                              {},      Keep,Keep,Keep,Keep, Keep,Keep, Keep, Off,      Keep,  Keep,   Off,  Off,    Off,  Focus::Keep},
    /* WaitOver */  {{},                              {},      Keep,Keep,Keep,Off,  Off, Off,  Keep, Keep,     Keep,  Keep,   Keep, Keep,   Keep, Focus::Keep},
    /* PauseLine */ {{},                              {},      Keep,Keep,On,  On,   On,  Keep, Keep, Keep,     Keep,  Keep,   Keep, Keep,   Keep, Focus::Keep},
    /* Opening */   {Show{Clip::BannerReady},         LampLit, On,  On,  Off, Off,  Off, On,   Keep, Off,      Off,   Keep,   Off,  Off,    On,   Focus::Info},
    /* IntroKeys */ {{},                              {},      Keep,Keep,On,  On,   On,  Keep, Keep, Keep,     Keep,  Keep,   Keep, Keep,   Keep, Focus::Keep},
    /* IntroDone */ {{},                              {},      Keep,Keep,Off, Off,  Off, Keep, Keep, Keep,     Keep,  Keep,   Keep, Keep,   Keep, Focus::Keep},
}};
// clang-format on

void SetEnabled(QWidget* widget, Set set)
{
    if (set != Keep)
        widget->setEnabled(set == On);
}

void SetShown(QWidget* widget, Set set)
{
    if (set != Keep)
        widget->setVisible(set == On);
}

void ShowClip(CPlatform& platform, CAnimateCtrl& control, const Show& show)
{
    if (show.frame == Show::Loop)
        CPanelLook::PlayForever(platform, control, show.clip);
    else
        CPanelLook::ShowStill(platform, control, show.clip, show.frame);
}

} // namespace

std::optional<Look> CPanelLook::OfMode(PanelMode mode)
{
    switch (mode) {
    case PanelMode::Idle:
        return Idle;
    case PanelMode::Playing:
        return Playing;
    case PanelMode::Recording:
        return Recording;
    case PanelMode::Paused:
        return Paused;
    case PanelMode::Loading:
        return Loading;
    case PanelMode::Info:
        return Info;
    case PanelMode::Repeat:
    case PanelMode::Saving:
        break;
    }
    return std::nullopt;
}

void CPanelLook::Apply(Look look, const CPanelControls& c, CKeypad& keypad, CPlatform& platform)
{
    const Row& row = Rows.at(static_cast<std::size_t>(look));
    if (row.banner)
        ShowClip(platform, *c.modeBanner, *row.banner);
    if (row.lamp)
        ShowClip(platform, *c.activityLight, *row.lamp);
    SetEnabled(c.play, row.play);
    SetEnabled(c.rec, row.rec);
    SetEnabled(c.stop, row.stop);
    SetEnabled(c.pause, row.pause);
    SetEnabled(c.repeat, row.repeat);
    SetEnabled(c.closeArea, row.closeArea);
    if (row.keys != Keep)
        keypad.SetEnabled(row.keys == On);
    SetShown(c.display, row.displayShown);
    SetEnabled(c.display, row.displayEnabled);
    if (row.displayReadOnly == On)
        c.display->setReadOnly(true);
    SetShown(c.lineList, row.lineList);
    SetShown(c.scriptList, row.scriptList);
    SetShown(c.infoText, row.infoText);
    switch (row.focus) {
    case Focus::Play:
        c.play->setFocus();
        break;
    case Focus::Stop:
        c.stop->setFocus();
        break;
    case Focus::Info:
        c.infoText->setFocus();
        break;
    case Focus::Keep:
        break;
    }
}

void CPanelLook::PlayForever(CPlatform& platform, CAnimateCtrl& control, int clip)
{
    platform.OpenAnimation(control, clip);
    platform.PlayAnimation(control, 0, CAnimateCtrl::LastFrame, CAnimateCtrl::ForEver);
}

void CPanelLook::ShowStill(CPlatform& platform, CAnimateCtrl& control, int clip, int frame)
{
    platform.OpenAnimation(control, clip);
    platform.PlayAnimation(control, frame, frame, 1);
}
