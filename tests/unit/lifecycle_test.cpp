#include "app/lifecycle.h"

#include <gtest/gtest.h>

namespace {

enum class At { Starting, Open, Locked, Pasting, LockWaits, Closing, Closed };
enum class Event { None, Close, EndSession, Lock, Unlock, PasteBegin, CloseFailed };

// Brings a life cycle to `at` the way the program gets there.
KLifeCycle Reach(At at) {
    KLifeCycle life;
    switch (at) {
        case At::Starting: break;
        case At::Open: life.DataIn(false); break;
        case At::Locked: life.DataIn(true); break;
        case At::Pasting: life.DataIn(false); life.BeginPaste(); break;
        case At::LockWaits: life.DataIn(false); life.BeginPaste(); life.Lock(); break;
        case At::Closing: life.DataIn(false); life.Close(); break;
        case At::Closed: life.DataIn(false); life.Close(); life.Closed(); break;
    }
    return life;
}

struct Row {
    At at;
    Event event;
    KCloseStep step;  // what Close and EndSession answer
    bool done;        // what Lock and BeginPaste answer
    KAppState after;
    // What may be done afterwards.
    bool entries, paste, lock, save, exit;
};

constexpr KCloseStep kNone = KCloseStep::Ignore;

TEST(LifeCycle, EveryWayInAsksTheOneState) {
    using S = KAppState;
    using C = KCloseStep;
    const Row rows[] = {
        // Before the data is in nothing is saved, shown or locked; a close or log-off ends at once.
        {At::Starting, Event::None, kNone, false, S::Starting, false, false, false, false, false},
        {At::Starting, Event::Close, C::EndNow, false, S::Closed, false, false, false, false, false},
        {At::Starting, Event::EndSession, C::EndNow, false, S::Closed, false, false, false, false, false},
        {At::Starting, Event::Lock, kNone, false, S::Starting, false, false, false, false, false},
        {At::Starting, Event::PasteBegin, kNone, false, S::Starting, false, false, false, false, false},
        // Open: everything; a close saves first, and a failed save leaves it open.
        {At::Open, Event::None, kNone, false, S::Open, true, true, true, true, true},
        {At::Open, Event::Close, C::Save, false, S::Closing, false, false, false, true, false},
        {At::Open, Event::EndSession, C::Save, false, S::Open, true, true, true, true, true},
        {At::Open, Event::Lock, kNone, true, S::Locked, false, false, false, true, true},
        {At::Open, Event::PasteBegin, kNone, true, S::Open, true, false, false, false, true},
        {At::Closing, Event::CloseFailed, kNone, false, S::Open, true, true, true, true, true},
        // Locked: only the save and the exit; the unlock opens it again.
        {At::Locked, Event::None, kNone, false, S::Locked, false, false, false, true, true},
        {At::Locked, Event::Close, C::Save, false, S::Closing, false, false, false, true, false},
        {At::Locked, Event::Lock, kNone, false, S::Locked, false, false, false, true, true},
        {At::Locked, Event::PasteBegin, kNone, false, S::Locked, false, false, false, true, true},
        {At::Locked, Event::Unlock, kNone, false, S::Open, true, true, true, true, true},
        // A paste under way: a close and a lock wait for its end; a log-off saves at once.
        {At::Pasting, Event::Close, C::AfterPaste, false, S::Open, true, false, false, false, true},
        {At::Pasting, Event::Lock, kNone, false, S::Open, true, false, false, false, true},
        {At::Pasting, Event::PasteBegin, kNone, false, S::Open, true, false, false, false, true},
        {At::Pasting, Event::EndSession, C::Save, false, S::Open, true, false, false, false, true},
        {At::LockWaits, Event::Close, C::AfterPaste, false, S::Open, true, false, false, false, true},
        // Closing and closed: nothing more, but the close's own save.
        {At::Closing, Event::None, kNone, false, S::Closing, false, false, false, true, false},
        {At::Closing, Event::Close, kNone, false, S::Closing, false, false, false, true, false},
        {At::Closing, Event::EndSession, C::Save, false, S::Closing, false, false, false, true, false},
        {At::Closing, Event::Lock, kNone, false, S::Closing, false, false, false, true, false},
        {At::Closed, Event::Close, kNone, false, S::Closed, false, false, false, false, false},
        {At::Closed, Event::EndSession, kNone, false, S::Closed, false, false, false, false, false},
        {At::Closed, Event::PasteBegin, kNone, false, S::Closed, false, false, false, false, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(::testing::Message() << "at " << static_cast<int>(r.at) << ", event " << static_cast<int>(r.event));
        KLifeCycle life = Reach(r.at);
        KCloseStep step = kNone;
        bool done = false;
        switch (r.event) {
            case Event::None: break;
            case Event::Close: step = life.Close(); break;
            case Event::EndSession: step = life.EndSession(); break;
            case Event::Lock: done = life.Lock(); break;
            case Event::Unlock: life.Unlock(); break;
            case Event::PasteBegin: done = life.BeginPaste(); break;
            case Event::CloseFailed: life.CloseFailed(); break;
        }
        EXPECT_EQ(step, r.step);
        EXPECT_EQ(done, r.done);
        EXPECT_EQ(life.State(), r.after);
        EXPECT_EQ(life.Allows(KUse::Entries), r.entries);
        EXPECT_EQ(life.Allows(KUse::Paste), r.paste);
        EXPECT_EQ(life.Allows(KUse::Lock), r.lock);
        EXPECT_EQ(life.Allows(KUse::Save), r.save);
        EXPECT_EQ(life.Allows(KUse::Exit), r.exit);
        EXPECT_EQ(life.Locks(), r.event == Event::Lock && r.done ? 1u : 0u) << "only a lock that covers counts";
    }
}

TEST(LifeCycle, WhatWaitedForThePasteRunsAtItsEnd) {
    // A close that waited closes (the lock that also waited is moot); a lock alone locks.
    KLifeCycle closing = Reach(At::Pasting);
    closing.Lock();
    closing.Close();
    const KLifeCycle::AfterPaste a = closing.EndPaste();
    EXPECT_TRUE(a.close);
    EXPECT_FALSE(a.lock);
    EXPECT_EQ(closing.Close(), KCloseStep::Save) << "the close that waited now saves";

    KLifeCycle locking = Reach(At::Pasting);
    locking.Lock();
    const KLifeCycle::AfterPaste b = locking.EndPaste();
    EXPECT_FALSE(b.close);
    EXPECT_TRUE(b.lock);
    EXPECT_TRUE(locking.Lock());
    EXPECT_EQ(locking.Locks(), 1u) << "the lock that waited counts once, when it covers";

    KLifeCycle quiet = Reach(At::Pasting);
    const KLifeCycle::AfterPaste c = quiet.EndPaste();
    EXPECT_FALSE(c.close || c.lock);
    EXPECT_TRUE(quiet.Allows(KUse::Paste));
}

}  // namespace
