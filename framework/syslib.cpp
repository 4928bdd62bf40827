#include "framework/syslib.h"

#include <string>

namespace kf {

namespace {

using SetDefaultDllDirectoriesFn = BOOL WINAPI(DWORD);

SetDefaultDllDirectoriesFn* SetDefaultDllDirectoriesProc() {
    // Looked up rather than imported, so that the program still starts where it is missing.
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    return kernel ? reinterpret_cast<SetDefaultDllDirectoriesFn*>(
                        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")))
                  : nullptr;
}

// The full path in System32, for systems whose loader does not know the search flags.
HMODULE LoadBySystemPath(const wchar_t* name) {
    wchar_t dir[MAX_PATH];
    const UINT n = GetSystemDirectoryW(dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    std::wstring path(dir, n);
    path += L'\\';
    path += name;
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace

bool RestrictDllSearch() {
    SetDefaultDllDirectoriesFn* set = SetDefaultDllDirectoriesProc();
    const bool restricted = set && set(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Takes the current folder out of the search too, on systems without the call above.
    SetDllDirectoryW(L"");
    return restricted;
}

SystemLibrary::SystemLibrary(const wchar_t* name) {
    module_ = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module_ && GetLastError() == ERROR_INVALID_PARAMETER) module_ = LoadBySystemPath(name);
}

SystemLibrary::~SystemLibrary() {
    if (module_) FreeLibrary(module_);
}

}  // namespace kf
