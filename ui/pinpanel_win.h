// PanelPIN: asks for the PIN at start and sets or removes it from the options panel. The
// rules are TPinLock's (ui/pinlock.h); this is only the panel.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>

#include "framework/controls.h"
#include "framework/gdi.h"
#include "ui/pinlock.h"

class KDocument;
class TKButton;

// What the PIN panel needs of the window it covers.
class KPinHost {
public:
    virtual ~KPinHost() = default;
    virtual HWND Window() = 0;
    // While the PIN is asked the list, the fields and the generator are out of reach; the
    // right PIN opens the window again.
    virtual void SetWindowLocked(bool locked) = 0;
    virtual void FocusList() = 0;
    // The PIN was missed too often: the master password is asked instead.
    virtual void PinSpent() = 0;
};

class TPinPanel : private KPinView {
public:
    TPinPanel(KPinHost& host, KDocument& doc);
    ~TPinPanel() override;

    TPinLock& Lock() { return lock_; }
    bool Asking() const { return lock_.Mode == TPinLock::kAsking; }
    // Back into EditPIN (the window's activation would take the focus to itself).
    void FocusEdit() { FocusPin(false); }
    // The window has moved to a screen of another DPI: a shown panel is laid out again.
    void DpiChanged();

    // Set by the options panel: show or hide it, and set its CheckBoxDispPIN.
    std::function<void(bool shown)> ShowOptions;
    std::function<void(bool checked)> SetOptionsPinBox;
    std::function<bool()> OptionsShown;

private:
    void EnsurePanel();
    void PlaceControls();
    void ShowPinPanel() override;
    void HidePinPanel(bool backToOptions) override;
    std::u16string PinText() override;
    void SetPinText(const std::u16string& text) override;
    void FocusPin(bool caretAtEnd) override;
    void ShowSettingControls(bool shown) override;
    void SetPinBox(bool checked) override;
    void Beep() override;
    void Repaint() override;
    void SetWindowLocked(bool locked) override;
    void FocusList() override;
    void SetWaiting(int ms) override;
    void HandToMaster() override;
    bool OptionsOpen() override { return OptionsShown && OptionsShown(); }
    // The line under EditPIN that says how long the panel waits; made at the first wait.
    void EnsureWaitLine();
    void ShowWaitLeft();
    static void CALLBACK WaitTick(HWND window, UINT, UINT_PTR id, DWORD);

    KPinHost& host_;
    KDocument& doc_;
    TPinLock lock_;
    kgdi::Font font_;
    kgdi::Font editFont_;
    std::unique_ptr<kf::Panel> panel_;
    std::unique_ptr<kf::Label> label4_;
    std::unique_ptr<kf::Edit> edit_;
    std::unique_ptr<kf::Label> content_;
    std::unique_ptr<TKButton> buttons_[3];
    std::unique_ptr<kf::Label> waitLine_;
    std::uint64_t waitUntil_ = 0;  // GetTickCount64 at the wait's end; 0: no wait
};
