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

namespace {
// The open and save dialogs alike: `filter` in the pipe form, the name typed or picked.
std::u16string PickFile(HWND owner, const std::u16string& filter, bool save, const std::u16string& name = {},
                        const std::u16string& ext = {}) {
    std::wstring f(filter.begin(), filter.end());
    for (auto& ch : f)
        if (ch == L'|') ch = L'\0';
    f.push_back(L'\0');
    f.push_back(L'\0');
    std::wstring file(32768, L'\0');
    std::copy(name.begin(), name.end(), file.begin());
    const std::wstring defaultExt(ext.begin(), ext.end());
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = f.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    if (!defaultExt.empty()) ofn.lpstrDefExt = defaultExt.c_str();
    // The dialog must not move the current folder: a later load could be searched there.
    ofn.Flags = OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR |
                (save ? OFN_OVERWRITEPROMPT : 0);
    auto* pick = CommonDialogs().Proc<decltype(GetOpenFileNameW)>(save ? "GetSaveFileNameW" : "GetOpenFileNameW");
    if (!pick || !pick(&ofn)) return {};
    return U(file.c_str());
}
}  // namespace

std::u16string PickFileToOpen(HWND owner, const std::u16string& filter) { return PickFile(owner, filter, false); }

std::u16string PickFileToSave(HWND owner, const std::u16string& filter, const std::u16string& defaultName,
                              const std::u16string& defaultExt) {
    return PickFile(owner, filter, true, defaultName, defaultExt);
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
