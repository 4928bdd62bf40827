// kf::AnimatedImage: a child window that plays an animated picture (GIF), decoded by GDI+.
#pragma once
#include <windows.h>

#include <cstddef>
#include <vector>

#include "framework/controls.h"
#include "framework/window.h"

namespace kf {

class AnimatedImage : public Window {
public:
    AnimatedImage(HWND parent, const Bounds& bounds, bool visible);
    ~AnimatedImage() override;

    // The picture from memory; false when GDI+ cannot decode it.
    bool Load(const void* data, std::size_t size);
    // An RCDATA resource of the program.
    bool LoadResource(int id);

    int FrameCount() const { return static_cast<int>(delays_.size()); }
    int Frame() const { return frame_; }
    SIZE PictureSize() const { return size_; }
    // Delay of each frame in milliseconds at normal speed.
    const std::vector<int>& Delays() const { return delays_; }
    // 0 plays for ever; from the picture's loop count.
    int LoopCount() const { return loops_; }

    // Percent of the normal speed: 100 normal, 1000 ten times as fast.
    void SetSpeed(int percent) { speed_ = percent > 0 ? percent : 100; }
    void Start();
    void Stop();
    bool Animating() const { return animating_; }

    void SetVisible(bool visible);
    bool Visible() const;

protected:
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void Release();
    void ShowFrame(int frame);
    void ScheduleNext();
    void Paint();

    void* image_ = nullptr;  // GpImage
    std::vector<int> delays_;
    SIZE size_{};
    int loops_ = 0;
    int frame_ = 0;
    int speed_ = 100;
    bool animating_ = false;
};

}  // namespace kf
