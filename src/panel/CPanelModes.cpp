#include "panel/CPanelModes.h"

#include "document/CDialScript.h"
#include "media/MediaIds.h"
#include "panel/CNameEdit.h"
#include "panel/CPanelState.h"
#include "platform/CPlatform.h"
#include "playback/CKeypad.h"

#include <QAbstractButton>
#include <QListWidget>
#include <QTextEdit>

#include <algorithm>
#include <cstdio>

namespace {

constexpr std::size_t DisplayDigits = 12;

} // namespace

CPanelModes::CPanelModes(CPanelState& panel, CKeypad& keypad)
    : m_panel(panel)
    , m_keypad(keypad)
{
}

std::string CPanelModes::FormatCount(int count)
{
    char text[16];
    std::snprintf(text, sizeof text, "%03d", count);
    return text;
}

void CPanelModes::PlayForever(CAnimateCtrl& control, int clip)
{
    m_panel.platform.OpenAnimation(control, clip);
    m_panel.platform.PlayAnimation(control, 0, LastFrame, Forever);
}

void CPanelModes::ShowStill(CAnimateCtrl& control, int clip, int frame)
{
    m_panel.platform.OpenAnimation(control, clip);
    m_panel.platform.PlayAnimation(control, frame, frame, 1);
}

void CPanelModes::RefreshPanel()
{
    switch (m_panel.script.GetMode()) {
    case ModeIdle:
        RefreshIdle();
        break;
    case ModePlaying:
        RefreshPlaying();
        break;
    case ModeRecording:
        RefreshRecording();
        break;
    case ModePaused:
        RefreshPaused();
        break;
    case ModeLoading:
        RefreshLoading();
        break;
    case ModeInfo:
        RefreshInfo();
        break;
    default:
        // Repeat and saving keep the look their command gave the panel.
        break;
    }
    m_panel.PushTexts();
}

void CPanelModes::RefreshIdle()
{
    CPanelControls& c = m_panel.controls;
    m_panel.platform.StopAnimation(*c.modeBanner);
    m_panel.platform.OpenAnimation(*c.modeBanner, 0);
    PlayForever(*c.modeBanner, Clip::BannerReady);
    // Frame 16 lies beyond the clip: the control shows its last frame, the
    // fully lit lamp.
    ShowStill(*c.activityLight, Clip::LampCycle, 16);
    c.play->setEnabled(true);
    c.rec->setEnabled(true);
    c.closeArea->setEnabled(true);
    c.stop->setEnabled(false);
    c.pause->setEnabled(false);
    c.repeat->setEnabled(false);
    c.display->setVisible(true);
    c.display->setEnabled(true);
    c.play->setFocus();
    m_keypad.EnableKeypad();
}

void CPanelModes::RefreshPlaying()
{
    CPanelControls& c = m_panel.controls;
    PlayForever(*c.modeBanner, Clip::BannerPlay);
    c.play->setEnabled(false);
    c.rec->setEnabled(false);
    c.stop->setEnabled(true);
    c.pause->setEnabled(true);
    c.repeat->setEnabled(true);
    c.closeArea->setEnabled(false);
    c.display->setVisible(true);
    c.lineList->setVisible(true);
    c.scriptList->setVisible(false);
    c.infoText->setVisible(false);
    c.stop->setFocus();
    m_keypad.DisableKeypad();
}

void CPanelModes::RefreshRecording()
{
    CPanelControls& c = m_panel.controls;
    PlayForever(*c.modeBanner, Clip::BannerRecord);
    c.play->setEnabled(false);
    c.rec->setEnabled(false);
    c.stop->setEnabled(true);
    c.pause->setEnabled(false);
    c.closeArea->setEnabled(false);
    c.repeat->setEnabled(false);
    c.display->setVisible(true);
    c.scriptList->setVisible(false);
    c.lineList->setVisible(true);
    c.infoText->setVisible(false);
    m_keypad.EnableKeypad();
    c.display->setReadOnly(true);
    c.stop->setFocus();
}

void CPanelModes::RefreshPaused()
{
    PlayForever(*m_panel.controls.modeBanner, Clip::BannerPause);
    m_keypad.EnableKeypad();
}

void CPanelModes::RefreshLoading()
{
    CPanelControls& c = m_panel.controls;
    ShowStill(*c.modeBanner, Clip::BannerStills, 3);
    c.display->setReadOnly(true);
    c.display->setEnabled(true);
    c.display->setVisible(true);
    c.play->setEnabled(false);
    c.rec->setEnabled(false);
    c.stop->setEnabled(false);
    c.pause->setEnabled(false);
    c.repeat->setEnabled(false);
    c.lineList->setVisible(false);
    c.scriptList->setVisible(true);
    c.infoText->setVisible(false);
}

void CPanelModes::RefreshInfo()
{
    CPanelControls& c = m_panel.controls;
    m_panel.platform.StopAnimation(*c.modeBanner);
    ShowStill(*c.modeBanner, Clip::BannerHelp, 0);
    c.display->setEnabled(false);
    c.display->setVisible(false);
    c.lineList->setVisible(false);
    c.scriptList->setVisible(false);
}

void CPanelModes::ResetDisplay()
{
    CPanelControls& c = m_panel.controls;
    c.display->setVisible(false);
    c.lineList->setVisible(false);
    c.scriptList->setVisible(false);
    c.infoText->setVisible(false);
    m_panel.displayText = m_panel.script.GetName();
    m_panel.statusText = m_panel.displayText.empty() ? "Load / Record Script First." : "Play Script / Record New";
    c.lineList->clear();
}

void CPanelModes::FillLineList()
{
    QListWidget* list = m_panel.controls.lineList;
    list->clear();
    const int count = m_panel.script.GetLineCount();
    QStringList entries;
    entries.reserve(count);
    for (int i = 0; i < count; ++i) {
        const std::string line = m_panel.script.GetLine(i);
        entries.append(QString::fromLocal8Bit(
            line.data(), std::min(static_cast<qsizetype>(line.size()), qsizetype(LineListWidth))));
    }
    list->addItems(entries);
    m_panel.counterText = FormatCount(count);
    if (count > 0) {
        // The last line as the top line, as far as the list can scroll.
        list->scrollToItem(list->item(count - 1), QAbstractItemView::PositionAtTop);
        list->setCurrentRow(count - 1);
    } else {
        list->setCurrentRow(-1);
        list->scrollToTop();
    }
}

void CPanelModes::ShowRecordedDigits()
{
    m_panel.controls.display->setTextMargins(0, 0, 0, 0);
    if (m_panel.script.GetMode() != ModeRecording)
        return;
    const std::string digits = m_panel.script.GetDigits();
    m_panel.displayText = digits.size() > DisplayDigits ? digits.substr(digits.size() - DisplayDigits) : digits;
}
