#include "platform/codecs/rle/LinePlanner.h"

#include <algorithm>
#include <cstring>

#include "platform/codecs/rle/AnimationFormat.h"

namespace platform::codecs::rle {

void LinePlanner::prepare(const UInt32* cur, const UInt32* prev, size_t n, UInt32 lastMask) {
    cur_ = cur;
    prev_ = prev;
    n_ = n;
    lastMask_ = lastMask;
    lead_ = 0;
    if (cost_.size() < n + 1) {
        cost_.resize(n + 1);
        key_.resize(n + 1);
        op_.resize(n + 1);
        code_.resize(n + 1);
        pick_.resize(n + 1);
        queue_.resize(n + 1);
        queue2_.resize(n + 1);
    }
    tail_ = n;
    if (prev_)
        while (tail_ > 0 && unchanged(tail_ - 1)) --tail_;
}

bool LinePlanner::unchanged(size_t i) const {
    UInt32 diff = cur_[i] ^ prev_[i];
    if (i + 1 == n_) diff &= lastMask_;
    return diff == 0;
}

// Length of the run of equal units starting at the first unchanged tail
// unit, capped at the longest run code (longer runs are cut anyway).
static size_t run_at(const UInt32* u, size_t at, size_t n) {
    if (at >= n) return 0;
    size_t r = 1;
    while (at + r < n && r < size_t(kMaxRun) && u[at + r] == u[at]) ++r;
    return r;
}

size_t LinePlanner::plan(const UInt32* cur, const UInt32* prev, size_t n, int unitBytes,
                         UInt32 lastMask) {
    prepare(cur, prev, n, lastMask);
    const size_t t = tail_;
    if (t == 0) return 2;   // opening skip byte, end code

    const UInt32 b = UInt32(unitBytes);
    UInt32* cost = cost_.data();
    UInt32* key = key_.data();
    UInt32* op = op_.data();
    UInt32* q = queue_.data();
    size_t head = 0, tail = 0;

    cost[t] = 0;
    key[t] = UInt32(t) * b;
    q[tail++] = UInt32(t);
    size_t run = run_at(cur, t, n);
    size_t same = 0;    // unchanged units starting at i

    for (size_t i = t; i-- > 0;) {
        const size_t j = i + 1;
        if (j < t) {
            const UInt32 kj = cost[j] + UInt32(j) * b;
            key[j] = kj;
            while (tail > head && key[q[tail - 1]] >= kj) --tail;
            q[tail++] = UInt32(j);
        }
        while (q[head] > i + kMaxLiteral) ++head;
        UInt32 best = 1 + key[q[head]] - UInt32(i) * b;
        UInt32 choice = kLiteral | UInt32(q[head] - i);

        run = (j < n && cur[i] == cur[j]) ? run + 1 : 1;
        if (run >= 2) {
            const size_t len = std::min(run, size_t(kMaxRun));
            const UInt32 c = 1 + b + cost[std::min(i + len, t)];
            if (c <= best) {
                best = c;
                choice = kRun | UInt32(len);
            }
        }
        if (prev) {
            same = unchanged(i) ? same + 1 : 0;
            if (same) {
                const size_t len = std::min(same, size_t(kMaxSkip));
                const UInt32 c = 2 + cost[i + len];
                if (c < best) {
                    best = c;
                    choice = kSkip | UInt32(len);
                }
            }
        }
        cost[i] = best;
        op[i] = choice;
    }
    lead_ = std::min(same, size_t(kMaxSkip));
    return 2 + cost[lead_];
}

UInt8* LinePlanner::write(UInt8* out, const UInt8* bytes, int unitBytes) const {
    const size_t b = size_t(unitBytes);
    *out++ = UInt8(1 + lead_);
    size_t i = lead_;
    while (i < tail_) {
        const UInt32 o = op_[i];
        const size_t len = o & ~kKindMask;
        switch (o & kKindMask) {
        case kLiteral:
            *out++ = UInt8(len);
            std::memcpy(out, bytes + i * b, len * b);
            out += len * b;
            break;
        case kRun:
            *out++ = UInt8(-SInt32(len));
            std::memcpy(out, bytes + i * b, b);
            out += b;
            break;
        default:   // kSkip
            *out++ = 0;
            *out++ = UInt8(1 + len);
            break;
        }
        i += len;
    }
    *out++ = 0xFF;
    return out;
}

size_t LinePlanner::plan_pairs(const UInt32* cur, const UInt32* prev, size_t n, UInt32 lastMask) {
    prepare(cur, prev, n, lastMask);
    const size_t t = tail_;
    if (t == 0) return 2;   // a pair that only moves to the line

    UInt32* cost = cost_.data();
    UInt32* key = key_.data();
    UInt32* op = op_.data();
    UInt32* code = code_.data();
    UInt32* pick = pick_.data();
    UInt32* q = queue_.data();
    UInt32* q2 = queue2_.data();
    size_t head = 0, tail = 0, head2 = 0, tail2 = 0;

    cost[t] = 0;
    key[t] = UInt32(t) * 2;
    q[tail++] = UInt32(t);
    size_t run = run_at(cur, t, n);
    size_t same = 0;

    for (size_t i = t; i-- > 0;) {
        // The cheapest coding that starts with a code at i.
        const size_t j = i + 1;
        if (j < t) {
            const UInt32 kj = cost[j] + UInt32(j) * 2;
            key[j] = kj;
            while (tail > head && key[q[tail - 1]] >= kj) --tail;
            q[tail++] = UInt32(j);
        }
        while (q[head] > i + kMaxLiteral) ++head;
        UInt32 c = 2 + key[q[head]] - UInt32(i) * 2;
        UInt32 choice = kLiteral | UInt32(q[head] - i);
        run = (j < n && cur[i] == cur[j]) ? run + 1 : 1;
        if (run >= 2) {
            const size_t len = std::min(run, size_t(kMaxRun));
            const UInt32 rc = 4 + cost[std::min(i + len, t)];
            if (rc <= c) {
                c = rc;
                choice = kRun | UInt32(len);
            }
        }
        code[i] = c;
        op[i] = choice;

        // The cheapest pair at i: skip s unchanged units (s <= 127) into a
        // code, or, past 127 unchanged units, a pair that only skips.
        same = (prev && unchanged(i)) ? same + 1 : 0;
        if (same == 0) {
            head2 = tail2 = 0;
            q2[tail2++] = UInt32(i);
            cost[i] = c;
            pick[i] = kSkip;
            continue;
        }
        while (tail2 > head2 && code[q2[tail2 - 1]] >= c) --tail2;
        q2[tail2++] = UInt32(i);
        while (q2[head2] > i + kMaxSkip1) ++head2;
        UInt32 best = code[q2[head2]];
        UInt32 p = kSkip | UInt32(q2[head2] - i);
        if (same > size_t(kMaxSkip1)) {
            const UInt32 sc = 2 + cost[i + kMaxSkip1];
            if (sc < best) {
                best = sc;
                p = kSkipOnly | UInt32(kMaxSkip1);
            }
        }
        cost[i] = best;
        pick[i] = p;
    }
    return cost[0];
}

UInt8* LinePlanner::write_pairs(UInt8* out, const UInt8* bytes) const {
    UInt8 flag = 0x80;
    if (tail_ == 0) {
        *out++ = flag;
        *out++ = 0xFF;
        return out;
    }
    size_t i = 0;
    while (i < tail_) {
        const UInt32 p = pick_[i];
        const size_t s = p & ~kKindMask;
        if ((p & kKindMask) == kSkipOnly) {
            *out++ = UInt8(flag | s);
            *out++ = 0xFF;
            flag = 0;
            i += s;
            continue;
        }
        const size_t k = i + s;
        const UInt32 o = op_[k];
        const size_t len = o & ~kKindMask;
        *out++ = UInt8(flag | s);
        flag = 0;
        if ((o & kKindMask) == kLiteral) {
            *out++ = UInt8(len);
            std::memcpy(out, bytes + k * 2, len * 2);
            out += len * 2;
        } else {
            *out++ = UInt8(-SInt32(len));
            std::memcpy(out, bytes + k * 2, 2);
            out += 2;
        }
        i = k + len;
    }
    return out;
}

}  // namespace platform::codecs::rle
