// A paste executor that keeps every step it is given, so a plan is inspected instead of sent.
// The foreground steps fail for the windows listed in `refusing`, as a target that never
// comes to the front would, and for every window once `frontLostAt` steps have run, as when
// another window takes the front in the middle of a paste.
#pragma once
#include <algorithm>
#include <cstddef>
#include <vector>

#include "input/paste.h"

class KRecordingExecutor : public KPasteExecutor {
public:
    bool Execute(const KPasteStep& step) override {
        const bool lost = steps.size() >= frontLostAt;
        steps.push_back(step);
        if (step.action != KPasteAction::AwaitForeground && step.action != KPasteAction::CheckForeground)
            return true;
        return !lost && std::find(refusing.begin(), refusing.end(), step.window) == refusing.end();
    }
    void Refuse() override { ++refusals; }

    std::vector<KPasteStep> steps;
    std::vector<std::uintptr_t> refusing;
    std::size_t frontLostAt = static_cast<std::size_t>(-1);
    int refusals = 0;
};
