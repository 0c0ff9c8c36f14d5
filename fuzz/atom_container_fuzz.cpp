// Fuzzes atom containers: the bytes as a container handle, walked and
// edited through the calls; a container that reads is written back and
// must read again identically.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/AtomContainers.h"
#include "platform/Memory.h"
#include "platform/atoms/AtomTree.h"

using namespace platform::atoms;

namespace {

void walk(QTAtomContainer c, QTAtom parent, int depth) {
    SInt16 count = QTCountChildrenOfType(c, parent, 0);
    for (SInt16 i = 1; i <= count && i <= 64; ++i) {
        QTAtomID id = 0;
        QTAtom child = QTFindChildByIndex(c, parent, 0, i, &id);
        if (!child) __builtin_trap();   // counted children can be found
        SInt32 size = 0;
        Ptr data = nullptr;
        if (QTGetAtomDataPtr(c, child, &size, &data) == noErr) {
            if (data < *c || data + size > *c + GetHandleSize(c)) __builtin_trap();
        } else if (depth < 8) {
            walk(c, child, depth + 1);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto tree = AtomTree::read({data, size});
    if (tree.ok()) {
        std::vector<UInt8> again = tree->write();
        auto reread = AtomTree::read(again);
        if (!reread.ok() || reread->write() != again) __builtin_trap();
    }
    Handle h = nullptr;
    if (PtrToHand(data, &h, SInt32(size)) != noErr) return 0;
    walk(h, kParentAtomIsContainer, 0);
    QTAtom added = 0;
    if (QTInsertChild(h, 0, 'fuzz', 0, 1, 3, (void*)"abc", &added) == noErr) {
        if (!tree.ok()) __builtin_trap();   // only valid containers can be edited
        if (QTSetAtomData(h, added, 5, (void*)"hello") != noErr) __builtin_trap();
        if (QTRemoveAtom(h, added) != noErr) __builtin_trap();
        std::vector<UInt8> back(reinterpret_cast<UInt8*>(*h), reinterpret_cast<UInt8*>(*h) + GetHandleSize(h));
        if (back != tree->write()) __builtin_trap();   // insert then remove changes nothing
    }
    DisposeHandle(h);
    return 0;
}
