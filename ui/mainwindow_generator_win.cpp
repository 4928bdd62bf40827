// TFKeyra as the generator window sees it: the settings, the entry table and the password
// field, through KGeneratorHost.
#include "generator/generatorhost.h"
#include "generator/generatorwindow_win.h"
#include "ui/mainwindow_win.h"
#include "ui/snap_win.h"

namespace {
class MainGeneratorHost : public KGeneratorHost {
public:
    explicit MainGeneratorHost(TFKeyra& form) : form_(form) {}
    HWND OwnerWindow() override { return form_.Handle(); }
    KGeneratorLook Look() override {
        const KEngine& e = *form_.Engine();
        return {e.FormColor, e.ButtonColor, e.FontName, e.FontSize};
    }
    int DispUsedMode() override { return form_.Engine() ? form_.Engine()->DispUsedMode : 0; }
    void SetDispUsedMode(int mode) override {
        if (form_.Engine()) form_.Engine()->DispUsedMode = mode;
    }
    int DispPassMode() override { return form_.Engine() ? form_.Engine()->DispPassMode : 0; }
    const KIdTable* Entries() override { return form_.Table(); }
    std::u16string EntryPassword() override { return form_.Field(3)->Text(); }
    bool HandOverAllowed() override { return form_.Engine() && !form_.PinAsked(); }
    void HandOver(const std::u16string& password) override {
        if (!HandOverAllowed()) return;
        kf::Edit& pass = *form_.Field(3);
        pass.SetText(password);
        pass.Focus();
        if (form_.Ops()) form_.Ops()->StoreCurrent();
    }
    void ShowHelp() override { form_.ShowHelp(L"generator.html"); }
    void SnapToNeighbour(HWND window) override { snapper_.SnapToNeighbour(window); }

private:
    TFKeyra& form_;
    TWindowSnapper snapper_;
};
}  // namespace

std::unique_ptr<KGeneratorSeam> TFKeyra::CreateGenerator() {
    generatorHost_ = std::make_unique<MainGeneratorHost>(*this);
    return std::make_unique<VIDodureza>(*generatorHost_);
}
