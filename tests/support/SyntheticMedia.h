#pragma once

#include "media/CMediaCatalogue.h"

#include <QByteArray>
#include <QColor>
#include <QSize>

#include <cstdint>
#include <vector>

// Media made by tests themselves, for code that takes catalogue-like input.
namespace SyntheticMedia {

// A RIFF WAVE file of PCM data as given (interleaved, little-endian).
QByteArray Wave(const QByteArray& pcm, int rate, int channels, int bitsPerSample);
// A 16-bit WAVE file of the samples.
QByteArray Wave16(const std::vector<std::int16_t>& samples, int rate = CMediaCatalogue::SampleRate, int channels = 1);
// frames samples of a steady value, so that a clip can be told apart from
// silence and from other clips in recorded output.
std::vector<std::int16_t> Level(int frames, std::int16_t value);

// An animation clip whose frame i is filled with FrameColour(i).
CAnimationClip AnimationClip(int frames, QSize frameSize, int framesPerSecond);
QColor FrameColour(int frame);

} // namespace SyntheticMedia
