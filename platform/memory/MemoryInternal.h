// MemoryInternal.h — what other managers (and tests) need of the Memory Manager.
#pragma once

#include <functional>

#include "platform/Types.h"

namespace platform::memory {

// True when h is a live handle made by NewHandle and friends.
bool is_handle(Handle h);
// True when p is a live block made by NewPtr.
bool is_ptr(Ptr p);

// Resource handles: the Resource Manager marks the handles it owns. When one
// is disposed of with DisposeHandle, the release hook tells it to forget the
// handle, so its map never holds a dangling handle.
void set_resource_flag(Handle h, bool isResource);
void set_resource_release_hook(std::function<void(Handle)> hook);

// Test switch: the Nth allocation from now (1 = the next one) fails with
// memFullErr; 0 turns the switch off. Allocations are NewHandle*, NewPtr*,
// and every size change that needs new memory. The environment variable
// KINORA_FAIL_ALLOC=N sets it at start-up.
void fail_allocation(long n);
// Number of allocations made so far (for tests that pick N).
long allocation_count();

// Live blocks (leak checks in tests).
long live_handle_count();
long live_ptr_count();

}  // namespace platform::memory
