#include "input/clipclaim.h"

void KClipboardClaim::Claim(std::uint32_t sequence, std::int64_t nowMs) {
    held_ = sequence != 0;
    sequence_ = sequence;
    since_ = nowMs;
}

void KClipboardClaim::Hold(bool on, std::int64_t nowMs) {
    if (busy_ && !on) since_ = nowMs;
    busy_ = on;
}

std::int64_t KClipboardClaim::DueInMs(std::int64_t nowMs) const {
    if (!held_) return 0;
    const std::int64_t left = since_ + kClipboardKeepMs - nowMs;
    return left > 0 ? left : 0;
}

KClipboardVerdict KClipboardClaim::Decide(std::uint32_t sequence, std::int64_t nowMs, bool closing) {
    if (!held_) return KClipboardVerdict::Keep;
    if (sequence != sequence_) {
        held_ = false;
        return KClipboardVerdict::Forget;
    }
    if (!closing && (busy_ || DueInMs(nowMs) > 0)) return KClipboardVerdict::Keep;
    held_ = false;
    return KClipboardVerdict::Clear;
}
