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
    TButtonBank(int count, HWND owner, HMENU popupMenu = nullptr);
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

    // Layout cursor, read back after a Place call.
    int X = 0;
    int Y = 0;
    int LastIndex = 0;
    int TitleHeight = 16;
    kdraw::KColor TitleFace = 0x984E00, TitleText = 0xFFFFFF;
    kdraw::KColor GroupFace = 0xD8E9EC, GroupText = 0x808080;
    kdraw::KColor ColumnFace = 0xD8E9EC, ColumnText = 0x000000;

    // 1 while the callback runs; clicks arriving then are dropped.
    int Busy() const { return busy_; }

    // Positions 0..n-1 in a row: flat, title colours, font size 9, no popup menu.
    void PlaceTitleRow(int n, int h, int w);
    // Positions 10..10+n-1 in a row with the group colours.
    void PlaceGroupRow(int n, int h, int w);
    // Positions 30..30+n-1 in a column with the column colours.
    void PlaceColumn(int n, int h, int w);

    // What a click of the button with `index` does (also used by the buttons themselves).
    void ButtonClicked(int index);

private:
    void Place(int position, int h, int w, kdraw::KColor face, kdraw::KColor text);

    std::vector<std::unique_ptr<TKButton>> buttons_;
    HWND owner_;
    int busy_ = 0;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
