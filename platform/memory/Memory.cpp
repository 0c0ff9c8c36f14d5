// The Memory Manager: real handles (a stable master pointer to a block that
// may move) and fixed pointers, with MemError and a failing-allocation switch.
//
// Handle layout: each handle is a HandleBlock allocated on its own, whose
// first member is the master pointer, so the Handle is the block's address
// and never changes. The data lives in a separate malloc'd buffer of
// `capacity` bytes. Growing an unlocked handle past its capacity moves the
// data to a new buffer (with room to spare, so appends stay cheap); growing
// a locked one past its capacity fails. Sanitizer builds keep no spare room,
// so every growth moves and a stale inner pointer is caught at once.
//
// Ptr blocks get room to grow to four times their first size in place;
// SetPtrSize beyond that fails with memFullErr, because a Ptr never moves.
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

#include "platform/Errors.h"
#include "platform/Memory.h"
#include "platform/core/Environment.h"
#include "platform/memory/MemoryInternal.h"

namespace platform::memory {
namespace {

struct HandleBlock {
    char* data;     // the master pointer: must stay the first member
    Size size;
    Size capacity;
    UInt8 state;    // kHandleLockedMask | kHandlePurgeableMask | kHandleIsResourceMask
};
static_assert(offsetof(HandleBlock, data) == 0);

struct PtrBlock {
    Size size;
    Size capacity;
};

#ifdef KINORA_SANITIZE_BUILD
constexpr bool kSpareRoom = false;
#else
constexpr bool kSpareRoom = true;
#endif

struct Heap {
    std::recursive_mutex lock;
    std::unordered_set<HandleBlock*> handles;
    std::unordered_map<Ptr, PtrBlock> ptrs;
    std::function<void(Handle)> resource_release;
    long allocations = 0;
    long fail_at = 0;   // absolute allocation number that fails; 0 = never

    Heap() {
        if (auto n = env::get_positive("KINORA_FAIL_ALLOC")) fail_at = *n;
    }
};

Heap& heap() {
    static Heap* h = new Heap;   // never destroyed: handles may outlive static destructors
    return *h;
}

thread_local OSErr g_memError = noErr;

OSErr set_error(OSErr e) {
    g_memError = e;
    return e;
}

// Counts an allocation attempt; false when the test switch says it fails.
bool allocation_allowed(Heap& hp) {
    long n = ++hp.allocations;
    if (hp.fail_at != 0 && n == hp.fail_at) {
        hp.fail_at = 0;
        return false;
    }
    return true;
}

HandleBlock* block_of(Heap& hp, Handle h) {
    if (!h) return nullptr;
    auto* b = reinterpret_cast<HandleBlock*>(h);
    return hp.handles.count(b) ? b : nullptr;
}

// Looks the handle up, setting MemError to nilHandleErr / memWZErr on failure.
HandleBlock* checked_block(Heap& hp, Handle h) {
    if (!h) {
        set_error(nilHandleErr);
        return nullptr;
    }
    HandleBlock* b = block_of(hp, h);
    if (!b) set_error(memWZErr);
    return b;
}

Size grown_capacity(Size want) {
    if (!kSpareRoom) return want;
    Size spare = want / 2;
    if (spare < 16) spare = 16;
    if (want > 0x7FFFFFFF - spare) return want;
    return want + spare;
}

char* allocate_buffer(Size capacity, bool clear) {
    size_t n = capacity > 0 ? size_t(capacity) : 1;
    return static_cast<char*>(clear ? std::calloc(n, 1) : std::malloc(n));
}

Handle new_handle(Size byteCount, bool clear) {
    if (byteCount < 0) {
        set_error(paramErr);
        return nullptr;
    }
    Heap& hp = heap();
    std::lock_guard g(hp.lock);
    if (!allocation_allowed(hp)) {
        set_error(memFullErr);
        return nullptr;
    }
    char* data = allocate_buffer(byteCount, clear);
    auto* b = data ? new (std::nothrow) HandleBlock{data, byteCount, byteCount, 0} : nullptr;
    if (!b) {
        std::free(data);
        set_error(memFullErr);
        return nullptr;
    }
    hp.handles.insert(b);
    set_error(noErr);
    return &b->data;
}

// Changes a block's size; the data may move only when the block is unlocked.
OSErr resize_block(Heap& hp, HandleBlock* b, Size newSize) {
    if (newSize < 0) return paramErr;
    if (!b->data) {
        // An empty handle gets a fresh block.
        if (!allocation_allowed(hp)) return memFullErr;
        char* data = allocate_buffer(newSize, false);
        if (!data) return memFullErr;
        b->data = data;
        b->size = b->capacity = newSize;
        return noErr;
    }
    if (newSize <= b->capacity) {
        b->size = newSize;
        return noErr;
    }
    if (b->state & kHandleLockedMask) return memFullErr;
    if (!allocation_allowed(hp)) return memFullErr;
    Size capacity = grown_capacity(newSize);
    char* data = allocate_buffer(capacity, false);
    if (!data) return memFullErr;
    std::memcpy(data, b->data, size_t(b->size));
    std::free(b->data);
    b->data = data;
    b->size = newSize;
    b->capacity = capacity;
    return noErr;
}

}  // namespace

bool is_handle(Handle h) {
    Heap& hp = heap();
    std::lock_guard g(hp.lock);
    return block_of(hp, h) != nullptr;
}

bool is_ptr(Ptr p) {
    Heap& hp = heap();
    std::lock_guard g(hp.lock);
    return p && hp.ptrs.count(p);
}

void set_resource_flag(Handle h, bool isResource) {
    Heap& hp = heap();
    std::lock_guard g(hp.lock);
    if (HandleBlock* b = block_of(hp, h)) {
        if (isResource)
            b->state |= kHandleIsResourceMask;
        else
            b->state &= UInt8(~kHandleIsResourceMask);
    }
}

void set_resource_release_hook(std::function<void(Handle)> hook) {
    Heap& hp = heap();
    std::lock_guard g(hp.lock);
    hp.resource_release = std::move(hook);
}

void fail_allocation(long n) {
    Heap& hp = heap();
    std::lock_guard g(hp.lock);
    hp.fail_at = n > 0 ? hp.allocations + n : 0;
}

long allocation_count() {
    Heap& hp = heap();
    std::lock_guard g(hp.lock);
    return hp.allocations;
}

long live_handle_count() {
    Heap& hp = heap();
    std::lock_guard g(hp.lock);
    return long(hp.handles.size());
}

long live_ptr_count() {
    Heap& hp = heap();
    std::lock_guard g(hp.lock);
    return long(hp.ptrs.size());
}

}  // namespace platform::memory

using namespace platform::memory;

OSErr MemError(void) { return g_memError; }

Handle NewHandle(Size byteCount) { return new_handle(byteCount, false); }
Handle NewHandleClear(Size byteCount) { return new_handle(byteCount, true); }

Handle NewEmptyHandle(void) {
    Heap& hp = heap();
    std::lock_guard g(hp.lock);
    if (!allocation_allowed(hp)) {
        set_error(memFullErr);
        return nullptr;
    }
    auto* b = new (std::nothrow) HandleBlock{nullptr, 0, 0, 0};
    if (!b) {
        set_error(memFullErr);
        return nullptr;
    }
    hp.handles.insert(b);
    set_error(noErr);
    return &b->data;
}

void DisposeHandle(Handle h) {
    if (!h) {
        set_error(noErr);
        return;
    }
    Heap& hp = heap();
    std::function<void(Handle)> release;
    {
        std::lock_guard g(hp.lock);
        HandleBlock* b = block_of(hp, h);
        if (!b) {
            set_error(memWZErr);
            return;
        }
        if (b->state & kHandleIsResourceMask) release = hp.resource_release;
    }
    // The Resource Manager drops its reference before the block goes away.
    if (release) release(h);
    std::lock_guard g(hp.lock);
    HandleBlock* b = block_of(hp, h);
    if (!b) {
        set_error(noErr);
        return;
    }
    hp.handles.erase(b);
    std::free(b->data);
    delete b;
    set_error(noErr);
}

Size GetHandleSize(Handle h) {
    Heap& hp = heap();
    std::lock_guard g(hp.lock);
    HandleBlock* b = checked_block(hp, h);
    if (!b) return 0;
    if (!b->data) {
        set_error(nilHandleErr);
        return 0;
    }
    set_error(noErr);
    return b->size;
}

void SetHandleSize(Handle h, Size newSize) {
    Heap& hp = heap();
    std::lock_guard g(hp.lock);
    HandleBlock* b = checked_block(hp, h);
    if (!b) return;
    set_error(resize_block(hp, b, newSize));
}

void EmptyHandle(Handle h) {
    Heap& hp = heap();
    std::lock_guard g(hp.lock);
    HandleBlock* b = checked_block(hp, h);
    if (!b) return;
    if (b->state & kHandleLockedMask) {
        set_error(memLockedErr);
        return;
    }
    std::free(b->data);
    b->data = nullptr;
    b->size = b->capacity = 0;
    set_error(noErr);
}

void ReallocateHandle(Handle h, Size byteCount) {
    Heap& hp = heap();
    std::lock_guard g(hp.lock);
    HandleBlock* b = checked_block(hp, h);
    if (!b) return;
    if (b->state & kHandleLockedMask) {
        set_error(memLockedErr);
        return;
    }
    std::free(b->data);
    b->data = nullptr;
    b->size = b->capacity = 0;
    set_error(resize_block(hp, b, byteCount));
}

static void change_state(Handle h, UInt8 set, UInt8 clear) {
    Heap& hp = heap();
    std::lock_guard g(hp.lock);
    HandleBlock* b = checked_block(hp, h);
    if (!b) return;
    b->state = UInt8((b->state | set) & ~clear);
    set_error(noErr);
}

void HLock(Handle h) { change_state(h, kHandleLockedMask, 0); }
void HUnlock(Handle h) { change_state(h, 0, kHandleLockedMask); }
void HLockHi(Handle h) { change_state(h, kHandleLockedMask, 0); }
// Blocks are not compacted, so there is nothing to move; the call only checks h.
void MoveHHi(Handle h) { change_state(h, 0, 0); }

SInt8 HGetState(Handle h) {
    Heap& hp = heap();
    std::lock_guard g(hp.lock);
    HandleBlock* b = checked_block(hp, h);
    if (!b) return 0;
    set_error(noErr);
    return SInt8(b->state);
}

void HSetState(Handle h, SInt8 flags) {
    const UInt8 mask = kHandleLockedMask | kHandlePurgeableMask;
    change_state(h, UInt8(flags) & mask, UInt8(~UInt8(flags)) & mask);
}

static Ptr new_ptr(Size byteCount) {
    if (byteCount < 0) {
        set_error(paramErr);
        return nullptr;
    }
    Heap& hp = heap();
    std::lock_guard g(hp.lock);
    if (!allocation_allowed(hp)) {
        set_error(memFullErr);
        return nullptr;
    }
    // Room to grow in place to four times the first size (at least 256 bytes).
    Size capacity = byteCount <= 64 ? 256 : (byteCount > 0x1FFFFFFF ? byteCount : byteCount * 4);
    // Always cleared, so growth in place reads as zeros.
    char* data = static_cast<char*>(std::calloc(size_t(capacity), 1));
    if (!data) {
        set_error(memFullErr);
        return nullptr;
    }
    hp.ptrs[data] = PtrBlock{byteCount, capacity};
    set_error(noErr);
    return data;
}

Ptr NewPtr(Size byteCount) { return new_ptr(byteCount); }
Ptr NewPtrClear(Size byteCount) { return new_ptr(byteCount); }

void DisposePtr(Ptr p) {
    if (!p) {
        set_error(noErr);
        return;
    }
    Heap& hp = heap();
    std::lock_guard g(hp.lock);
    auto it = hp.ptrs.find(p);
    if (it == hp.ptrs.end()) {
        set_error(memWZErr);
        return;
    }
    hp.ptrs.erase(it);
    std::free(p);
    set_error(noErr);
}

Size GetPtrSize(Ptr p) {
    Heap& hp = heap();
    std::lock_guard g(hp.lock);
    auto it = p ? hp.ptrs.find(p) : hp.ptrs.end();
    if (it == hp.ptrs.end()) {
        set_error(p ? memWZErr : nilHandleErr);
        return 0;
    }
    set_error(noErr);
    return it->second.size;
}

void SetPtrSize(Ptr p, Size newSize) {
    Heap& hp = heap();
    std::lock_guard g(hp.lock);
    auto it = p ? hp.ptrs.find(p) : hp.ptrs.end();
    if (it == hp.ptrs.end()) {
        set_error(p ? memWZErr : nilHandleErr);
        return;
    }
    if (newSize < 0) {
        set_error(paramErr);
        return;
    }
    PtrBlock& b = it->second;
    if (newSize > b.size) {
        if (newSize > b.capacity || !allocation_allowed(hp)) {
            set_error(memFullErr);
            return;
        }
        std::memset(p + b.size, 0, size_t(newSize - b.size));
    }
    b.size = newSize;
    set_error(noErr);
}

void BlockMove(const void* srcPtr, void* destPtr, Size byteCount) {
    if (byteCount > 0 && srcPtr && destPtr) std::memmove(destPtr, srcPtr, size_t(byteCount));
    set_error(noErr);
}

void BlockMoveData(const void* srcPtr, void* destPtr, Size byteCount) {
    BlockMove(srcPtr, destPtr, byteCount);
}

OSErr PtrToHand(const void* srcPtr, Handle* dstHndl, SInt32 size) {
    if (!dstHndl || size < 0 || (size > 0 && !srcPtr)) return set_error(paramErr);
    *dstHndl = nullptr;
    Handle h = NewHandle(size);
    if (!h) return MemError();
    if (size > 0) std::memcpy(*h, srcPtr, size_t(size));
    *dstHndl = h;
    return set_error(noErr);
}

OSErr PtrToXHand(const void* srcPtr, Handle dstHndl, SInt32 size) {
    if (size < 0 || (size > 0 && !srcPtr)) return set_error(paramErr);
    SetHandleSize(dstHndl, size);
    if (MemError() != noErr) return MemError();
    if (size > 0) std::memmove(*dstHndl, srcPtr, size_t(size));
    return set_error(noErr);
}

OSErr HandToHand(Handle* theHndl) {
    if (!theHndl) return set_error(paramErr);
    Handle src = *theHndl;
    Size n = GetHandleSize(src);
    if (MemError() != noErr) return MemError();
    Handle copy = NewHandle(n);
    if (!copy) return MemError();
    std::memcpy(*copy, *src, size_t(n));
    *theHndl = copy;
    return set_error(noErr);
}

OSErr PtrAndHand(const void* ptr1, Handle hand2, SInt32 size) {
    if (size < 0 || (size > 0 && !ptr1)) return set_error(paramErr);
    if (!is_handle(hand2)) return set_error(hand2 ? memWZErr : nilHandleErr);
    Size old = *hand2 ? GetHandleSize(hand2) : 0;
    SetHandleSize(hand2, old + size);
    if (MemError() != noErr) return MemError();
    if (size > 0) std::memmove(*hand2 + old, ptr1, size_t(size));
    return set_error(noErr);
}

OSErr HandAndHand(Handle hand1, Handle hand2) {
    Size n = GetHandleSize(hand1);
    if (MemError() != noErr) return MemError();
    // Appending a handle to itself: the source may move while the target grows.
    if (hand1 == hand2) {
        SetHandleSize(hand2, n * 2);
        if (MemError() != noErr) return MemError();
        std::memcpy(*hand2 + n, *hand2, size_t(n));
        return set_error(noErr);
    }
    SInt8 state = HGetState(hand1);
    HLock(hand1);
    OSErr err = PtrAndHand(*hand1, hand2, n);
    HSetState(hand1, state);
    return set_error(err);
}
