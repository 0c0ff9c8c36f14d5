// Sound sources, format sniffing and opening sound files.
#include <cstring>

#include "platform/files/Catalog.h"
#include "platform/files/FileIO.h"
#include "platform/importers/SoundFileImport.h"

namespace platform::importers {
namespace {

class FileSoundSource final : public SoundSource {
public:
    FileSoundSource(files::File file, UInt64 size) : file_(std::move(file)), size_(size) {}
    UInt64 size() const override { return size_; }
    Result<void> read(void* to, size_t n, UInt64 offset) const override {
        if (offset > size_ || n > size_ - offset) return fail(badFileFormat, "sound file ends early");
        size_t got = TRY(file_.read_at(to, n, offset));
        if (got != n) return fail(badFileFormat, "sound file ends early");
        return ok();
    }

private:
    files::File file_;
    UInt64 size_;
};

}  // namespace

Result<void> MemorySoundSource::read(void* to, size_t n, UInt64 offset) const {
    if (offset > data_.size() || n > data_.size() - offset)
        return fail(badFileFormat, "sound file ends early");
    std::memcpy(to, data_.data() + offset, n);
    return ok();
}

std::optional<SoundFileFormat> sniff_sound(std::span<const UInt8> s) {
    if (s.size() < 12) return std::nullopt;
    if (std::memcmp(s.data(), "RIFF", 4) == 0 && std::memcmp(s.data() + 8, "WAVE", 4) == 0)
        return SoundFileFormat::wave;
    if (std::memcmp(s.data(), "FORM", 4) == 0) {
        if (std::memcmp(s.data() + 8, "AIFF", 4) == 0) return SoundFileFormat::aiff;
        if (std::memcmp(s.data() + 8, "AIFC", 4) == 0) return SoundFileFormat::aifc;
    }
    return std::nullopt;
}

Result<SoundFileImport> parse_sound_file(const SoundSource& source) {
    UInt8 start[12];
    if (source.size() < sizeof start) return fail(badFileFormat, "not a sound file");
    TRY(source.read(start, sizeof start, 0));
    auto format = sniff_sound(start);
    if (!format) return fail(badFileFormat, "not a sound file");
    return *format == SoundFileFormat::wave ? parse_wav(source) : parse_aiff(source);
}

Result<SoundFileImport> import_sound_file(const std::filesystem::path& path) {
    files::File file = TRY(files::File::open(path, files::Access::Read));
    UInt64 size = TRY(file.size());
    FileSoundSource source(std::move(file), size);
    return parse_sound_file(source);
}

Result<SoundFileImport> import_sound_file(const FSSpec& spec) {
    auto path = TRY(files::path_of(spec));
    return import_sound_file(path);
}

OSType finder_type(SoundFileFormat format) {
    switch (format) {
        case SoundFileFormat::wave: return 'WAVE';
        case SoundFileFormat::aiff: return 'AIFF';
        case SoundFileFormat::aifc: return 'AIFC';
    }
    return 0;
}

}  // namespace platform::importers
