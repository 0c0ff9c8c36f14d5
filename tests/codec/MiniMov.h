// MiniMov.h — the smallest movie file a reader accepts: one video track of
// equal-length samples, so ffmpeg can decode our frames. Test use only; it
// writes exactly the atoms readers need and nothing else.
#pragma once

#include <vector>

#include "platform/codecs/ImageDescriptionIO.h"
#include "platform/core/Bytes.h"

namespace codectest {

class AtomWriter {
public:
    platform::ByteWriter w;
    void begin(const char (&type)[5]) {
        open_.push_back(w.size());
        w.u32(0);
        w.bytes(type, 4);
    }
    void begin_full(const char (&type)[5], UInt32 versionFlags) {
        begin(type);
        w.u32(versionFlags);
    }
    void end() {
        const size_t at = open_.back();
        open_.pop_back();
        w.patch_u32(at, UInt32(w.size() - at));
    }

private:
    std::vector<size_t> open_;
};

// frames: the samples; keyFrames: 1-based numbers of the sync samples.
inline std::vector<UInt8> mini_mov(const std::vector<std::vector<UInt8>>& frames,
                                   const ImageDescription& desc, const std::vector<UInt32>& keyFrames) {
    const UInt32 n = UInt32(frames.size()), duration = 60 * n;
    const UInt32 identity[9] = {0x10000, 0, 0, 0, 0x10000, 0, 0, 0, 0x40000000};
    AtomWriter a;
    a.begin("ftyp");
    a.w.bytes("qt  ", 4);
    a.w.u32(0x200);
    a.w.bytes("qt  ", 4);
    a.end();
    a.begin("mdat");
    const UInt32 dataStart = UInt32(a.w.size());
    for (const auto& f : frames) a.w.bytes(f);
    a.end();

    a.begin("moov");
    a.begin_full("mvhd", 0);
    a.w.u32(0), a.w.u32(0), a.w.u32(600), a.w.u32(duration), a.w.u32(0x10000), a.w.u16(0x100);
    a.w.zeros(10);
    for (UInt32 m : identity) a.w.u32(m);
    a.w.zeros(24);
    a.w.u32(2);
    a.end();
    a.begin("trak");
    a.begin_full("tkhd", 0xF);
    a.w.u32(0), a.w.u32(0), a.w.u32(1), a.w.u32(0), a.w.u32(duration);
    a.w.zeros(16);
    for (UInt32 m : identity) a.w.u32(m);
    a.w.u32(UInt32(desc.width) << 16), a.w.u32(UInt32(desc.height) << 16);
    a.end();
    a.begin("mdia");
    a.begin_full("mdhd", 0);
    a.w.u32(0), a.w.u32(0), a.w.u32(600), a.w.u32(duration), a.w.u32(0);
    a.end();
    a.begin_full("hdlr", 0);
    a.w.bytes("mhlrvide", 8);
    a.w.zeros(13);
    a.end();
    a.begin("minf");
    a.begin_full("vmhd", 1);
    a.w.u16(0x40), a.w.u16(0x8000), a.w.u16(0x8000), a.w.u16(0x8000);
    a.end();
    a.begin("dinf");
    a.begin_full("dref", 0);
    a.w.u32(1);
    a.begin_full("alis", 1);   // self reference: the data is in this file
    a.end();
    a.end();
    a.end();
    a.begin("stbl");
    a.begin_full("stsd", 0);
    a.w.u32(1);
    ImageDescription d = desc;
    d.idSize = 86;
    d.dataRefIndex = 1;
    platform::codecs::write_image_description(a.w, d);
    a.end();
    a.begin_full("stts", 0);
    a.w.u32(1), a.w.u32(n), a.w.u32(60);
    a.end();
    a.begin_full("stss", 0);
    a.w.u32(UInt32(keyFrames.size()));
    for (UInt32 k : keyFrames) a.w.u32(k);
    a.end();
    a.begin_full("stsc", 0);
    a.w.u32(1), a.w.u32(1), a.w.u32(n), a.w.u32(1);
    a.end();
    a.begin_full("stsz", 0);
    a.w.u32(0), a.w.u32(n);
    for (const auto& f : frames) a.w.u32(UInt32(f.size()));
    a.end();
    a.begin_full("stco", 0);
    a.w.u32(1), a.w.u32(dataStart);
    a.end();
    a.end();   // stbl
    a.end();   // minf
    a.end();   // mdia
    a.end();   // trak
    a.end();   // moov
    return a.w.take();
}

}  // namespace codectest
