// The paste sequence sent through the window system's legacy input calls.
#pragma once
#include "input/paste.h"

class KWinPasteExecutor : public KPasteExecutor {
public:
    bool Execute(const KPasteStep& step) override;
    void Refuse() override;
};
