#pragma once

// What the panel is doing. The panel controller alone changes it; the
// player learns of it only as a request (CPlaybackHost::Request).
enum class PanelMode {
    Idle,
    Playing,
    Recording,
    Paused,
    Repeat, // REPEAT was pressed; the player takes it at a wait, pause or play line
    Saving, // a recording is being named
    Loading, // a script is being chosen from the list
    Info, // the help text is shown
};
