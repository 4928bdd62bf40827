#include "ui/masterdialogs_win.h"

#include <vector>

#include "app/document.h"
#include "app/masterpassword.h"
#include "core/kstr.h"
#include "framework/kstr.h"
#include "framework/window.h"
#include "storage/kplatform.h"

const char16_t kMasterMissText[] = u"マスターパスワードが違うか、データファイルが書き換えられています。もう一度入力してください。";

namespace {

enum : WORD { kLabel = 100, kEdit = 101, kNote = 102, kFixedNote = 103, kCurrent = 201, kNew = 202, kConfirm = 203 };
enum : WORD { kButtonClass = 0x0080, kEditClass = 0x0081, kStaticClass = 0x0082 };
constexpr UINT_PTR kRetryTimer = 1;

// A dialog template built in memory, in dialog units.
class DialogTemplate {
public:
    DialogTemplate(const wchar_t* title, short cx, short cy, bool appWindow) {
        PutDword(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER);
        PutDword(appWindow ? WS_EX_APPWINDOW : 0);
        countAt_ = words_.size();
        words_.push_back(0);
        for (short v : {short(0), short(0), cx, cy}) words_.push_back(static_cast<WORD>(v));
        words_.push_back(0);  // no menu
        words_.push_back(0);  // the standard class
        PutText(title);
        words_.push_back(9);
        PutText(L"MS UI Gothic");
    }
    void Item(WORD cls, DWORD style, short x, short y, short cx, short cy, WORD id, const wchar_t* text) {
        if (words_.size() % 2) words_.push_back(0);  // items start on a DWORD boundary
        PutDword(WS_CHILD | WS_VISIBLE | style);
        PutDword(0);
        for (short v : {x, y, cx, cy}) words_.push_back(static_cast<WORD>(v));
        words_.push_back(id);
        words_.push_back(0xFFFF);
        words_.push_back(cls);
        PutText(text);
        words_.push_back(0);  // no creation data
        ++words_[countAt_];
    }
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void PutDword(DWORD v) {
        words_.push_back(static_cast<WORD>(v & 0xFFFF));
        words_.push_back(static_cast<WORD>(v >> 16));
    }
    void PutText(const wchar_t* s) {
        while (*s) words_.push_back(static_cast<WORD>(*s++));
        words_.push_back(0);
    }
    std::vector<WORD> words_;
    std::size_t countAt_ = 0;
};

constexpr DWORD kPasswordStyle = WS_BORDER | WS_TABSTOP | ES_PASSWORD | ES_AUTOHSCROLL;

void AddButtons(DialogTemplate& t, short y, short width) {
    t.Item(kButtonClass, WS_TABSTOP | BS_DEFPUSHBUTTON, static_cast<short>(width - 114), y, 50, 14, IDOK, L"OK");
    t.Item(kButtonClass, WS_TABSTOP | BS_PUSHBUTTON, static_cast<short>(width - 57), y, 50, 14, IDCANCEL,
           L"キャンセル");
}

// The box's text, and the box emptied; the caller wipes the text once used.
std::u16string TakeText(HWND dlg, int id) {
    HWND edit = GetDlgItem(dlg, id);
    const int n = GetWindowTextLengthW(edit);
    std::vector<wchar_t> buf(static_cast<std::size_t>(n) + 1, L'\0');
    GetWindowTextW(edit, buf.data(), n + 1);
    std::u16string text = U(buf.data());
    kplat::SecureWipe(buf.data(), buf.size() * sizeof(wchar_t));
    SetWindowTextW(edit, L"");
    return text;
}

template <class State>
State* StateOf(HWND dlg, UINT msg, LPARAM lParam) {
    if (msg == WM_INITDIALOG) SetWindowLongPtrW(dlg, DWLP_USER, lParam);
    return reinterpret_cast<State*>(GetWindowLongPtrW(dlg, DWLP_USER));
}

// ---- the prompt ----

struct PromptState {
    const std::u16string* caption;
    const std::function<bool(const std::u16string&)>* verify;
    const std::u16string* missText;
    int misses = 0;
};

void EnableTry(HWND dlg, bool enabled) {
    EnableWindow(GetDlgItem(dlg, kEdit), enabled);
    EnableWindow(GetDlgItem(dlg, IDOK), enabled);
    if (enabled) SetFocus(GetDlgItem(dlg, kEdit));
}

INT_PTR CALLBACK PromptProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    PromptState* s = StateOf<PromptState>(dlg, msg, lParam);
    if (!s) return FALSE;
    switch (msg) {
        case WM_INITDIALOG:
            SetWindowTextW(dlg, W(*s->caption));
            SetForegroundWindow(dlg);
            SetFocus(GetDlgItem(dlg, kEdit));
            return FALSE;
        case WM_TIMER:
            if (wParam != kRetryTimer) return FALSE;
            KillTimer(dlg, kRetryTimer);
            SetDlgItemTextW(dlg, kNote, W(*s->missText));
            EnableTry(dlg, true);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDCANCEL) {
                KillTimer(dlg, kRetryTimer);
                EndDialog(dlg, 0);
                return TRUE;
            }
            if (LOWORD(wParam) == IDOK) {
                if (!IsWindowEnabled(GetDlgItem(dlg, IDOK))) return TRUE;
                std::u16string typed = TakeText(dlg, kEdit);
                HCURSOR old = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
                bool taken = false;
                try {
                    taken = (*s->verify)(typed);
                } catch (const std::exception& e) {
                    kplat::Wipe(typed);
                    SetCursor(old);
                    kf::ShowError(dlg, e);
                    return TRUE;
                }
                kplat::Wipe(typed);
                SetCursor(old);
                if (taken) {
                    EndDialog(dlg, 1);
                    return TRUE;
                }
                const int wait = kmaster::RetryDelayMs(++s->misses);
                if (wait > 0) {
                    SetDlgItemTextW(dlg, kNote,
                                    W(*s->missText + u"\r\n" + kstr::Decimal((wait + 999) / 1000) +
                                      u"秒後にもう一度入力できます。"));
                    EnableTry(dlg, false);
                    SetTimer(dlg, kRetryTimer, static_cast<UINT>(wait), nullptr);
                } else {
                    SetDlgItemTextW(dlg, kNote, W(*s->missText));
                    SetFocus(GetDlgItem(dlg, kEdit));
                }
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

// ---- setting and removing ----

struct ChangeState {
    KDocument* doc;
    bool changed = false;
    unsigned cancels = 0;  // kf::DialogCancels() when the dialog opened
};

void Refuse(HWND dlg, const std::u16string& text, int focus) {
    kf::ShowMessage(dlg, std::wstring(W(text)));
    SetFocus(GetDlgItem(dlg, focus));
}

void ConfirmChange(HWND dlg, ChangeState& s) {
    KDocument& doc = *s.doc;
    const KMasterKey& master = doc.Master();
    std::u16string current = master.Active() ? TakeText(dlg, kCurrent) : std::u16string();
    std::u16string fresh = TakeText(dlg, kNew);
    std::u16string confirmation = TakeText(dlg, kConfirm);
    const auto wipeAll = [&] {
        kplat::Wipe(current);
        kplat::Wipe(fresh);
        kplat::Wipe(confirmation);
    };
    try {
        HCURSOR old = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        const bool known = !master.Active() || master.Matches(current);
        SetCursor(old);
        if (!known) {
            wipeAll();
            return Refuse(dlg, u"現在のパスワードが違います。もう一度入力してください。", kCurrent);
        }
        const std::u16string problem = kmaster::NewPasswordProblem(fresh, confirmation);
        if (!problem.empty()) {
            wipeAll();
            return Refuse(dlg, problem, kNew);
        }
        if (fresh.empty()) {
            s.changed = master.Active();
            if (s.changed) doc.SetMasterPassword(fresh);
        } else {
            old = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
            doc.SetMasterPassword(fresh);
            SetCursor(old);
            s.changed = true;
        }
    } catch (const std::exception& ex) {
        wipeAll();
        kf::ShowError(dlg, ex);
        return;
    }
    wipeAll();
    EndDialog(dlg, 1);
}

INT_PTR CALLBACK ChangeProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    ChangeState* s = StateOf<ChangeState>(dlg, msg, lParam);
    if (!s) return FALSE;
    switch (msg) {
        case WM_INITDIALOG:
            s->cancels = kf::DialogCancels();
            SetFocus(GetDlgItem(dlg, s->doc->Master().Active() ? kCurrent : kNew));
            return FALSE;
        case WM_COMMAND:
            // A lock came since the dialog opened: whoever confirms now may not be its owner.
            if (LOWORD(wParam) == IDCANCEL || kf::DialogCancels() != s->cancels) {
                EndDialog(dlg, 0);
                return TRUE;
            }
            if (LOWORD(wParam) == IDOK) {
                ConfirmChange(dlg, *s);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

bool AskPassword(HWND owner, const std::u16string& caption, const std::function<bool(const std::u16string&)>& verify,
                 const std::u16string& missText, const std::u16string& note) {
    const short extra = note.empty() ? 0 : 12;
    // Without a visible owner (at start) the prompt has its own taskbar button.
    DialogTemplate t(L"Keyra", 200, static_cast<short>(82 + extra), !owner || !IsWindowVisible(owner));
    t.Item(kStaticClass, SS_LEFT, 7, 7, 186, 10, kLabel, L"マスターパスワードを入力してください。");
    t.Item(kEditClass, kPasswordStyle, 7, 19, 186, 14, kEdit, L"");
    if (!note.empty()) t.Item(kStaticClass, SS_LEFT, 7, 37, 186, 10, kFixedNote, W(note));
    t.Item(kStaticClass, SS_LEFT, 7, static_cast<short>(37 + extra), 186, 20, kNote, L"");
    AddButtons(t, static_cast<short>(62 + extra), 200);
    PromptState state{&caption, &verify, &missText};
    return DialogBoxIndirectParamW(kf::Instance(), t.Get(), owner, PromptProc, reinterpret_cast<LPARAM>(&state)) == 1;
}

bool ChangeMasterPassword(HWND owner, KDocument& doc) {
    const bool set = doc.Master().Active();
    const short top = set ? 30 : 0;
    DialogTemplate t(L"マスターパスワードの設定", 220, static_cast<short>(142 + top), false);
    if (set) {
        t.Item(kStaticClass, SS_LEFT, 7, 7, 206, 10, kLabel, L"現在のパスワード：");
        t.Item(kEditClass, kPasswordStyle, 7, 19, 206, 14, kCurrent, L"");
    }
    t.Item(kStaticClass, SS_LEFT, 7, static_cast<short>(7 + top), 206, 10, 0, L"新しいパスワード（8文字以上）：");
    t.Item(kEditClass, kPasswordStyle, 7, static_cast<short>(19 + top), 206, 14, kNew, L"");
    t.Item(kStaticClass, SS_LEFT, 7, static_cast<short>(37 + top), 206, 10, 0, L"新しいパスワード（確認）：");
    t.Item(kEditClass, kPasswordStyle, 7, static_cast<short>(49 + top), 206, 14, kConfirm, L"");
    t.Item(kStaticClass, SS_LEFT, 7, static_cast<short>(69 + top), 206, 50, kNote,
           L"データファイルをこのパスワードで暗号化します。新しいパスワードを空欄にすると、マスターパスワードを解除します。\r\n"
           L"変更は、OK を押すと数秒以内に保存されます。\r\n"
           L"パスワードを忘れると、データを取り戻す方法はありません。");
    AddButtons(t, static_cast<short>(122 + top), 220);
    ChangeState state{&doc};
    DialogBoxIndirectParamW(kf::Instance(), t.Get(), owner, ChangeProc, reinterpret_cast<LPARAM>(&state));
    return state.changed;
}
