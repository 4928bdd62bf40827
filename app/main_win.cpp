// Entry point: one instance at a time, then the program until it ends.
#include <windows.h>

#include "app/application_win.h"
#include "core/kerror.h"
#include "framework/syslib.h"
#include "framework/window.h"

namespace {
// Fixed, so that a copy under another file name still counts as the same program.
constexpr char kInstanceName[] = "KeyraInstance0913";
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Before anything else is loaded: a DLL planted beside the program (in Downloads, on a
    // stick) must never run inside it.
    kf::RestrictDllSearch();

    // Test and creation in one step: of two starts at the same moment only one gets
    // the mutex as its creator. The handle is held until the process ends.
    HANDLE mutex = CreateMutexA(nullptr, TRUE, kInstanceName);
    if (!mutex || GetLastError() == ERROR_ALREADY_EXISTS) {
        Beep(2000, 100);
        if (mutex) CloseHandle(mutex);
        return 0;
    }

    try {
        KApplication app;
        app.Run();
    } catch (...) {
        // Whatever escaped, the data is as the last save left it.
        kf::ShowError(nullptr, KError(u"予期しないエラーが起きたため、Keyra を終了します。\r\n"
                                      u"最後に保存した内容は、データファイルに残っています。Keyra をもう一度起動してください。"));
    }
    return 0;
}
