// A paste executor that keeps every step it is given, so a plan is inspected instead of sent.
// The foreground check fails for the windows listed in `refusing`, as a target that never
// comes to the front would.
#pragma once
#include <algorithm>
#include <vector>

#include "input/paste.h"

class KRecordingExecutor : public KPasteExecutor {
public:
    bool Execute(const KPasteStep& step) override {
        steps.push_back(step);
        return !(step.action == KPasteAction::VerifyForeground &&
                 std::find(refusing.begin(), refusing.end(), step.window) != refusing.end());
    }
    void Refuse() override { ++refusals; }

    std::vector<KPasteStep> steps;
    std::vector<std::uintptr_t> refusing;
    int refusals = 0;
};
