#include "NewMovieReading.h"

#include "platform/Memory.h"
#include "platform/codecs/Codec.h"
#include "platform/quickdraw/StandardColors.h"

namespace newmovie {

std::vector<UInt8> decoded_frame_rgb(Track video, int n, OSErr* err) {
    Media media = GetTrackMedia(video);
    TimeValue time = 0, duration = 0;
    // Frame n starts where n - 1 frames have played.
    for (int i = 1; i < n; ++i) {
        GetMediaSample(media, nullptr, 0, nullptr, time, nullptr, &duration, nullptr, nullptr, 0, nullptr, nullptr);
        time += duration;
    }
    Handle data = NewHandle(0);
    Handle desc = NewHandle(0);
    *err = GetMediaSample(media, data, 0, nullptr, time, nullptr, nullptr, (SampleDescriptionHandle)desc, nullptr, 1, nullptr, nullptr);
    std::vector<UInt8> rgb;
    if (*err == noErr) {
        const ImageDescription& d = **(ImageDescriptionHandle)desc;
        std::vector<UInt8> indexes(size_t(d.width) * size_t(d.height));
        platform::codecs::PixelView view{indexes.data(), d.width, d.width, d.height, 8};
        auto decoded = platform::codecs::decode_image(d, std::span<const UInt8>(reinterpret_cast<const UInt8*>(*data), size_t(GetHandleSize(data))), view);
        if (!decoded.ok()) {
            *err = decoded.code();
        } else {
            auto palette = platform::quickdraw::standard_palette(8);
            for (UInt8 i : indexes) {
                rgb.push_back(palette[i].r), rgb.push_back(palette[i].g), rgb.push_back(palette[i].b);
            }
        }
    }
    DisposeHandle(data);
    DisposeHandle(desc);
    return rgb;
}

}  // namespace newmovie
