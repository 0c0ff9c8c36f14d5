// The export's samples on disk (SampleSpool.h). Small samples (sound
// packets, most frames) are gathered into writes of about 1 MiB.
#include "platform/export/SampleSpool.h"

#include <cstdint>

namespace platform::exporting {

namespace {

constexpr size_t kBufferBytes = size_t(1) << 20;

}  // namespace

Result<std::unique_ptr<SampleSpool>> SampleSpool::create(const std::filesystem::path& destination) {
    files::File f = TRY(files::File::create_temp(destination.parent_path(), destination.filename().string()));
    return std::unique_ptr<SampleSpool>(new SampleSpool(std::move(f)));
}

SampleSpool::~SampleSpool() {
    if (!file_.is_open()) return;
    const std::filesystem::path path = file_.path();
    (void)file_.close();
    (void)files::unlink_path(path);
}

Result<void> SampleSpool::add(std::span<const UInt8> data, SInt64 dts, SInt64 pts, bool key,
                              std::vector<SpooledUnit>& out) {
    if (data.size() > UINT32_MAX) return fail(paramErr, "a sample too large to store");
    out.push_back(SpooledUnit{written_ + buffer_.size(), UInt32(data.size()), dts, pts, key});
    if (buffer_.size() + data.size() > kBufferBytes) TRY(flush());
    if (data.size() >= kBufferBytes) {
        TRY(file_.write_at(data.data(), data.size(), written_));
        written_ += data.size();
        return ok();
    }
    buffer_.insert(buffer_.end(), data.begin(), data.end());
    return ok();
}

Result<void> SampleSpool::take(std::vector<EncodedUnit>& units, std::vector<SpooledUnit>& out) {
    for (const EncodedUnit& u : units) TRY(add(u.data, u.dts, u.pts, u.key, out));
    units.clear();
    return ok();
}

Result<void> SampleSpool::flush() {
    if (buffer_.empty()) return ok();
    TRY(file_.write_at(buffer_.data(), buffer_.size(), written_));
    written_ += buffer_.size();
    buffer_.clear();
    return ok();
}

}  // namespace platform::exporting
