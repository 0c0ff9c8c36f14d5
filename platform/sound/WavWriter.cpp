#include "platform/sound/WavWriter.h"

#include <vector>

namespace platform::sound {

namespace {

void put16(std::vector<UInt8>& b, UInt32 v) {
    b.push_back(UInt8(v));
    b.push_back(UInt8(v >> 8));
}

void put32(std::vector<UInt8>& b, UInt32 v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

void tag(std::vector<UInt8>& b, const char* t) { b.insert(b.end(), t, t + 4); }

}  // namespace

WavWriter::~WavWriter() { (void)finish(); }

Result<void> WavWriter::open(const std::string& path, int rate, int channels) {
    (void)finish();
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_) return fail(ioErr, "cannot create the recording");
    channels_ = channels;
    frames_ = 0;
    std::vector<UInt8> h;
    tag(h, "RIFF");
    put32(h, 0);
    tag(h, "WAVE");
    tag(h, "fmt ");
    put32(h, 16);
    put16(h, 1);
    put16(h, UInt32(channels));
    put32(h, UInt32(rate));
    put32(h, UInt32(rate * channels * 2));
    put16(h, UInt32(channels * 2));
    put16(h, 16);
    tag(h, "data");
    put32(h, 0);
    if (std::fwrite(h.data(), 1, h.size(), file_) != h.size()) return fail(ioErr, "cannot write the recording");
    return ok();
}

Result<void> WavWriter::append(const SInt16* samples, size_t frames) {
    if (!file_) return fail(paramErr, "the recording is not open");
    const size_t n = frames * size_t(channels_);
    std::vector<UInt8> b;
    b.reserve(n * 2);
    for (size_t i = 0; i < n; ++i) put16(b, UInt16(samples[i]));
    if (std::fwrite(b.data(), 1, b.size(), file_) != b.size()) return fail(ioErr, "cannot write the recording");
    frames_ += frames;
    return ok();
}

Result<void> WavWriter::finish() {
    if (!file_) return ok();
    // Past 4 GiB the sizes are left at their largest value.
    const UInt64 data = frames_ * UInt64(channels_) * 2;
    const UInt32 data32 = data > 0xFFFFFFFFull - 36 ? 0xFFFFFFFFu - 36 : UInt32(data);
    std::vector<UInt8> riff, size;
    put32(riff, data32 + 36);
    put32(size, data32);
    bool ok_write = std::fseek(file_, 4, SEEK_SET) == 0 && std::fwrite(riff.data(), 1, 4, file_) == 4 &&
                    std::fseek(file_, 40, SEEK_SET) == 0 && std::fwrite(size.data(), 1, 4, file_) == 4;
    ok_write = std::fclose(file_) == 0 && ok_write;
    file_ = nullptr;
    if (!ok_write) return fail(ioErr, "cannot finish the recording");
    return ok();
}

}  // namespace platform::sound
