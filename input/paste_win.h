// The paste sequence sent through the window system's legacy input calls.
#pragma once
#include <windows.h>

#include "input/paste.h"

class KWinPasteExecutor : public KPasteExecutor {
public:
    bool Execute(const KPasteStep& step) override;
    void Refuse() override;

private:
    bool Start(HWND w, DWORD process, DWORD thread);
    bool InFront(HWND w) const;
    bool Await(HWND w, std::int64_t at, std::int64_t steady);
    void PumpFor(std::int64_t ms);
    std::int64_t Elapsed() const;

    LARGE_INTEGER start_{};
    DWORD process_ = 0, thread_ = 0;  // of the target's top-level window
    bool reused_ = false;
    std::int64_t inFrontSince_ = -1;
};
