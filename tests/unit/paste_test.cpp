#include <gtest/gtest.h>

#include <algorithm>

#include "app/enginepaste.h"
#include "app/kengine.h"
#include "input/clipclaim.h"
#include "input/paste.h"
#include "tests/unit/recording_executor.h"

namespace {

using A = KPasteAction;

constexpr std::uintptr_t kTarget = 0x1234;
constexpr std::uintptr_t kMemo = 0x5678;

KPasteStep S(A action, std::uintptr_t window = 0, std::int32_t a = 0, std::int32_t b = 0) {
    return KPasteStep{action, window, a, b};
}

constexpr std::int32_t kPid = 7, kTid = 9;

KPasteStep Await(std::uintptr_t window, std::int32_t at, std::int32_t steady = kSteadyForegroundMs) {
    return S(A::AwaitForeground, window, at, steady);
}
KPasteStep Check(std::uintptr_t window = kTarget) { return S(A::CheckForeground, window); }
const KPasteStep kStart = S(A::Foreground, kTarget, kPid, kTid);

KPasteInput Aimed(int mode) {
    KPasteInput in;
    in.PasteMode = mode;
    in.PasteWait = 100;
    in.TargetWindow = kTarget;
    in.TargetProcess = kPid;
    in.TargetThread = kTid;
    in.MemoWindow = kMemo;
    in.TargetX = 960;
    in.TargetY = 540;
    in.HomeX = 1900;
    in.HomeY = 20;
    in.ScreenWidth = 1920;
    in.ScreenHeight = 1080;
    return in;
}

int Count(const std::vector<KPasteStep>& plan, A action) {
    return static_cast<int>(std::count_if(plan.begin(), plan.end(),
                                          [&](const KPasteStep& s) { return s.action == action; }));
}

const std::vector<KPasteStep> kCtrlV = {S(A::KeyDown, 0, 17), S(A::KeyDown, 0, 86), S(A::KeyUp, 0, 86),
                                        S(A::KeyUp, 0, 17)};

std::vector<KPasteStep> Concat(std::initializer_list<std::vector<KPasteStep>> parts) {
    std::vector<KPasteStep> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

// Simulates the cursor display counter and the mouse position the way the system would.
struct CursorModel : KPasteExecutor {
    int counter = 0;
    int lowest = 0;
    std::int32_t x = -1, y = -1;
    int clicksWhileHidden = 0;
    void Refuse() override {}
    bool Execute(const KPasteStep& s) override {
        switch (s.action) {
            case A::HideCursor: lowest = std::min(lowest, --counter); break;
            case A::ShowCursor: ++counter; break;
            case A::MoveAbsolute: x = s.a; y = s.b; break;
            case A::ButtonDown: if (counter < 0) ++clicksWhileHidden; break;
            default: break;
        }
        return true;
    }
};

}  // namespace

TEST(PastePlan, NormalModeIsForegroundPumpWaitAndOneChord) {
    const auto plan = BuildPastePlan(Aimed(1));
    const auto expected =
        Concat({{kStart, S(A::PumpMessages), Await(kTarget, 100), Check()}, kCtrlV});
    EXPECT_EQ(plan, expected);
}

TEST(PastePlan, ClickModeBalancesCursorAndEndsAtHome) {
    const auto in = Aimed(2);
    const auto plan = BuildPastePlan(in);
    const auto expected = Concat({{kStart, S(A::PumpMessages), Await(kTarget, 0), S(A::HideCursor),
                                   S(A::MoveAbsolute, 0, 32768, 32768), Check(), S(A::ButtonDown),
                                   S(A::ButtonUp), Await(kTarget, 100), Check()},
                                  kCtrlV,
                                  {S(A::MoveAbsolute, 0, 64854, 1214),
                                   S(A::ShowCursor)}});
    EXPECT_EQ(plan, expected);

    CursorModel model;
    RunPastePlan(plan, model);
    EXPECT_EQ(model.counter, 0);
    EXPECT_EQ(model.lowest, -1);
    EXPECT_EQ(model.clicksWhileHidden, 1);
    EXPECT_EQ(model.x, 64854);
    EXPECT_EQ(model.y, 1214);
}

TEST(PastePlan, DoubleClickModeClicksTwiceAndPressesEscapeBeforePasting) {
    const auto plan = BuildPastePlan(Aimed(3));
    const auto expected = Concat({{kStart, S(A::PumpMessages), Await(kTarget, 0), S(A::HideCursor),
                                   S(A::MoveAbsolute, 0, 32768, 32768), Check(), S(A::ButtonDown), S(A::ButtonUp),
                                   S(A::PumpMessages), S(A::Wait, 0, 100), Check(), S(A::ButtonDown), S(A::ButtonUp),
                                   Check(), S(A::KeyDown, 0, 27), S(A::KeyUp, 0, 27), Await(kTarget, 100), Check()},
                                  kCtrlV,
                                  {S(A::MoveAbsolute, 0, 64854, 1214),
                                   S(A::ShowCursor)}});
    EXPECT_EQ(plan, expected);
    CursorModel model;
    RunPastePlan(plan, model);
    EXPECT_EQ(model.counter, 0);
    EXPECT_EQ(model.clicksWhileHidden, 2);
}

TEST(PastePlan, MemoTargetNeverClicksAndNeverTouchesTheCursor) {
    for (int mode : {1, 2, 3}) {
        SCOPED_TRACE(mode);
        auto in = Aimed(mode);
        in.MemoTarget = 1;
        in.EnterMode = 1;
        in.ClearMode = 1;
        const auto plan = BuildPastePlan(in);
        const auto expected = Concat({{S(A::FocusMemo, kMemo), S(A::Foreground, kMemo), S(A::PumpMessages),
                                       Await(kMemo, 100), Check(kMemo)},
                                      kCtrlV});
        EXPECT_EQ(plan, expected);
    }
}

TEST(PastePlan, ZeroWaitEmitsNoWaitAtAll) {
    for (int mode : {1, 2, 3}) {
        SCOPED_TRACE(mode);
        auto in = Aimed(mode);
        in.PasteWait = 0;
        in.ClearMode = 1;
        in.EnterMode = 1;
        const auto plan = BuildPastePlan(in);
        // Only the fixed 100 ms between the two clicks of mode 3 remains.
        EXPECT_EQ(Count(plan, A::Wait), mode == 3 ? 1 : 0);
        for (const auto& s : plan) {
            if (s.action == A::Wait) {
                EXPECT_GT(s.a, 0);
            }
            if (s.action == A::AwaitForeground) {
                EXPECT_EQ(s.a + s.b, 0);
            }
        }
    }
}

TEST(PasteInto, AWindowTakingTheFrontMidwayGetsNothingMoreAndTheCursorComesBack) {
    // Every shape of plan: the modes, PasteWait 0 and not, with and without clear and Enter, the memo.
    for (int shape = 0; shape < 3 * 2 * 4 * 2; ++shape) {
        auto in = Aimed(1 + shape % 3);
        in.PasteWait = (shape / 3) % 2 ? 0 : 1500;
        in.ClearMode = (shape / 6) % 2;
        in.EnterMode = (shape / 12) % 2;
        in.MemoTarget = shape / 24;
        const auto plan = BuildPastePlan(in);
        for (std::size_t lostAt = 0; lostAt < plan.size(); ++lostAt) {
            KRecordingExecutor rec;
            rec.frontLostAt = lostAt;
            const bool done = PasteInto(in, rec);
            // The first look at the front at or after the change fails, and stops the paste.
            std::size_t failed = lostAt;
            while (failed < plan.size() && plan[failed].action != A::AwaitForeground &&
                   plan[failed].action != A::CheckForeground)
                ++failed;
            SCOPED_TRACE(testing::Message() << "shape " << shape << " lost at " << lostAt);
            ASSERT_EQ(done, failed == plan.size());
            EXPECT_EQ(rec.refusals, done ? 0 : 1);
            if (done) continue;
            ASSERT_GT(rec.steps.size(), failed);
            EXPECT_TRUE(std::equal(plan.begin(), plan.begin() + static_cast<std::ptrdiff_t>(failed) + 1, rec.steps.begin()));
            CursorModel cursor;
            for (std::size_t i = 0; i < rec.steps.size(); ++i) {
                const A a = rec.steps[i].action;
                EXPECT_TRUE(i <= failed || a == A::MoveAbsolute || a == A::ShowCursor) << "step " << i;
                cursor.Execute(rec.steps[i]);
            }
            EXPECT_EQ(cursor.counter, 0);
        }
    }
}

TEST(PastePlan, AbsoluteCoordinatesLandOnTheExactPixel) {
    std::int32_t v = 0;
    ASSERT_TRUE(AbsoluteCoordinate(960, 1920, v));
    EXPECT_EQ(v, 32768);
    ASSERT_TRUE(AbsoluteCoordinate(0, 1920, v));
    EXPECT_EQ(v, 0);
    ASSERT_TRUE(AbsoluteCoordinate(621, 1280, v));
    EXPECT_EQ(v, 31796);  // 621 * 65537 / 1280 would give 31795, which maps back to pixel 620
    ASSERT_TRUE(AbsoluteCoordinate(-100, 1920, v));
    EXPECT_EQ(v, -3413);
    EXPECT_FALSE(AbsoluteCoordinate(10, 0, v));
    EXPECT_FALSE(AbsoluteCoordinate(10, -5, v));
    // Every pixel of common screens comes back as itself through floor(a * extent / 65536).
    for (int extent : {600, 768, 800, 1080, 1280, 1366, 1920, 2560, 3840}) {
        for (int x = 0; x < extent; ++x) {
            ASSERT_TRUE(AbsoluteCoordinate(x, extent, v));
            ASSERT_EQ(static_cast<std::int64_t>(v) * extent / 65536, x) << x << " of " << extent;
            ASSERT_LE(v, 65535);
        }
    }
}

TEST(PastePlan, UnknownScreenSizePastesWithoutClicking) {
    auto in = Aimed(2);
    in.ScreenWidth = 0;
    const auto plan = BuildPastePlan(in);
    EXPECT_EQ(Count(plan, A::MoveAbsolute), 0);
    EXPECT_EQ(Count(plan, A::ButtonDown), 0);
    EXPECT_EQ(Count(plan, A::HideCursor), 0);
    EXPECT_EQ(Count(plan, A::ShowCursor), 0);
    EXPECT_EQ(Count(plan, A::KeyDown), 2);
}

TEST(PastePlan, ClearSelectsAllAndDeletesBeforeThePaste) {
    auto in = Aimed(1);
    in.PasteWait = 50;
    in.ClearMode = 1;
    const auto plan = BuildPastePlan(in);
    const auto expected = Concat({{kStart, S(A::PumpMessages), Await(kTarget, 50, 50), Check(),
                                   S(A::KeyDown, 0, 17), S(A::KeyDown, 0, 65), S(A::KeyUp, 0, 65),
                                   S(A::KeyUp, 0, 17), Check(), S(A::KeyDown, 0, 46), S(A::KeyUp, 0, 46),
                                   S(A::Wait, 0, 50), Check()},
                                  kCtrlV});
    EXPECT_EQ(plan, expected);
}

TEST(PastePlan, EnterFollowsThePasteAndPrecedesTheReturnHome) {
    auto in = Aimed(2);
    in.EnterMode = 1;
    const auto plan = BuildPastePlan(in);
    ASSERT_GE(plan.size(), 7u);
    const std::vector<KPasteStep> tail(plan.end() - 6, plan.end());
    const std::vector<KPasteStep> expected = {S(A::Wait, 0, 100), Check(), S(A::KeyDown, 0, 13), S(A::KeyUp, 0, 13),
                                              S(A::MoveAbsolute, 0, 64854, 1214),
                                              S(A::ShowCursor)};
    EXPECT_EQ(tail, expected);
    EXPECT_EQ(plan[plan.size() - 7], S(A::KeyUp, 0, 17));
}

TEST(PastePlan, ClearAndEnterOnlyRunWhenSetToOne) {
    auto in = Aimed(1);
    in.ClearMode = 2;
    in.EnterMode = -1;
    EXPECT_EQ(BuildPastePlan(in), BuildPastePlan(Aimed(1)));
}

TEST(PastePlan, NoTargetOrModeZeroSendsNothing) {
    auto none = Aimed(2);
    none.TargetWindow = 0;
    EXPECT_TRUE(BuildPastePlan(none).empty());

    auto memoMissing = Aimed(1);
    memoMissing.MemoTarget = 1;
    memoMissing.MemoWindow = 0;
    EXPECT_TRUE(BuildPastePlan(memoMissing).empty());

    EXPECT_TRUE(BuildPastePlan(Aimed(0)).empty());
}

TEST(PastePlan, UnknownModesPasteWithoutClicking) {
    for (int mode : {4, -1, 100}) {
        SCOPED_TRACE(mode);
        EXPECT_EQ(BuildPastePlan(Aimed(mode)), BuildPastePlan(Aimed(1)));
    }
}

TEST(PasteInto, TargetNeverInFrontSendsNoClickNoKeyAndRefuses) {
    for (int mode : {1, 2, 3}) {
        SCOPED_TRACE(mode);
        auto in = Aimed(mode);
        in.ClearMode = 1;
        in.EnterMode = 1;
        KRecordingExecutor rec;
        rec.refusing = {kTarget};
        EXPECT_FALSE(PasteInto(in, rec));
        // Nothing after the failed wait ran: the cursor is untouched, no click, no key.
        const std::vector<KPasteStep> expected = {kStart, S(A::PumpMessages), Await(kTarget, mode == 1 ? 100 : 0)};
        EXPECT_EQ(rec.steps, expected);
        EXPECT_EQ(rec.refusals, 1);
    }
}

TEST(PasteInto, TargetInFrontRunsTheWholePlan) {
    for (int mode : {1, 2, 3}) {
        SCOPED_TRACE(mode);
        KRecordingExecutor rec;
        rec.refusing = {kMemo};  // another window refusing changes nothing here
        EXPECT_TRUE(PasteInto(Aimed(mode), rec));
        EXPECT_EQ(rec.steps, BuildPastePlan(Aimed(mode)));
        EXPECT_EQ(rec.refusals, 0);
    }
}

TEST(PasteInto, MemoTargetIsCheckedAsOurOwnWindowNotTheForeignOne) {
    auto in = Aimed(2);
    in.MemoTarget = 1;
    KRecordingExecutor foreignGone;
    foreignGone.refusing = {kTarget};
    EXPECT_TRUE(PasteInto(in, foreignGone));
    EXPECT_EQ(Count(foreignGone.steps, A::KeyDown), 2);
    EXPECT_EQ(foreignGone.steps[3], Await(kMemo, 100));

    KRecordingExecutor memoBehind;
    memoBehind.refusing = {kMemo};
    EXPECT_FALSE(PasteInto(in, memoBehind));
    EXPECT_EQ(Count(memoBehind.steps, A::KeyDown), 0);
    EXPECT_EQ(memoBehind.refusals, 1);
}

TEST(PasteInto, NothingToAimAtIsNoRefusal) {
    auto in = Aimed(1);
    in.TargetWindow = 0;
    KRecordingExecutor rec;
    rec.refusing = {0};
    EXPECT_TRUE(PasteInto(in, rec));
    EXPECT_TRUE(rec.steps.empty());
    EXPECT_EQ(rec.refusals, 0);
}

TEST(PasteToTarget, ReadsTheEngineAndRedirectsToTheMemo) {
    KEngine engine;
    KSettings settings;
    settings.PasteMode = 2;
    settings.PasteWait = 30;
    engine.TargetWindow = kTarget;
    engine.TargetProcess = kPid;
    engine.TargetThread = kTid;
    engine.TargetX = 100;
    engine.TargetY = 200;
    engine.HomeX = 5;
    engine.HomeY = 6;
    engine.ScreenWidth = 1000;
    engine.ScreenHeight = 800;

    KRecordingExecutor rec;
    EXPECT_EQ(PasteToTarget(engine, settings, kMemo, rec), 0);
    ASSERT_FALSE(rec.steps.empty());
    EXPECT_EQ(rec.steps[0], kStart);  // the owners recorded at the click travel with it
    EXPECT_EQ(rec.steps[4], S(A::MoveAbsolute, 0, 6554, 16384));
    EXPECT_EQ(rec.steps.back(), S(A::ShowCursor));
    EXPECT_EQ(engine.TargetWindow, kTarget);

    engine.MemoTarget = 1;
    KRecordingExecutor memo;
    PasteToTarget(engine, settings, kMemo, memo);
    EXPECT_EQ(engine.TargetWindow, kMemo);
    ASSERT_GE(memo.steps.size(), 2u);
    EXPECT_EQ(memo.steps[0], S(A::FocusMemo, kMemo));
    EXPECT_EQ(memo.steps[1], S(A::Foreground, kMemo));
    EXPECT_EQ(Count(memo.steps, A::ButtonDown), 0);
}

TEST(PasteToTarget, WithoutTargetLeavesTheExecutorUntouched) {
    KEngine engine;
    KSettings settings;
    KRecordingExecutor rec;
    EXPECT_EQ(PasteToTarget(engine, settings, kMemo, rec), 0);
    EXPECT_TRUE(rec.steps.empty());
}

TEST(PasteToTarget, ARefusedPasteLeavesTheAimAsItWas) {
    KEngine engine;
    KSettings settings;
    settings.PasteMode = 2;
    engine.TargetWindow = kTarget;
    engine.ScreenWidth = 1000;
    engine.ScreenHeight = 800;
    KRecordingExecutor rec;
    rec.refusing = {kTarget};
    EXPECT_EQ(PasteToTarget(engine, settings, kMemo, rec), 0);
    EXPECT_EQ(rec.refusals, 1);
    EXPECT_EQ(Count(rec.steps, A::ButtonDown), 0);
    EXPECT_EQ(engine.TargetWindow, kTarget);
}

TEST(ClipboardClaim, ClearsOnlyWhatIsStillOursAndOnlyWhenDue) {
    // Sequence after our write (0: the system could not tell), sequence when we look, ms since.
    struct Case { std::uint32_t claimed, now; std::int64_t after; bool closing; KClipboardVerdict verdict; bool held; };
    const Case cases[] = {
        {5, 5, kClipboardKeepMs - 1, false, KClipboardVerdict::Keep, true},     // not due yet
        {5, 5, kClipboardKeepMs, false, KClipboardVerdict::Clear, false},       // due
        {5, 5, 10, true, KClipboardVerdict::Clear, false},                      // closing clears at once
        {5, 6, kClipboardKeepMs + 1, false, KClipboardVerdict::Forget, false},  // another program wrote
        {0, 0, kClipboardKeepMs, true, KClipboardVerdict::Keep, false},         // nothing claimed
    };
    for (const Case& c : cases) {
        KClipboardClaim claim;
        claim.Claim(c.claimed, 1000);
        EXPECT_EQ(claim.Decide(c.now, 1000 + c.after, c.closing), c.verdict) << c.claimed << " " << c.after;
        EXPECT_EQ(claim.Held(), c.held);
    }
}

TEST(ClipboardClaim, APasteHoldsTheTextAndRestartsTheTime) {
    KClipboardClaim claim;
    claim.Claim(3, 0);
    claim.Hold(true, 2000);
    EXPECT_EQ(claim.Decide(3, kClipboardKeepMs + 5000, false), KClipboardVerdict::Keep);
    claim.Hold(false, 20000);
    EXPECT_EQ(claim.Decide(3, 20000 + kClipboardKeepMs - 1, false), KClipboardVerdict::Keep);
    EXPECT_EQ(claim.Decide(3, 20000 + kClipboardKeepMs, false), KClipboardVerdict::Clear);
}
