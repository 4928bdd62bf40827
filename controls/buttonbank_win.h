// TButtonBank: a window's numbered owner-drawn buttons. Button at position i has Index
// i + 1; every click reaches one callback with that number.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "controls/kbutton_win.h"
#include "core/kdraw.h"

class TButtonBank {
public:
    // count below 1 makes one button. All buttons start hidden, "MS UI Gothic" 10, zsSingle.
    // With `deferWindows` a button's window is made when it is first shown (TKButton::Deferred).
    TButtonBank(int count, HWND owner, bool deferWindows = false);
    TButtonBank(const TButtonBank&) = delete;
    TButtonBank& operator=(const TButtonBank&) = delete;
    ~TButtonBank();

    int Count() const { return static_cast<int>(buttons_.size()); }
    HWND Owner() const { return owner_; }
    // By position 0..Count-1; throws std::out_of_range outside.
    TKButton& Button(int position);
    // By Index 1..Count; null outside.
    TKButton* ByIndex(int index);

    // Called with the Index of a clicked button.
    std::function<void(int index)> OnButton;

    // The Index of the button most recently pressed (any mouse button) or clicked.
    int LastIndex = 0;

    // 1 while the callback runs; clicks arriving then are dropped.
    int Busy() const { return busy_; }

    // Puts the button at `position` where the owner's layout says, in its row's colours, and
    // shows it. Positions beyond Count are skipped.
    void Place(int position, int left, int top, int width, int height, kdraw::KColor face, kdraw::KColor text);

    // What a click of the button with `index` does (also used by the buttons themselves).
    void ButtonClicked(int index);

private:
    std::vector<std::unique_ptr<TKButton>> buttons_;
    HWND owner_;
    int busy_ = 0;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
