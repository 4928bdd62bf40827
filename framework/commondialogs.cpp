// The common dialogs (colour, open file) and the screen's font list.
#include "framework/controls.h"

#include <commdlg.h>

#include <algorithm>

#include "framework/controls_internal.h"
#include "framework/kstr.h"

namespace kf {

namespace detail {
const SystemLibrary& CommonDialogs() {
    static const SystemLibrary lib{L"comdlg32.dll"};
    return lib;
}
}  // namespace detail

using detail::CommonDialogs;

bool PickColor(HWND owner, COLORREF& color, COLORREF (&custom)[16]) {
    CHOOSECOLORW cc{};
    cc.lStructSize = sizeof(cc);
    cc.hwndOwner = owner;
    cc.rgbResult = color;
    cc.lpCustColors = custom;
    cc.Flags = CC_RGBINIT;
    auto* choose = CommonDialogs().Proc<decltype(ChooseColorW)>("ChooseColorW");
    if (!choose || !choose(&cc)) return false;
    color = cc.rgbResult;
    return true;
}

std::u16string PickFileToOpen(HWND owner, const std::u16string& filter) {
    std::wstring f(filter.begin(), filter.end());
    for (auto& ch : f)
        if (ch == L'|') ch = L'\0';
    f.push_back(L'\0');
    f.push_back(L'\0');
    std::wstring file(32768, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = f.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    // The dialog must not move the current folder: a later load could be searched there.
    ofn.Flags = OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    auto* open = CommonDialogs().Proc<decltype(GetOpenFileNameW)>("GetOpenFileNameW");
    if (!open || !open(&ofn)) return {};
    return U(file.c_str());
}

std::u16string PickFileToSave(HWND owner, const std::u16string& filter, const std::u16string& defaultName,
                              const std::u16string& defaultExt) {
    std::wstring f(filter.begin(), filter.end());
    for (auto& ch : f)
        if (ch == L'|') ch = L'\0';
    f.push_back(L'\0');
    f.push_back(L'\0');
    std::wstring file(32768, L'\0');
    std::copy(defaultName.begin(), defaultName.end(), file.begin());
    const std::wstring ext(defaultExt.begin(), defaultExt.end());
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = f.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrDefExt = ext.c_str();
    ofn.Flags = OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT |
                OFN_NOCHANGEDIR;
    auto* save = CommonDialogs().Proc<decltype(GetSaveFileNameW)>("GetSaveFileNameW");
    if (!save || !save(&ofn)) return {};
    return U(file.c_str());
}

namespace {
int CALLBACK CollectFont(const LOGFONTW* lf, const TEXTMETRICW*, DWORD, LPARAM param) {
    if (lf->lfFaceName[0] != L'@') reinterpret_cast<std::vector<std::u16string>*>(param)->push_back(U(lf->lfFaceName));
    return 1;
}
}  // namespace

std::vector<std::u16string> ScreenFontNames() {
    std::vector<std::u16string> names;
    HDC dc = GetDC(nullptr);
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExW(dc, &lf, CollectFont, reinterpret_cast<LPARAM>(&names), 0);
    ReleaseDC(nullptr, dc);
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

}  // namespace kf
