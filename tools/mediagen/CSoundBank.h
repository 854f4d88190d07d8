#pragma once

#include <cstdint>
#include <vector>

// What every sound clip of the program sounds like: the twelve DTMF key
// tones and the nine effect sounds, synthesized to their exact lengths.
class CSoundBank {
public:
    // The samples of a clip, or an empty vector for an unknown number.
    static std::vector<std::int16_t> Clip(int clip);
};
