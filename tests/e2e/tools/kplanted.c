/* A DLL an attacker would plant beside keyra.exe. The end-to-end tests copy it under the names
 * of the system DLLs the program uses; when it is ever loaded, it leaves "<its file>.loaded"
 * beside itself. Its exports only fail, so a program that does load it shows it. */
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

static void LeaveMarker(HINSTANCE self) {
    wchar_t path[MAX_PATH + 16];
    DWORD n = GetModuleFileNameW(self, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    lstrcatW(path, L".loaded");
    HANDLE f = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) LeaveMarker(self);
    return TRUE;
}

#define FAILS(name) __declspec(dllexport) LONG_PTR WINAPI name(void) { return (LONG_PTR)0x80004005; }
FAILS(DirectInput8Create)
FAILS(BCryptGenRandom)
FAILS(HtmlHelpW)
FAILS(InitCommonControlsEx)
FAILS(SetWindowSubclass)
FAILS(RemoveWindowSubclass)
FAILS(DefSubclassProc)
FAILS(WTSRegisterSessionNotification)
FAILS(WTSUnRegisterSessionNotification)
