// The launch library's only content: before main, glibc passes every
// function in .init_array the program's argc, argv and envp. It runs after
// the hosts are handed to the registry (PlatformEntry.cpp, SdlEntry.cpp).
#include "platform/hosts/launch/Launch.h"

namespace {

__attribute__((constructor(102))) void kinora_launch(int argc, char** argv, char** /*envp*/) {
    platform::host::launch(argc, argv);
}

}  // namespace
