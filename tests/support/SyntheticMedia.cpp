#include "SyntheticMedia.h"

#include <QPainter>

namespace SyntheticMedia {

namespace {

    void AppendLe(QByteArray& bytes, std::uint32_t value, int size)
    {
        for (int i = 0; i < size; ++i)
            bytes.append(char((value >> (8 * i)) & 0xFF));
    }

} // namespace

QByteArray Wave(const QByteArray& pcm, int rate, int channels, int bitsPerSample)
{
    const int blockAlign = channels * bitsPerSample / 8;
    QByteArray wave("RIFF");
    AppendLe(wave, std::uint32_t(36 + pcm.size()), 4);
    wave.append("WAVEfmt ");
    AppendLe(wave, 16, 4);
    AppendLe(wave, 1, 2); // PCM
    AppendLe(wave, std::uint32_t(channels), 2);
    AppendLe(wave, std::uint32_t(rate), 4);
    AppendLe(wave, std::uint32_t(rate * blockAlign), 4);
    AppendLe(wave, std::uint32_t(blockAlign), 2);
    AppendLe(wave, std::uint32_t(bitsPerSample), 2);
    wave.append("data");
    AppendLe(wave, std::uint32_t(pcm.size()), 4);
    wave.append(pcm);
    return wave;
}

QByteArray Wave16(const std::vector<std::int16_t>& samples, int rate, int channels)
{
    QByteArray pcm;
    for (const std::int16_t sample : samples)
        AppendLe(pcm, std::uint16_t(sample), 2);
    return Wave(pcm, rate, channels, 16);
}

std::vector<std::int16_t> Level(int frames, std::int16_t value)
{
    return std::vector<std::int16_t>(std::size_t(frames), value);
}

QColor FrameColour(int frame)
{
    // Through QRgb, so that it compares equal to a pixel read back.
    return QColor(QColor::fromHsv((frame * 37) % 360, 255, 200 + frame % 50).rgb());
}

CAnimationClip AnimationClip(int frames, QSize frameSize, int framesPerSecond)
{
    CAnimationClip clip;
    clip.frameSize = frameSize;
    clip.frameCount = frames;
    clip.framesPerSecond = framesPerSecond;
    clip.strip = QImage(frameSize.width() * frames, frameSize.height(), QImage::Format_RGB32);
    QPainter painter(&clip.strip);
    for (int i = 0; i < frames; ++i)
        painter.fillRect(QRect(QPoint(i * frameSize.width(), 0), frameSize), FrameColour(i));
    return clip;
}

} // namespace SyntheticMedia
