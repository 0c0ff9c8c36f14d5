// Open files: reference numbers, the mark, reading and writing through it.
#include "platform/files/AccessPaths.h"

#include <climits>
#include <map>
#include <memory>
#include <mutex>

#include "platform/files/Catalog.h"

namespace platform::files {

namespace {

struct AccessPath {
    File file;
    SInt8 permission = fsRdPerm;
    UInt64 mark = 0;
    FSSpec spec = {};
};

struct Table {
    std::mutex lock;
    std::map<SInt16, std::unique_ptr<AccessPath>> paths;
    SInt16 next = 1;
};

Table& table() {
    static Table t;
    return t;
}

AccessPath* find(SInt16 refNum) {
    auto& t = table();
    std::lock_guard g(t.lock);
    auto it = t.paths.find(refNum);
    return it == t.paths.end() ? nullptr : it->second.get();
}

Result<File> open_with(const std::filesystem::path& path, SInt8 permission) {
    switch (permission) {
        case fsRdPerm: return File::open(path, Access::Read);
        case fsWrPerm: {
            File f = TRY(File::open(path, Access::Write));
            TRY(f.lock(LockKind::Exclusive));
            return f;
        }
        case fsRdWrPerm: {
            File f = TRY(File::open(path, Access::ReadWrite));
            TRY(f.lock(LockKind::Exclusive));
            return f;
        }
        case fsRdWrShPerm: {
            File f = TRY(File::open(path, Access::ReadWrite));
            TRY(f.lock(LockKind::Shared));
            return f;
        }
        default: return fail(paramErr, "unknown permission");
    }
}

}  // namespace

Result<SInt16> open_data_fork(const FSSpec& spec, SInt8 permission) {
    auto path = TRY(path_of(spec));
    auto entry = std::make_unique<AccessPath>();
    entry->spec = spec;
    entry->permission = permission;
    if (permission == fsCurPerm) {
        auto rw = open_with(path, fsRdWrPerm);
        OSErr err = rw.code();
        if (rw.ok()) {
            entry->file = std::move(rw).value();
            entry->permission = fsRdWrPerm;
        } else if (err == permErr || err == wrPermErr || err == opWrErr) {
            entry->file = TRY(open_with(path, fsRdPerm));
            entry->permission = fsRdPerm;
        } else {
            return rw.error();
        }
    } else {
        entry->file = TRY(open_with(path, permission));
    }

    auto& t = table();
    std::lock_guard g(t.lock);
    if (t.paths.size() >= kMaxAccessPaths) return fail(tmfoErr, "too many files open");
    // Numbers go round rather than being reused at once, so a stale number
    // is unlikely to reach a file opened since.
    while (t.paths.count(t.next)) t.next = t.next == SHRT_MAX ? 1 : SInt16(t.next + 1);
    SInt16 refNum = t.next;
    t.next = t.next == SHRT_MAX ? 1 : SInt16(t.next + 1);
    t.paths[refNum] = std::move(entry);
    return refNum;
}

File* file_of(SInt16 refNum) {
    AccessPath* p = find(refNum);
    return p ? &p->file : nullptr;
}

Result<SInt8> permission_of(SInt16 refNum) {
    AccessPath* p = find(refNum);
    if (!p) return fail(rfNumErr, "no file open with that reference number");
    return p->permission;
}

Result<FSSpec> spec_of(SInt16 refNum) {
    AccessPath* p = find(refNum);
    if (!p) return fail(rfNumErr, "no file open with that reference number");
    return p->spec;
}

size_t open_access_path_count() {
    auto& t = table();
    std::lock_guard g(t.lock);
    return t.paths.size();
}

}  // namespace platform::files

using platform::files::AccessPath;
using platform::files::find;

OSErr FSpOpenDF(const FSSpec* spec, SInt8 permission, SInt16* refNum) {
    if (!spec || !refNum) return paramErr;
    *refNum = 0;
    auto r = platform::files::open_data_fork(*spec, permission);
    if (!r.ok()) return r.code();
    *refNum = *r;
    return noErr;
}

OSErr FSClose(SInt16 refNum) {
    auto& t = platform::files::table();
    std::unique_ptr<AccessPath> path;
    {
        std::lock_guard g(t.lock);
        auto it = t.paths.find(refNum);
        if (it == t.paths.end()) return rfNumErr;
        path = std::move(it->second);
        t.paths.erase(it);
    }
    return path->file.close().code();
}

OSErr FSRead(SInt16 refNum, SInt32* count, void* buffPtr) {
    if (!count) return paramErr;
    SInt32 wanted = *count;
    *count = 0;
    if (wanted < 0 || (wanted > 0 && !buffPtr)) return paramErr;
    AccessPath* p = find(refNum);
    if (!p) return rfNumErr;
    if (p->permission == fsWrPerm) return permErr;
    auto got = p->file.read_at(buffPtr, size_t(wanted), p->mark);
    if (!got.ok()) return got.code();
    p->mark += *got;
    *count = SInt32(*got);
    return *got < size_t(wanted) ? OSErr(eofErr) : OSErr(noErr);
}

OSErr FSWrite(SInt16 refNum, SInt32* count, const void* buffPtr) {
    if (!count) return paramErr;
    SInt32 wanted = *count;
    *count = 0;
    if (wanted < 0 || (wanted > 0 && !buffPtr)) return paramErr;
    AccessPath* p = find(refNum);
    if (!p) return rfNumErr;
    if (p->permission == fsRdPerm) return wrPermErr;
    size_t written = 0;
    auto r = p->file.write_at(buffPtr, size_t(wanted), p->mark, &written);
    p->mark += written;
    *count = SInt32(written);
    return r.code();
}

OSErr GetFPos(SInt16 refNum, SInt32* filePos) {
    if (!filePos) return paramErr;
    AccessPath* p = find(refNum);
    if (!p) return rfNumErr;
    if (p->mark > UInt64(INT32_MAX)) return posErr;   // beyond what a 32-bit position holds
    *filePos = SInt32(p->mark);
    return noErr;
}

OSErr SetFPos(SInt16 refNum, SInt16 posMode, SInt32 posOff) {
    AccessPath* p = find(refNum);
    if (!p) return rfNumErr;
    auto eof = p->file.size();
    if (!eof.ok()) return eof.code();
    SInt64 base;
    switch (posMode) {
        case fsAtMark: return noErr;
        case fsFromStart: base = 0; break;
        case fsFromLEOF: base = SInt64(*eof); break;
        case fsFromMark: base = SInt64(p->mark); break;
        default: return paramErr;
    }
    SInt64 target = base + posOff;
    if (target < 0) return posErr;
    if (UInt64(target) > *eof) {
        p->mark = *eof;
        return eofErr;
    }
    p->mark = UInt64(target);
    return noErr;
}

OSErr GetEOF(SInt16 refNum, SInt32* logEOF) {
    if (!logEOF) return paramErr;
    AccessPath* p = find(refNum);
    if (!p) return rfNumErr;
    auto size = p->file.size();
    if (!size.ok()) return size.code();
    if (*size > UInt64(INT32_MAX)) return ioErr;   // too long for a 32-bit length
    *logEOF = SInt32(*size);
    return noErr;
}

OSErr SetEOF(SInt16 refNum, SInt32 logEOF) {
    if (logEOF < 0) return paramErr;
    AccessPath* p = find(refNum);
    if (!p) return rfNumErr;
    if (p->permission == fsRdPerm) return wrPermErr;
    auto r = p->file.truncate(UInt64(logEOF));
    if (!r.ok()) return r.code();
    if (p->mark > UInt64(logEOF)) p->mark = UInt64(logEOF);
    return noErr;
}

OSErr FlushFile(SInt16 refNum) {
    AccessPath* p = find(refNum);
    if (!p) return rfNumErr;
    return p->file.sync().code();
}
