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

// Key lines, by stretches of equal units. In a stretch [s, e) of L units
// every unit but the last is best coded by the longest run from it: a run
// is never dearer than a literal over the same equal units, nor than a
// literal reaching past e (that literal is no cheaper than the run up to e
// and a literal from e). So the sliding window is consulted only where a
// stretch's last unit may begin a code, and only the units a literal can
// usefully end on enter the queue. For 2 < L <= 128 that is s alone: any
// window holding another unit j of the stretch also holds s, and
// cost[j] + j*b >= cost[s] + s*b there, because cost[s] = 1 + b + cost[e]
// <= 1 + b + cost[j] and j - s >= 2 (or cost[j] = cost[s] when j = s + 1).
// Codes can only begin at s, at the units a literal ends on, and every
// 128 units into a run, so costs and codes are kept for those alone.
size_t LinePlanner::plan_stretches(const UInt32* starts, size_t count, UInt32 b) {
    UInt32* cost = cost_.data();
    UInt32* op = op_.data();
    UInt32* q = queue_.data();
    UInt32* qkey = key_.data();   // the key of each queue entry, beside it
    size_t head = 0, tail = 0;
    auto push = [&](size_t j) {
        const UInt32 kj = cost[j] + UInt32(j) * b;
        while (tail > head && qkey[tail - 1] >= kj) --tail;
        q[tail] = UInt32(j);
        qkey[tail++] = kj;
    };
    auto literal = [&](size_t i) {
        while (q[head] > i + kMaxLiteral) ++head;
        cost[i] = 1 + qkey[head] - UInt32(i) * b;
        op[i] = kLiteral | UInt32(q[head] - i);
    };

    const size_t n = n_;
    cost[n] = 0;
    push(n);
    for (size_t k = count; k-- > 0;) {
        const size_t s = starts[k], e = starts[k + 1];
        const size_t len = e - s;
        if (len == 1) {
            literal(s);
        } else if (len <= size_t(kMaxRun)) {
            if (len == 2) {
                literal(s + 1);
                push(s + 1);
            }
            cost[s] = 1 + b + cost[e];
            op[s] = kRun | UInt32(len);
        } else {
            literal(e - 1);
            for (size_t i = e - 1; i-- > s;) {
                const size_t run = std::min(e - i, size_t(kMaxRun));
                cost[i] = 1 + b + cost[i + run];
                op[i] = kRun | UInt32(run);
            }
            push(s + 1);
        }
        push(s);
    }
    return 2 + cost[0];
}

UInt32* LinePlanner::stretch_buffer(size_t n) {
    prepare(nullptr, nullptr, n, ~0u);
    return queue2_.data();
}

size_t LinePlanner::plan_key(const UInt32* starts, size_t count, size_t n, int unitBytes) {
    n_ = n;
    return plan_stretches(starts, count, UInt32(unitBytes));
}

size_t LinePlanner::plan(const UInt32* cur, const UInt32* prev, size_t n, int unitBytes,
                         UInt32 lastMask) {
    prepare(cur, prev, n, lastMask);
    if (!prev) {
        // Where each stretch starts (written every time, kept when the unit
        // differs from the one before: no branch to mispredict).
        UInt32* starts = queue2_.data();
        size_t count = 1;
        starts[0] = 0;
        for (size_t i = 1; i < n; ++i) {
            starts[count] = UInt32(i);
            count += cur[i] != cur[i - 1];
        }
        starts[count] = UInt32(n);
        return plan_stretches(starts, count, UInt32(unitBytes));
    }
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

// memcpy for the short copies literals mostly are, without a library call.
static inline void copy_bytes(UInt8* d, const UInt8* s, size_t n) {
    if (n >= 16) {
        size_t k = 0;
        for (; k + 16 <= n; k += 16) std::memcpy(d + k, s + k, 16);
        if (k < n) std::memcpy(d + n - 16, s + n - 16, 16);
    } else if (n >= 8) {
        std::memcpy(d, s, 8);
        std::memcpy(d + n - 8, s + n - 8, 8);
    } else if (n >= 4) {
        std::memcpy(d, s, 4);
        std::memcpy(d + n - 4, s + n - 4, 4);
    } else {
        for (size_t k = 0; k < n; ++k) d[k] = s[k];
    }
}

template <size_t B>
UInt8* LinePlanner::write_units(UInt8* out, const UInt8* bytes) const {
    *out++ = UInt8(1 + lead_);
    size_t i = lead_;
    if (!prev_) {   // key lines: runs and literals only, chosen without a branch
        while (i < tail_) {
            const UInt32 o = op_[i];
            const size_t len = o & ~kKindMask;
            const bool run = (o & kKindMask) == kRun;
            *out++ = run ? UInt8(-SInt32(len)) : UInt8(len);
            const size_t n = run ? B : len * B;
            copy_bytes(out, bytes + i * B, n);
            out += n;
            i += len;
        }
        *out++ = 0xFF;
        return out;
    }
    while (i < tail_) {
        const UInt32 o = op_[i];
        const size_t len = o & ~kKindMask;
        const UInt32 kind = o & kKindMask;
        if (kind == kRun) {
            *out++ = UInt8(-SInt32(len));
            std::memcpy(out, bytes + i * B, B);
            out += B;
        } else if (kind == kLiteral) {
            *out++ = UInt8(len);
            copy_bytes(out, bytes + i * B, len * B);
            out += len * B;
        } else {   // kSkip
            *out++ = 0;
            *out++ = UInt8(1 + len);
        }
        i += len;
    }
    *out++ = 0xFF;
    return out;
}

UInt8* LinePlanner::write(UInt8* out, const UInt8* bytes, int unitBytes) const {
    switch (unitBytes) {
    case 2: return write_units<2>(out, bytes);
    case 3: return write_units<3>(out, bytes);
    default: return write_units<4>(out, bytes);
    }
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
