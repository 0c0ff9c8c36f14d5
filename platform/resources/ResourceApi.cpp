// The Resource Manager's C API over ResourceChain.
#include <cstring>
#include <string>

#include "platform/Errors.h"
#include "platform/Memory.h"
#include "platform/Resources.h"
#include "platform/core/Bytes.h"
#include "platform/core/FourCC.h"
#include "platform/resources/ResourceChain.h"

using platform::resources::ResourceChain;

namespace {

ResourceChain& chain() { return ResourceChain::instance(); }

std::string from_pstring(ConstStr255Param s) {
    if (!s) return {};
    return std::string(reinterpret_cast<const char*>(s + 1), s[0]);
}

void set_pstring(Str255 out, const std::string& s) {
    size_t n = s.size() > 255 ? 255 : s.size();
    out[0] = UInt8(n);
    if (n) std::memcpy(out + 1, s.data(), n);
}

}  // namespace

OSErr ResError(void) { return chain().error(); }

SInt16 CurResFile(void) {
    chain().set_error(noErr);
    return chain().current();
}

void UseResFile(SInt16 refNum) { chain().set_error(chain().use(refNum)); }

void CloseResFile(SInt16 refNum) { chain().set_error(chain().close(refNum)); }

SInt16 HomeResFile(Handle theResource) {
    SInt16 home = -1;
    chain().set_error(chain().describe(theResource, &home) ? noErr : resNotFound);
    return home;
}

void SetResLoad(Boolean load) {
    chain().set_load(load != 0);
    chain().set_error(noErr);
}

Handle GetResource(ResType theType, SInt16 theID) { return chain().get(theType, theID, false); }
Handle Get1Resource(ResType theType, SInt16 theID) { return chain().get(theType, theID, true); }

Handle GetNamedResource(ResType theType, ConstStr255Param name) {
    return chain().get_named(theType, from_pstring(name), false);
}
Handle Get1NamedResource(ResType theType, ConstStr255Param name) {
    return chain().get_named(theType, from_pstring(name), true);
}

void LoadResource(Handle theResource) { chain().set_error(chain().load(theResource)); }
void ReleaseResource(Handle theResource) { chain().set_error(chain().release(theResource)); }
void DetachResource(Handle theResource) { chain().set_error(chain().detach(theResource)); }

void GetResInfo(Handle theResource, SInt16* theID, ResType* theType, Str255 name) {
    const auto* res = chain().describe(theResource, nullptr);
    if (!res) {
        chain().set_error(resNotFound);
        return;
    }
    if (theID) *theID = res->id;
    if (theType) chain().describe(theResource, nullptr, theType);
    if (name) set_pstring(name, res->name.value_or(std::string()));
    chain().set_error(noErr);
}

SInt16 GetResAttrs(Handle theResource) {
    const auto* res = chain().describe(theResource, nullptr);
    chain().set_error(res ? noErr : resNotFound);
    return res ? SInt16(res->attributes) : 0;
}

SInt32 GetResourceSizeOnDisk(Handle theResource) {
    const auto* res = chain().describe(theResource, nullptr);
    chain().set_error(res ? noErr : resNotFound);
    return res ? SInt32(res->data.size()) : -1;
}

SInt16 CountResources(ResType theType) { return chain().count(theType, false); }
Handle GetIndResource(ResType theType, SInt16 index) { return chain().get_indexed(theType, index, false); }
SInt16 Count1Resources(ResType theType) { return chain().count(theType, true); }
Handle Get1IndResource(ResType theType, SInt16 index) { return chain().get_indexed(theType, index, true); }
SInt16 CountTypes(void) { return chain().count_types(false); }
SInt16 Count1Types(void) { return chain().count_types(true); }

void GetIndType(ResType* theType, SInt16 index) {
    ResType t = chain().indexed_type(index, false);
    if (theType) *theType = t;
}

void Get1IndType(ResType* theType, SInt16 index) {
    ResType t = chain().indexed_type(index, true);
    if (theType) *theType = t;
}

void GetIndString(Str255 theString, SInt16 strListID, SInt16 index) {
    if (!theString) return;
    theString[0] = 0;
    Handle h = GetResource(platform::fourcc("STR#"), strListID);
    if (!h) return;   // ResError says resNotFound (or memFullErr)
    if (!*h) LoadResource(h);
    if (!*h || index < 1) return;
    // The list lives in a handle the caller may have changed: read it
    // through a bounded view, never trusting its count.
    platform::ByteReader list(*h, size_t(GetHandleSize(h)), resNotFound);
    auto count = list.u16();
    if (!count || index > *count) return;
    for (SInt16 i = 1; i < index; ++i)
        if (!list.pstring()) return;
    auto s = list.pstring();
    if (s) set_pstring(theString, *s);
}

SInt16 OpenResourceFileAtPath(const char* path, SInt8 /*permission*/) {
    if (!path || !*path) {
        chain().set_error(paramErr);
        return -1;
    }
    auto r = chain().open_path(path);
    chain().set_error(r.code());
    return r ? *r : SInt16(-1);
}
