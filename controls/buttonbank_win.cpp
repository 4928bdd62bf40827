#include "controls/buttonbank_win.h"

#include <stdexcept>

TButtonBank::TButtonBank(int count, HWND owner, bool deferWindows) : owner_(owner) {
    if (count < 1) count = 1;
    buttons_.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        auto b = deferWindows ? std::make_unique<TKButton>(owner, TKButton::Deferred{})
                              : std::make_unique<TKButton>(owner, false);
        b->Index = i + 1;
        const int index = i + 1;
        b->OnClick = [this, index] { ButtonClicked(index); };
        // Any button, before a popup menu opens: the owner learns which button it was.
        b->OnMouseDown = [this, index](int, int, int) { LastIndex = index; };
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

void TButtonBank::Place(int position, int left, int top, int width, int height, kdraw::KColor face,
                        kdraw::KColor text) {
    if (position < 0 || position >= Count()) return;
    TKButton& b = Button(position);
    b.SetBounds(left, top, width, height);
    b.SetFaceColor(face);
    b.SetFontColor(text);
    b.SetVisible(true);
}
