// Animate1 of the progress window: the system's stock clip for searching, deleting or copying
// when the shell carries it, else a small animation of our own drawn by a timer (Wine and
// newer Windows versions have no such clips).
#pragma once

#include "controls/Window.h"
#include "core/CopyRun.h"

namespace tavrel {

class TStatusAnimation : public Window {
public:
    static constexpr int kFrames = 24;
    static constexpr int kFrameMs = 60;
    // The logical size every frame is drawn in; the window scales it.
    static constexpr int kWidth = 272, kHeight = 60;

    ~TStatusAnimation() override;

    bool CreateAnimation(HWND parent, int id, const RECT& bounds);

    // Plays the clip in a loop from its first frame.
    void Play(RunClip clip);
    // Stops at the frame shown.
    void Stop();

    bool Playing() const { return playing_; }
    bool HasClip() const { return hasClip_; }
    RunClip Clip() const { return clip_; }
    bool UsesStockClip() const { return stockOpen_; }
    int Frame() const { return frame_; }
    // Moves to the next frame of our own animation (the timer's step).
    void Step();

    // The resource id of the clip in shell32.dll.
    static int StockClipId(RunClip clip);
    // Draws a frame of our own animation into the rectangle (0, 0, width, height).
    static void DrawFrame(HDC dc, RunClip clip, int frame, int width, int height);

protected:
    bool OnTimer(UINT_PTR id) override;
    void OnPaint(HDC dc, const RECT& update) override;
    bool OnEraseBackground(HDC) override { return true; }
    bool OnDestroy() override;

private:
    bool OpenStock(RunClip clip);
    void CloseStock();

    HWND stock_ = nullptr;
    bool stockOpen_ = false;
    bool playing_ = false;
    bool hasClip_ = false;
    RunClip clip_ = RunClip::CopyFiles;
    int frame_ = 0;
};

}  // namespace tavrel
