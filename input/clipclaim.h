// What Keyra itself last put on the clipboard, known by the clipboard's sequence number, so it
// can be taken off again after a while, or at close, but only while nothing else has been put
// there since: another program's text is never ours to clear.
#pragma once
#include <cstdint>

// How long a text or an entry stays on the clipboard after Keyra put it there.
constexpr std::int64_t kClipboardKeepMs = 12000;

enum class KClipboardVerdict {
    Keep,    // nothing of ours, or not due yet
    Clear,   // still exactly what we put there: empty the clipboard
    Forget,  // someone else has written since: leave it and drop the claim
};

class KClipboardClaim {
public:
    // Called right after our own write, with the sequence number the clipboard has then.
    // Sequence 0 means the system could not tell us: then nothing is claimed.
    void Claim(std::uint32_t sequence, std::int64_t nowMs);
    void Drop() { held_ = false; }
    bool Held() const { return held_; }

    // A paste under way uses the text: no clear until it is over, and the full time again
    // from its end.
    void Hold(bool on, std::int64_t nowMs);

    // Milliseconds until the clear is due (0 when due); 0 without a claim.
    std::int64_t DueInMs(std::int64_t nowMs) const;

    // What to do with the clipboard whose sequence number is `sequence` now. `closing` clears
    // what is ours at once. Clear and Forget end the claim.
    KClipboardVerdict Decide(std::uint32_t sequence, std::int64_t nowMs, bool closing);

private:
    bool held_ = false;
    bool busy_ = false;
    std::uint32_t sequence_ = 0;
    std::int64_t since_ = 0;
};
