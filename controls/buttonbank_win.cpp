#include "controls/buttonbank_win.h"

#include <stdexcept>

TButtonBank::TButtonBank(int count, HWND owner, HMENU popupMenu) : owner_(owner) {
    if (count < 1) count = 1;
    buttons_.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        auto b = std::make_unique<TKButton>(owner, false);
        b->Index = i + 1;
        const int index = i + 1;
        b->OnClick = [this, index] { ButtonClicked(index); };
        // Any button, before a popup menu opens: the owner learns which button it was.
        b->OnMouseDown = [this, index](int, int, int) { LastIndex = index; };
        b->PopupMenu = popupMenu;
        b->SetFontName(u"MS UI Gothic");
        b->SetFontSize(10);
        b->SetStyle(zsSingle);
        buttons_.push_back(std::move(b));
    }
}

TButtonBank::~TButtonBank() { *alive_ = false; }

TKButton& TButtonBank::Button(int position) {
    if (position < 0 || position >= Count()) throw std::out_of_range("TButtonBank::Button");
    return *buttons_[static_cast<size_t>(position)];
}

TKButton* TButtonBank::ByIndex(int index) {
    if (index < 1 || index > Count()) return nullptr;
    return buttons_[static_cast<size_t>(index - 1)].get();
}

void TButtonBank::ButtonClicked(int index) {
    LastIndex = index;
    if (busy_) return;
    busy_ = 1;
    // Cleared however the callback ends, and not touched if the callback freed the bank.
    struct Guard {
        TButtonBank* bank;
        std::shared_ptr<bool> alive;
        ~Guard() {
            if (*alive) bank->busy_ = 0;
        }
    } guard{this, alive_};
    if (OnButton) OnButton(index);
}

void TButtonBank::Place(int position, int h, int w, kdraw::KColor face, kdraw::KColor text) {
    TKButton& b = Button(position);
    b.SetBounds(X, Y, w, h);
    b.SetFaceColor(face);
    b.SetFontColor(text);
    b.SetVisible(true);
}

// Positions beyond Count are skipped so a small bank can use the same calls.

void TButtonBank::PlaceTitleRow(int n, int h, int w) {
    for (int i = 0; i < n && i < Count(); ++i) {
        TKButton& b = Button(i);
        b.SetStyle(zsFlat);
        b.SetFontSize(9);
        b.PopupMenu = nullptr;
        b.OnContextMenu = nullptr;
        Place(i, h, w, TitleFace, TitleText);
        X += w + 2;
    }
    Y += h + 3;
}

void TButtonBank::PlaceGroupRow(int n, int h, int w) {
    for (int i = 0; i < n; ++i) {
        if (10 + i < Count()) Place(10 + i, h, w, GroupFace, GroupText);
        X += w + 2;
    }
    Y += h + 2;
}

void TButtonBank::PlaceColumn(int n, int h, int w) {
    for (int i = 0; i < n; ++i) {
        if (30 + i < Count()) Place(30 + i, h, w, ColumnFace, ColumnText);
        Y += h + 2;
    }
}
