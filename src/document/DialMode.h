#pragma once

#include <cstdint>

// The one mode of the whole panel, held by the script document. The values
// are fixed (4, 6, 9 and 10 are unused); handlers and the player write any of
// them directly, and code that meets a value without a meaning treats it as
// "no steps".
enum DialMode : std::int32_t {
    ModeIdle = 0,
    ModePlaying = 1,
    ModeRecording = 2,
    ModePaused = 3,
    ModeRepeat = 5,
    ModeSaving = 7,
    ModeLoading = 8,
    ModeInfo = 11,
};
