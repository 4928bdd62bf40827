// The paste as the engine asks for it: the aim is read out of KEngine here, so the paste
// engine itself knows nothing of the engine state.
#pragma once
#include <cstdint>

#include "input/paste.h"

struct KEngine;
struct KSettings;

KPasteInput PasteInputFrom(const KEngine& engine, const KSettings& settings, std::uintptr_t memoWindow);

// With MemoTarget 1 the target becomes the memo box first (and stays so in the engine).
// Always returns 0; a paste whose target never came to the front has been refused.
int PasteToTarget(KEngine& engine, const KSettings& settings, std::uintptr_t memoWindow, KPasteExecutor& exec);
