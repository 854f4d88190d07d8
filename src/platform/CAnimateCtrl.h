#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

struct CAnimationClip;

// A control that plays an animation clip: a strip of equally sized frames
// shown one after the other at the clip's frame rate, driven by the
// control's own timer. Requests never block.
//
// Frame numbers count from 0. A request for a frame beyond the last one is
// clamped to the last frame; LastFrame as the end of a range means the last
// frame. A closed control (no clip, or clip 0) is blank and ignores play
// requests.
class CAnimateCtrl : public QWidget {
    Q_OBJECT

public:
    static constexpr int LastFrame = 0xFFFF;
    static constexpr int ForEver = -1;

    explicit CAnimateCtrl(QWidget* parent = nullptr);

    // Opens a catalogue clip by number: shows its frame 0 and stops any
    // playback; 0 or a number that is not an animation clip closes the
    // control. The control takes the clip's frame size.
    void Open(int clip);
    // The same for a clip that does not come from the catalogue; it must
    // outlive its use by the control. number is what Clip() reports.
    void Open(const CAnimationClip* clip, int number);

    // Plays frames from to to, repeat times (ForEver, or any negative count,
    // loops until stopped); equal ends (after clamping) or a count of 0 show
    // frame from as a still frame. A range that runs backwards is ignored.
    void Play(int from, int to, int repeat);
    // Stops playback; the current frame stays visible.
    void Stop();

    // What the control is doing, for its owner and for tests.
    int Clip() const { return m_number; }
    bool IsOpen() const { return m_clip != nullptr; }
    int FrameCount() const;
    // The frame on show, -1 when closed.
    int CurrentFrame() const { return m_current; }
    bool IsPlaying() const { return m_playing; }
    // The clamped range of the last play request.
    int RangeFrom() const { return m_from; }
    int RangeTo() const { return m_to; }
    // Passes through the range still to play, the current one included;
    // ForEver when looping, 0 when not playing.
    int RepeatsLeft() const { return m_repeatsLeft; }

    // With external time the control's own timer stays off and playback
    // advances only through AdvanceTime (a virtual clock drives it in tests).
    void SetExternalTime(bool external);
    // Lets ms milliseconds of playback pass.
    void AdvanceTime(double ms);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double FramePeriodMs() const;
    void ShowFrame(int frame);
    void StepFrame();
    void EndPlayback();
    void OnTimer();
    void ScheduleTick();

    const CAnimationClip* m_clip = nullptr;
    int m_number = 0;
    int m_current = -1;
    int m_from = 0;
    int m_to = 0;
    int m_repeatsLeft = 0;
    bool m_playing = false;
    // Time into the frame on show.
    double m_phaseMs = 0.0;

    bool m_externalTime = false;
    QTimer m_timer;
    QElapsedTimer m_sinceAdvance;
};
