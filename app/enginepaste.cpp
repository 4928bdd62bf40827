#include "app/enginepaste.h"

#include "app/kengine.h"

KPasteInput PasteInputFrom(const KEngine& engine, const KSettings& settings, std::uintptr_t memoWindow) {
    KPasteInput in;
    in.PasteMode = settings.PasteMode;
    in.PasteWait = settings.PasteWait;
    in.MemoTarget = engine.MemoTarget;
    in.EnterMode = settings.EnterMode;
    in.ClearMode = settings.ClearMode;
    in.TargetWindow = engine.TargetWindow;
    in.TargetProcess = engine.TargetProcess;
    in.TargetThread = engine.TargetThread;
    in.MemoWindow = memoWindow;
    in.TargetX = engine.TargetX;
    in.TargetY = engine.TargetY;
    in.HomeX = engine.HomeX;
    in.HomeY = engine.HomeY;
    in.ScreenWidth = engine.ScreenWidth;
    in.ScreenHeight = engine.ScreenHeight;
    return in;
}

int PasteToTarget(KEngine& engine, const KSettings& settings, std::uintptr_t memoWindow, KPasteExecutor& exec) {
    if (engine.MemoTarget == 1) engine.TargetWindow = memoWindow;
    PasteInto(PasteInputFrom(engine, settings, memoWindow), exec);
    return 0;
}
