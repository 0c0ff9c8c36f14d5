// Bytes.h — the one big-endian read/write layer every parser and writer uses.
//
// ByteReader is a bounded view: every read checks what is left and fails
// with the reader's own result code (a short read is an error, never a
// silent 0). sub(n) hands out a view limited to the next n bytes and moves
// past them, so a nested structure can never read beyond its declared size.
//
// ByteWriter appends big-endian values to a growing buffer and can patch a
// value written earlier (sizes computed after the content is written).
#pragma once

#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "platform/Types.h"
#include "platform/core/Result.h"

namespace platform {

// --- Raw loads and stores on memory the caller has already bounds-checked.
inline UInt16 load_u16be(const void* p) {
    const UInt8* b = static_cast<const UInt8*>(p);
    return UInt16((b[0] << 8) | b[1]);
}
inline UInt32 load_u24be(const void* p) {
    const UInt8* b = static_cast<const UInt8*>(p);
    return (UInt32(b[0]) << 16) | (UInt32(b[1]) << 8) | b[2];
}
inline UInt32 load_u32be(const void* p) {
    const UInt8* b = static_cast<const UInt8*>(p);
    return (UInt32(b[0]) << 24) | (UInt32(b[1]) << 16) | (UInt32(b[2]) << 8) | b[3];
}
inline UInt64 load_u64be(const void* p) {
    const UInt8* b = static_cast<const UInt8*>(p);
    return (UInt64(load_u32be(b)) << 32) | load_u32be(b + 4);
}
inline void store_u16be(void* p, UInt16 v) {
    UInt8* b = static_cast<UInt8*>(p);
    b[0] = UInt8(v >> 8);
    b[1] = UInt8(v);
}
inline void store_u24be(void* p, UInt32 v) {
    UInt8* b = static_cast<UInt8*>(p);
    b[0] = UInt8(v >> 16);
    b[1] = UInt8(v >> 8);
    b[2] = UInt8(v);
}
inline void store_u32be(void* p, UInt32 v) {
    UInt8* b = static_cast<UInt8*>(p);
    b[0] = UInt8(v >> 24);
    b[1] = UInt8(v >> 16);
    b[2] = UInt8(v >> 8);
    b[3] = UInt8(v);
}
inline void store_u64be(void* p, UInt64 v) {
    UInt8* b = static_cast<UInt8*>(p);
    store_u32be(b, UInt32(v >> 32));
    store_u32be(b + 4, UInt32(v));
}

class ByteReader {
public:
    ByteReader() = default;
    // shortReadCode: the result code a read past the end fails with.
    explicit ByteReader(std::span<const UInt8> data, OSErr shortReadCode = eofErr)
        : data_(data), code_(shortReadCode) {}
    ByteReader(const void* data, size_t size, OSErr shortReadCode = eofErr)
        : data_(static_cast<const UInt8*>(data), size), code_(shortReadCode) {}

    size_t size() const { return data_.size(); }
    size_t position() const { return pos_; }
    size_t remaining() const { return data_.size() - pos_; }
    bool at_end() const { return pos_ == data_.size(); }
    std::span<const UInt8> data() const { return data_; }
    OSErr short_read_code() const { return code_; }

    Result<UInt8> u8() {
        TRY(need(1));
        return data_[pos_++];
    }
    Result<UInt16> u16() {
        TRY(need(2));
        UInt16 v = load_u16be(&data_[pos_]);
        pos_ += 2;
        return v;
    }
    Result<UInt32> u24() {
        TRY(need(3));
        UInt32 v = load_u24be(&data_[pos_]);
        pos_ += 3;
        return v;
    }
    Result<UInt32> u32() {
        TRY(need(4));
        UInt32 v = load_u32be(&data_[pos_]);
        pos_ += 4;
        return v;
    }
    Result<UInt64> u64() {
        TRY(need(8));
        UInt64 v = load_u64be(&data_[pos_]);
        pos_ += 8;
        return v;
    }
    Result<SInt8> s8() { return SInt8(TRY(u8())); }
    Result<SInt16> s16() { return SInt16(TRY(u16())); }
    Result<SInt32> s32() { return SInt32(TRY(u32())); }
    Result<SInt64> s64() { return SInt64(TRY(u64())); }

    // The next n bytes, in place.
    Result<std::span<const UInt8>> bytes(size_t n) {
        TRY(need(n));
        auto s = data_.subspan(pos_, n);
        pos_ += n;
        return s;
    }
    // A length-prefixed string (length byte, then characters).
    Result<std::string> pstring() {
        UInt8 n = TRY(u8());
        auto s = TRY(bytes(n));
        return std::string(s.begin(), s.end());
    }
    Result<void> skip(size_t n) {
        TRY(need(n));
        pos_ += n;
        return ok();
    }
    Result<void> seek(size_t pos) {
        if (pos > data_.size()) return fail(code_, "seek past the end of the data");
        pos_ = pos;
        return ok();
    }
    // A reader over the next n bytes only; this reader moves past them.
    Result<ByteReader> sub(size_t n) {
        auto s = TRY(bytes(n));
        return ByteReader(s, code_);
    }
    // A reader over [offset, offset + n) of the whole data, position unchanged.
    Result<ByteReader> view(size_t offset, size_t n) const {
        if (offset > data_.size() || n > data_.size() - offset)
            return fail(code_, "range outside the data");
        return ByteReader(data_.subspan(offset, n), code_);
    }

private:
    Result<void> need(size_t n) const {
        if (n > remaining()) return fail(code_, "data ends early");
        return ok();
    }

    std::span<const UInt8> data_;
    size_t pos_ = 0;
    OSErr code_ = eofErr;
};

class ByteWriter {
public:
    ByteWriter() = default;
    explicit ByteWriter(std::vector<UInt8>&& start) : buf_(std::move(start)) {}

    size_t size() const { return buf_.size(); }
    const std::vector<UInt8>& bytes() const { return buf_; }
    std::vector<UInt8> take() { return std::move(buf_); }
    UInt8* data() { return buf_.data(); }

    void u8(UInt8 v) { buf_.push_back(v); }
    void u16(UInt16 v) { grow(2, [&](UInt8* p) { store_u16be(p, v); }); }
    void u24(UInt32 v) { grow(3, [&](UInt8* p) { store_u24be(p, v); }); }
    void u32(UInt32 v) { grow(4, [&](UInt8* p) { store_u32be(p, v); }); }
    void u64(UInt64 v) { grow(8, [&](UInt8* p) { store_u64be(p, v); }); }
    void s8(SInt8 v) { u8(UInt8(v)); }
    void s16(SInt16 v) { u16(UInt16(v)); }
    void s32(SInt32 v) { u32(UInt32(v)); }
    void bytes(const void* p, size_t n) {
        const UInt8* b = static_cast<const UInt8*>(p);
        buf_.insert(buf_.end(), b, b + n);
    }
    void bytes(std::span<const UInt8> s) { buf_.insert(buf_.end(), s.begin(), s.end()); }
    void zeros(size_t n) { buf_.resize(buf_.size() + n, 0); }
    // Length byte, then at most 255 characters.
    void pstring(const std::string& s) {
        size_t n = s.size() > 255 ? 255 : s.size();
        u8(UInt8(n));
        bytes(s.data(), n);
    }
    // Pads with zeros to a multiple of `alignment`.
    void align(size_t alignment) {
        while (buf_.size() % alignment) buf_.push_back(0);
    }

    void patch_u16(size_t at, UInt16 v) { assert(at + 2 <= buf_.size()); store_u16be(&buf_[at], v); }
    void patch_u32(size_t at, UInt32 v) { assert(at + 4 <= buf_.size()); store_u32be(&buf_[at], v); }
    void patch_u64(size_t at, UInt64 v) { assert(at + 8 <= buf_.size()); store_u64be(&buf_[at], v); }

private:
    template <class F>
    void grow(size_t n, F&& store) {
        buf_.resize(buf_.size() + n);
        store(&buf_[buf_.size() - n]);
    }

    std::vector<UInt8> buf_;
};

// Overflow-checked size arithmetic for counts read from outside input.
inline bool mul_overflows(UInt64 a, UInt64 b, UInt64* out) {
    return __builtin_mul_overflow(a, b, out);
}
inline bool add_overflows(UInt64 a, UInt64 b, UInt64* out) {
    return __builtin_add_overflow(a, b, out);
}

}  // namespace platform
