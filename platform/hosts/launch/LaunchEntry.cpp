// The launch library's only content: before main, glibc passes every
// function in .init_array the program's argc, argv and envp.
#include "platform/hosts/launch/Launch.h"

namespace {

__attribute__((constructor(101))) void kinora_launch(int argc, char** argv, char** /*envp*/) {
    platform::host::launch(argc, argv);
}

}  // namespace
