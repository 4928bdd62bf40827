#include "ui/mainwindow_hosts_win.h"

#include "ui/snap_win.h"

KGeneratorHost& TFKeyra::GeneratorHost() { return *generatorHost_; }

void TFKeyra::PinHost::SetWindowLocked(bool locked) {
    // The lock itself is the program's: the right PIN asks it to be lifted.
    if (locked)
        form_.LockEntries(true);
    else
        form_.host_.PinUnlocked();
}

void TFKeyra::OptionsHost::Applied() {
    form_.SetPaintColor(form_.doc_.Settings().FormColor);
    form_.ArrangeControls();
    form_.ops_->MaskPassword();
}

void TFKeyra::GenHost::HandOver(const std::u16string& password) {
    if (!HandOverAllowed()) return;
    kf::Edit& pass = *form_.Field(kmainbank::kPassField);
    // Set, not typed: the box's own limit does not hold.
    pass.SetText(password.substr(0, KIdData::kFieldMax));
    pass.Focus();
    form_.ops_->StoreCurrent();
}

void TFKeyra::GenHost::SnapToNeighbour(HWND window) { form_.snapper_->SnapToNeighbour(window); }
