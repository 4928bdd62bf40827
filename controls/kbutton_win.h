// TKButton: the program's owner-drawn push button, a child window of class "TKButton".
// The face is composed off-screen (controls/kbutton_face.h) and copied in one BitBlt.
#pragma once
#include <windows.h>

#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "controls/kbutton_face.h"
#include "core/kdraw.h"
#include "framework/gdi.h"
#include "framework/window.h"

class TKButton : public kf::Window {
public:
    // Mouse buttons as OnMouseDown reports them.
    enum MouseButton { mbLeft = 0, mbRight = 1, mbMiddle = 2 };

    // Created as a child of `parent` at 100 x 22, hidden unless `visible`.
    explicit TKButton(HWND parent, bool visible = true);
    // A hidden button whose window is made when it is first shown. Until then it keeps its
    // bounds, parent, caption and enabled state, and has no Handle(): a bank with many
    // positions that a window never shows then costs no windows for them.
    struct Deferred {};
    TKButton(HWND parent, Deferred);
    TKButton(const TKButton&) = delete;
    TKButton& operator=(const TKButton&) = delete;
    ~TKButton() override;

    // ---- properties (setters repaint unless noted) ----
    TKButtonStyle Style() const { return look_.style; }
    void SetStyle(TKButtonStyle style);  // also sets Enter to the style's effect
    TKButtonEnter Enter() const { return look_.enter; }
    void SetEnter(TKButtonEnter enter);
    TKButtonContrast Contrast() const { return look_.contrast; }
    void SetContrast(TKButtonContrast contrast);
    TAlignment Alignment() const { return look_.alignment; }
    void SetAlignment(TAlignment alignment);
    int Round() const { return round_; }
    void SetRound(int round);
    int Margin() const { return look_.margin; }
    void SetMargin(int margin);
    int Spacing() const { return look_.spacing; }
    void SetSpacing(int spacing);
    int Transparent() const { return look_.transparent; }
    void SetTransparent(int transparent);
    int Select() const { return select_; }
    void SetSelect(int select);
    kdraw::KColor FaceColor() const { return look_.faceColor; }
    void SetFaceColor(kdraw::KColor color);
    kdraw::KColor EnterTextColor() const { return look_.enterTextColor; }
    void SetEnterTextColor(kdraw::KColor color);
    int EnterShade() const { return look_.enterShade; }
    void SetEnterShade(int shade);
    kdraw::KColor EnterFaceColor() const { return look_.enterFaceColor; }
    void SetEnterFaceColor(kdraw::KColor color);
    kdraw::KColor EnterFrameColor() const { return enterFrameColor_; }
    void SetEnterFrameColor(kdraw::KColor color);
    // Plain field: no repaint.
    int Index = 0;

    // Owned copy; the lower-left pixel's colour is transparent. An empty picture clears it.
    const kdraw::Dib24& Glyph() const { return glyph_; }
    void SetGlyph(const kdraw::Dib24& picture);
    // Bitmap resource `id` of `instance` (the program's own when null); false when missing.
    bool LoadGlyph(HINSTANCE instance, int id);
    // Picture of the parent's background, not owned; the face's background is cut from it.
    void SetUnderGlyph(const kdraw::Dib24* picture);
    const kdraw::Dib24* UnderGlyph() const { return underGlyph_; }
    // What lies behind the button when there is no UnderGlyph.
    kdraw::KColor ParentColor() const { return parentColor_; }
    void SetParentColor(kdraw::KColor color);

    std::u16string Caption() const;
    void SetCaption(const std::u16string& caption);  // the window text

    std::u16string FontName() const { return fontName_; }
    void SetFontName(const std::u16string& name);
    int FontSize() const { return fontSize_; }
    void SetFontSize(int points);
    // Character height in pixels at 96 DPI, like a form's font height.
    void SetFontHeight(int pixels);
    kdraw::KColor FontColor() const { return look_.fontColor; }
    void SetFontColor(kdraw::KColor color);
    // The font at the button's DPI.
    HFONT FontHandle();
    // The DPI the button is shown at (its window's, or its parent's before it has one).
    int Dpi() const;
    // The width that shows the whole caption: its width in the button's font and the room
    // the face keeps free beside it.
    int CaptionFitWidth();

    bool Enabled() const;
    void SetEnabled(bool enabled);
    bool Visible() const;
    void SetVisible(bool visible);

    // Position in the parent's client area.
    void SetBounds(int left, int top, int width, int height);
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void SetParent(HWND parent);
    HWND Parent() const;

    // 0 normal, 1 pressed, 2 entered, 3 disabled.
    int State() const { return state_; }
    int PressedFlag() const { return pressed_; }

    // ---- events ----
    std::function<void()> OnClick;
    std::function<void(int button, int x, int y)> OnMouseDown;
    std::function<void()> OnMouseEnter;
    std::function<void()> OnMouseLeave;
    // A right click (or the menu key); without a handler the parent gets WM_CONTEXTMENU.
    std::function<void(POINT screen)> OnContextMenu;

    // Clicks the button as a release after a press would (nothing while disabled).
    void Click();
    void Repaint();

    // Composes the face for the current state into the face bitmap painting uses.
    const kgdi::DibSection& ComposeFace();

    static const wchar_t* ClassName() { return L"TKButton"; }
    static TKButton* FromHandle(HWND hwnd);

protected:
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    // An exception that escapes a handler is shown over the button's top-level window.
    void OnException(const std::exception& e) override;

private:
    void Paint(HDC dc);
    void PointerEntered();
    void PointerLeft();
    void AfterRelease(int x, int y);
    bool InsideClient(int x, int y) const;
    void FontChanged();
    void Call(const std::function<void()>& handler);
    void MakeWindow(bool visible);

    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    KButtonLook look_;
    int round_ = 0;
    int select_ = 0;
    kdraw::KColor enterFrameColor_ = 0x984E00;
    kdraw::KColor parentColor_ = 0;
    int state_ = ksNormal;
    int pressed_ = 0;
    bool inside_ = false;
    bool tracking_ = false;
    bool releasing_ = false;
    kdraw::Dib24 glyph_;
    const kdraw::Dib24* underGlyph_ = nullptr;
    kdraw::Dib24 background_;
    kgdi::DibSection face_;
    std::u16string fontName_ = u"Tahoma";
    int fontSize_ = 8;
    int fontHeight_ = 0;  // lfHeight at 96 DPI, negative: character height; 0: from fontSize_
    kgdi::Font font_;
    int fontDpi_ = 0;  // the DPI font_ was made for
    // The window to be, while a deferred button has none.
    HWND pendingParent_ = nullptr;
    RECT pendingBounds_{0, 0, 100, 22};
    bool pendingEnabled_ = true;
};
