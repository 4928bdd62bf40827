// What the panels and the generator see of the main window: each gets one of these small
// hosts, never the window itself. Only the main window's own files include this.
#pragma once
#include "app/mainbank.h"
#include "controls/buttonbank_win.h"
#include "generator/generatorhost.h"
#include "ui/mainwindow_win.h"
#include "ui/optionspanel_win.h"
#include "ui/pinpanel_win.h"
#include "ui/searchbox_win.h"

class TFKeyra::PinHost : public KPinHost {
public:
    explicit PinHost(TFKeyra& form) : form_(form) {}
    HWND Window() override { return form_.Handle(); }
    void SetWindowLocked(bool locked) override;
    void FocusList() override { form_.FocusList(); }
    void PinSpent() override { form_.host_.PinSpent(); }

private:
    TFKeyra& form_;
};

class TFKeyra::OptionsHost : public KOptionsHost {
public:
    explicit OptionsHost(TFKeyra& form) : form_(form) {}
    HWND Window() override { return form_.Handle(); }
    KRect PanelArea() override { return form_.layout_.panel; }
    TKButton& HelpButton() override { return form_.bank_->Button(kmainbank::kHelpPos); }
    std::int32_t& GroupOffset() override { return form_.engine_.GroupOffset; }
    void Applied() override;

private:
    TFKeyra& form_;
};

class TFKeyra::SearchHost : public KSearchHost {
public:
    explicit SearchHost(TFKeyra& form) : form_(form) {}
    HWND Window() override { return form_.Handle(); }
    int CaptionRight() override { return form_.CaptionRight(); }
    bool SearchAllowed() override { return form_.SearchAllowed(); }
    void FocusList() override { form_.FocusList(); }
    void StoreCurrent() override { form_.ops_->StoreCurrent(); }
    int CurrentEntry() override { return form_.engine_.Current; }
    void ShowFound(int index) override { form_.ops_->ShowFound(index); }

private:
    TFKeyra& form_;
};

class TFKeyra::GenHost : public KGeneratorHost {
public:
    explicit GenHost(TFKeyra& form) : form_(form) {}
    HWND OwnerWindow() override { return form_.Handle(); }
    std::u16string EntryPassword() override { return form_.Field(kmainbank::kPassField)->Text(); }
    bool HandOverAllowed() override { return form_.life_.Allows(KUse::Entries); }
    void HandOver(const std::u16string& password) override;
    void ShowHelp() override { form_.ShowHelp(L"generator.html"); }
    void SnapToNeighbour(HWND window) override;

private:
    TFKeyra& form_;
};
