// A check box whose click handler hears only the user.
#include "framework/controls.h"

#include "framework/controls_internal.h"
#include "framework/kstr.h"

namespace kf {

using detail::VisibleStyle;

CheckBox::CheckBox(const CheckBoxArgs& a) {
    CreateControl(L"BUTTON", a.text, BS_AUTOCHECKBOX | WS_TABSTOP | VisibleStyle(a.visible), 0, a.parent, a.bounds,
                  a.font);
    onClicked_ = a.onClicked;
    if (a.backColor != kNoColor) SetBackColor(a.backColor);
}

bool CheckBox::Checked() const { return SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }
void CheckBox::SetChecked(bool checked) {
    SendMessageW(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void CheckBox::OnCommand(int code) {
    if (code == BN_CLICKED && onClicked_) onClicked_();
}

}  // namespace kf
