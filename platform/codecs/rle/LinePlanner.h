// LinePlanner.h — the cheapest coding of one Animation line.
//
// A line is a row of units (see AnimationFormat.h), each a value of up to
// 32 bits. In a delta frame some units are "unchanged": the decoder already
// holds them, so they may be skipped, and a line may end early once only
// unchanged units remain. The planner finds the coding with the fewest
// bytes exactly and then writes it.
//
// Cost model, depths 2 to 32 (b = unit bytes):
//   literal of L units (1..127)     1 + L*b
//   run of L equal units (2..128)   1 + b
//   skip of L unchanged (1..254)    2            (code 0 + skip byte)
//   end of line                     0 once only unchanged units are left
// plus the skip byte that opens the line (it may skip up to 254 unchanged
// units for free) and the end code -1.
//
// Depth 1 (b = 2): every code is a pair whose first byte can also skip up
// to 127 unchanged units before it:
//   literal of L units              2 + 2L
//   run of L units                  4
//   skip only (code -1)             2
// and nothing marks the end of a line.
//
// Both are shortest paths over unit positions. Let cost[i] be the cheapest
// coding of units i..n-1. Dropping the first unit of any coding of i..n-1
// gives a coding of i+1..n-1 that is no longer (a literal or skip shrinks
// by one, a run of 2 becomes a literal of 1 at the same cost), so cost is
// non-increasing in i. Hence a run or a skip from i is best taken as long
// as it can go, and only literals need a minimum over their possible ends:
// that is a sliding-window minimum of cost[j] + j*b, kept in a monotonic
// queue. Everything is O(n) per line.
#pragma once

#include <vector>

#include "platform/Types.h"

namespace platform::codecs::rle {

class LinePlanner {
public:
    // Plans a line of n units at depths 2 to 32. `cur` holds the units;
    // `prev` (null for a key frame) the units the decoder already has,
    // compared under `lastMask` for the last unit (its padding bits are
    // not the image's). Returns the line's coded size in bytes.
    size_t plan(const UInt32* cur, const UInt32* prev, size_t n, int unitBytes, UInt32 lastMask);
    // Plans a key line given by its stretches of equal units: starts[k] is
    // where stretch k begins (starts[0] = 0, starts[count] = n). The buffer
    // for the starts comes from stretch_buffer(n) (room for n + 1).
    UInt32* stretch_buffer(size_t n);
    size_t plan_key(const UInt32* starts, size_t count, size_t n, int unitBytes);
    // Writes the planned line; `bytes` holds the units in stream form.
    UInt8* write(UInt8* out, const UInt8* bytes, int unitBytes) const;

    // The same for depth 1 (units of 2 bytes).
    size_t plan_pairs(const UInt32* cur, const UInt32* prev, size_t n, UInt32 lastMask);
    UInt8* write_pairs(UInt8* out, const UInt8* bytes) const;

private:
    enum : UInt32 { kLiteral = 0u << 30, kRun = 1u << 30, kSkip = 2u << 30, kSkipOnly = 3u << 30 };
    static constexpr UInt32 kKindMask = 3u << 30;

    size_t plan_stretches(const UInt32* starts, size_t count, UInt32 unitBytes);
    template <size_t B>
    UInt8* write_units(UInt8* out, const UInt8* bytes) const;
    void prepare(const UInt32* cur, const UInt32* prev, size_t n, UInt32 lastMask);
    bool unchanged(size_t i) const;

    const UInt32* cur_ = nullptr;
    const UInt32* prev_ = nullptr;
    size_t n_ = 0;
    size_t tail_ = 0;           // units from here on are all unchanged
    size_t lead_ = 0;           // units skipped by the line's opening skip byte
    UInt32 lastMask_ = ~0u;
    std::vector<UInt32> cost_;  // cheapest coding of units i..n-1
    std::vector<UInt32> key_;   // sliding-window values (cost[j] + j*b, or code costs)
    std::vector<UInt32> op_;    // chosen code at i: kind | length
    std::vector<UInt32> code_;  // depth 1: cheapest coding that starts with a code at i
    std::vector<UInt32> pick_;  // depth 1: the pair chosen at i: kind | skip or length
    std::vector<UInt32> queue_; // positions of the sliding-window minimum
    std::vector<UInt32> queue2_;
};

}  // namespace platform::codecs::rle
