// System libraries loaded at run time from System32 only, through SystemLibrary. Those that are
// not KnownDLLs (DirectInput, HTML Help, CNG, the common controls) are never imported: Windows
// would take a file of the same name from the program's own folder first. The dialogs, the shell
// and GDI+ are loaded when first used, so that the start does not pay for them.
#pragma once
#include <windows.h>

namespace kf {

// Restricts the DLL search of the whole process to System32: the first thing the program does.
// False on a system without SetDefaultDllDirectories (Windows 7 without its update).
bool RestrictDllSearch();

// One DLL from System32, loaded at construction and freed at destruction. A failed load leaves
// it empty: Loaded() is false and every Proc is null, so the caller goes on without it.
class SystemLibrary {
public:
    explicit SystemLibrary(const wchar_t* name);
    ~SystemLibrary();
    SystemLibrary(const SystemLibrary&) = delete;
    SystemLibrary& operator=(const SystemLibrary&) = delete;

    bool Loaded() const { return module_ != nullptr; }
    HMODULE Handle() const { return module_; }

    // The export `name` as a pointer to a function of type F; null when absent.
    template <class F>
    F* Proc(const char* name) const {
        if (!module_) return nullptr;
        return reinterpret_cast<F*>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }

private:
    HMODULE module_ = nullptr;
};

}  // namespace kf
