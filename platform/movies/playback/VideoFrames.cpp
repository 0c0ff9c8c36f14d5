#include "platform/movies/playback/VideoFrames.h"

#include <algorithm>

#include "platform/Memory.h"
#include "platform/codecs/Codec.h"
#include "platform/codecs/libav/VideoCodecs.h"
#include "platform/core/FourCC.h"
#include "platform/movies/objects/MediaData.h"
#include "platform/movies/objects/MovieBox.h"
#include "platform/movies/format/SampleDescriptions.h"
#include "platform/movies/playback/SessionFrames.h"
#include "platform/quickdraw/Port.h"
#include "platform/quickdraw/Screen.h"

namespace platform::movies::playback {

namespace {

// The colours of an indexed description (its stored table, else the
// standard one of its depth) as 0xAARRGGBB, for decoders that take them.
std::vector<UInt32> palette_of(const VideoDescription& v) {
    std::vector<UInt32> out;
    auto add = [&](UInt16 r, UInt16 g, UInt16 b) {
        out.push_back(0xFF000000u | UInt32(r >> 8) << 16 | UInt32(g >> 8) << 8 | UInt32(b >> 8));
    };
    if (v.has_stored_color_table()) {
        if (auto entries = v.color_table(); entries.ok())
            for (const ColorEntry& e : *entries) add(e.red, e.green, e.blue);
        return out;
    }
    const int bits = codecs::decoded_depth(v.depth);
    if (bits < 1 || bits > 8) return out;
    if (CTabHandle t = GetCTable(v.depth)) {
        for (int i = 0; i <= (**t).ctSize; ++i) add((**t).ctTable[i].rgb.red, (**t).ctTable[i].rgb.green, (**t).ctTable[i].rgb.blue);
        DisposeCTable(t);
    }
    return out;
}

// A colour table handle from a description's stored table.
CTabHandle stored_table(const std::vector<ColorEntry>& entries) {
    const Size bytes = Size(8 + entries.size() * sizeof(ColorSpec));
    auto h = reinterpret_cast<CTabHandle>(NewHandleClear(bytes));
    if (!h) return nullptr;
    (**h).ctSize = SInt16(entries.size() - 1);
    for (size_t i = 0; i < entries.size(); ++i) {
        ColorSpec& c = (**h).ctTable[i];
        c.value = SInt16(entries[i].value);
        c.rgb = RGBColor{entries[i].red, entries[i].green, entries[i].blue};
    }
    return h;
}

// Keeps the current port and world and the port's colours while drawing elsewhere.
class SavedDrawing {
public:
    SavedDrawing() {
        GetGWorld(&port_, &device_);
        GetForeColor(&fore_);
        GetBackColor(&back_);
    }
    ~SavedDrawing() {
        RGBForeColor(&fore_);
        RGBBackColor(&back_);
        SetGWorld(port_, device_);
    }

private:
    CGrafPtr port_ = nullptr;
    GDHandle device_ = nullptr;
    RGBColor fore_{}, back_{};
};

// A 32-bit world of `w` x `h` in `*world`, made again when its size is another.
bool sized_world(GWorldPtr* world, SInt16 w, SInt16 h) {
    if (*world) {
        const Rect& b = (**GetGWorldPixMap(*world)).bounds;
        if (b.right - b.left == w && b.bottom - b.top == h) return true;
        DisposeGWorld(*world);
        *world = nullptr;
    }
    const Rect bounds{0, 0, h, w};
    if (NewGWorld(world, 32, &bounds, nullptr, nullptr, 0) == noErr) return true;
    *world = nullptr;
    return false;
}

}  // namespace

std::string codec_placeholder_text(OSType codec) {
    return "'" + fourcc_string(codec) + "' video is not decoded";
}

VideoFrames::VideoFrames(UInt32 track_id) : track_id_(track_id) {}

VideoFrames::~VideoFrames() {
    for (GWorldPtr w : {world_, upright_, turned_})
        if (w) DisposeGWorld(w);
}

void VideoFrames::reset() {
    sample_ = 0;
    // The samples may be others now: the session starts again with them.
    if (session_) description_ = 0;
}

// The picture's size from its description, the whole of it shown; false
// (and the card saying why) for a size no picture can have.
bool VideoFrames::take_picture_size(const VideoDescription& v) {
    if (v.width <= 0 || v.height <= 0) {
        show_placeholder("damaged image description");
        return false;
    }
    width_ = v.width;
    height_ = v.height;
    source_ = Rect{0, 0, height_, width_};
    return true;
}

// Only the description's clean aperture is shown, when it has one.
void VideoFrames::crop_to_clean_aperture(const VideoDescription& v) {
    if (auto a = v.clean_aperture())
        source_ = Rect{SInt16(a->top), SInt16(a->left), SInt16(a->top + a->height), SInt16(a->left + a->width)};
}

// A session and its 32-bit world for a codec with state.
bool VideoFrames::prepare_session(const VideoDescription& v) {
    if (auto missing = codecs::libav::missing_decoder(v.codec)) {
        show_placeholder(*missing);
        return false;
    }
    if (!take_picture_size(v)) return false;
    auto setup = codecs::libav::StreamSetup::from(v);
    setup.palette = palette_of(v);
    auto session = SessionFrames::open(setup, description_);
    if (!session.ok()) {
        show_placeholder("'" + fourcc_string(v.codec) + "' video: the decoder refuses its description");
        return false;
    }
    session_ = std::move(*session);
    shown_good_ = false;
    stale_ = false;
    crop_to_clean_aperture(v);
    return true;
}

bool VideoFrames::go_to_session_sample(MediaObject& media, UInt32 n) {
    if (sample_ == n && placeholder_.empty()) return false;
    const auto outcome = session_->go_to(media, n);
    decoded_ = session_->decoded();
    sample_ = n;
    if (outcome == SessionFrames::Outcome::Shown) {
        shown_good_ = true;
        stale_ = true;
        placeholder_.clear();
        return true;
    }
    // A damaged frame: the last good picture stays, when there is one.
    if (!shown_good_) {
        show_placeholder("damaged video frame");
        description_ = media.data().samples.sample(n).value().description;
        return true;
    }
    return false;
}

// Makes the world for frames of one description; false when they cannot be
// decoded (the world then shows why).
bool VideoFrames::prepare(MediaObject& media, UInt32 description) {
    if (description == description_ && (world_ || session_)) return unusable_.empty();
    description_ = description;
    sample_ = 0;
    unusable_.clear();
    session_.reset();
    if (world_) DisposeGWorld(world_);
    world_ = nullptr;

    const Media& m = media.data();
    const Track& track = media.track->data();
    const auto [shown_width, shown_height] = shown_dimensions(track);
    width_ = SInt16(std::clamp<SInt32>((shown_width + 0x8000) >> 16, 1, 4096));
    height_ = SInt16(std::clamp<SInt32>((shown_height + 0x8000) >> 16, 1, 4096));
    if (description == 0 || description > m.descriptions.entries.size()) {
        show_placeholder("damaged sample description");
        return false;
    }
    auto parsed = VideoDescription::parse(m.descriptions.entries[description - 1].bytes);
    if (!parsed.ok()) {
        show_placeholder("damaged image description");
        return false;
    }
    const VideoDescription& v = *parsed;
    source_ = Rect{0, 0, height_, width_};
    if (!codecs::find_codec(v.codec) && codecs::libav::is_libav_video(v.codec)) {
        return prepare_session(v);
    }
    const codecs::Codec* codec = codecs::find_codec(v.codec);
    const int depth = codecs::decoded_depth(v.depth);
    if (!codec) {
        show_placeholder(codec_placeholder_text(v.codec));
        return false;
    }
    if (depth == 0 || !codec->supports_depth(depth)) {
        show_placeholder("'" + fourcc_string(v.codec) + "' video of depth " + std::to_string(v.depth) + " is not decoded");
        return false;
    }
    if (!take_picture_size(v)) return false;
    crop_to_clean_aperture(v);

    CTabHandle table = nullptr;
    if (v.has_stored_color_table()) {
        auto entries = v.color_table();
        if (!entries.ok()) {
            show_placeholder("damaged colour table");
            return false;
        }
        table = stored_table(*entries);
    } else if (v.depth >= 33) {
        table = GetCTable(v.depth);
    }
    const Rect bounds{0, 0, height_, width_};
    OSErr err = NewGWorld(&world_, SInt16(depth == 24 ? 32 : depth), &bounds, table, nullptr, 0);
    if (table) DisposeCTable(table);
    if (err != noErr) {
        world_ = nullptr;
        show_placeholder("no memory for the frame");
        return false;
    }
    return true;
}

bool VideoFrames::decode(MediaObject& media, UInt32 n) {
    const Media& m = media.data();
    auto info = m.samples.sample(n);
    if (!info.ok()) return false;
    const SampleDescription& d = m.descriptions.entries[info->description - 1];
    data_.resize(info->size);
    if (!read_media_data(media, d.data_ref_index(), info->offset, data_.data(), data_.size()).ok()) return false;
    auto v = VideoDescription::parse(d.bytes);
    if (!v.ok()) return false;
    ImageDescription desc{};
    desc.cType = v->codec;
    desc.width = v->width;
    desc.height = v->height;
    desc.depth = v->depth;
    desc.clutID = v->clut_id;
    desc.dataSize = SInt32(info->size);
    PixMapHandle pm = GetGWorldPixMap(world_);
    LockPixels(pm);
    codecs::PixelView view{reinterpret_cast<UInt8*>((**pm).baseAddr), (**pm).rowBytes, width_, height_,
                           (**pm).pixelSize};
    auto decoded = codecs::decode_image(desc, data_, view);
    UnlockPixels(pm);
    ++decoded_;
    return decoded.ok();
}

bool VideoFrames::go_to_sample(MediaObject& media, UInt32 n) {
    const SampleTable& table = media.data().samples;
    if (n == 0 || n > table.sample_count()) return false;
    auto target = table.sample(n);
    if (!target.ok()) return false;
    if (!prepare(media, target->description)) {
        const bool changed = sample_ != n;
        sample_ = n;
        return changed;
    }
    if (session_) return go_to_session_sample(media, n);
    if (sample_ == n && placeholder_.empty()) return false;

    UInt32 from = std::max<UInt32>(table.sync_sample(n, false), 1);
    if (sample_ != 0 && placeholder_.empty() && sample_ < n && sample_ >= from) from = sample_ + 1;
    for (UInt32 s = from; s <= n; ++s) {
        auto info = table.sample(s);
        if (!info.ok() || !prepare(media, info->description) || !decode(media, s)) {
            // A frame that cannot be read or decoded: nothing of it is shown.
            if (world_ && unusable_.empty()) show_placeholder("damaged video frame");
            sample_ = n;
            return true;
        }
    }
    placeholder_.clear();
    sample_ = n;
    return true;
}

void VideoFrames::show_placeholder(const std::string& why) {
    placeholder_ = why;
    if (unusable_.empty() && why != "damaged video frame") unusable_ = why;
    const Rect bounds{0, 0, height_, width_};
    if (world_ && GetPixDepth(GetGWorldPixMap(world_)) != 32) {
        DisposeGWorld(world_);
        world_ = nullptr;
    }
    if (!world_ && NewGWorld(&world_, 32, &bounds, nullptr, nullptr, 0) != noErr) {
        world_ = nullptr;
        return;
    }
    // A damaged frame of a usable description: the next frame decodes into a
    // fresh world again.
    if (unusable_.empty()) description_ = 0;
    SavedDrawing saved;
    SetGWorld(world_, nullptr);
    const RGBColor grey{0x9999, 0x9999, 0x9999}, dark{0x5555, 0x5555, 0x5555};
    RGBForeColor(&grey);
    PaintRect(&bounds);
    RGBForeColor(&dark);
    FrameRect(&bounds);
    TextSize(SInt16(std::clamp(height_ / 8, 9, 14)));
    FontInfo fi;
    GetFontInfo(&fi);
    const SInt16 w = TextWidth(why.data(), 0, SInt16(why.size()));
    MoveTo(SInt16(std::max(4, (width_ - w) / 2)), SInt16((height_ + fi.ascent - fi.descent) / 2));
    DrawText(why.data(), 0, SInt16(why.size()));
}

// The session's frame converted straight into the port's pixels: when they
// are 32 bits, the frame is shown whole and unscaled, and nothing clips it.
bool VideoFrames::draw_direct(CGrafPtr port, const Rect& dst) {
    quickdraw::GrafPort* p = quickdraw::port_from(port);
    if (!p || p->depth() != 32 || dst.right - dst.left != width_ || dst.bottom - dst.top != height_) return false;
    if (source_.left != 0 || source_.top != 0 || source_.right != width_ || source_.bottom != height_) return false;
    if (!p->effective_clip().contains_rect(dst)) return false;
    const PixMap& pm = p->pixmap();
    if (!pm.baseAddr) return false;
    const Rect at{SInt16(dst.top - pm.bounds.top), SInt16(dst.left - pm.bounds.left), SInt16(dst.bottom - pm.bounds.top),
                  SInt16(dst.right - pm.bounds.left)};
    auto* base = reinterpret_cast<UInt8*>(pm.baseAddr) + size_t(at.top) * size_t(pm.rowBytes) + size_t(at.left) * 4;
    if (!session_->draw(codecs::PixelView{base, pm.rowBytes, width_, height_, 32}).ok()) return false;
    quickdraw::note_drawn(pm.baseAddr, at);
    return true;
}

// Converts the session's frame into the buffer, made when first needed.
bool VideoFrames::fill_world() {
    const Rect bounds{0, 0, height_, width_};
    if (!world_ && NewGWorld(&world_, 32, &bounds, nullptr, nullptr, 0) != noErr) {
        world_ = nullptr;
        return false;
    }
    PixMapHandle pm = GetGWorldPixMap(world_);
    LockPixels(pm);
    const bool done =
        session_->draw(codecs::PixelView{reinterpret_cast<UInt8*>((**pm).baseAddr), (**pm).rowBytes, width_, height_, 32}).ok();
    UnlockPixels(pm);
    stale_ = !done;
    return done;
}

// The `src` part of the buffer (its pixels locked) turned: made 32 bits
// deep first when the buffer is not, then each pixel moved to its turned
// place. Null when there is no memory for it.
GWorldPtr VideoFrames::turned(const Rect& src, QuarterTurn turn) {
    const SInt16 w = SInt16(src.right - src.left), h = SInt16(src.bottom - src.top);
    GWorldPtr from = world_;
    PixMapHandle pm = GetGWorldPixMap(world_);
    const Rect whole{0, 0, height_, width_};
    if ((**pm).pixelSize != 32 || !EqualRect(&src, &whole)) {
        if (!sized_world(&upright_, w, h)) return nullptr;
        const Rect all{0, 0, h, w};
        CopyBits(reinterpret_cast<const BitMap*>(*pm), reinterpret_cast<const BitMap*>(*GetGWorldPixMap(upright_)), &src, &all,
                 srcCopy, nullptr);
        from = upright_;
    }
    if (!sized_world(&turned_, turn.swaps_axes() ? h : w, turn.swaps_axes() ? w : h)) return nullptr;
    const PixMap& in = **GetGWorldPixMap(from);
    const PixMap& out = **GetGWorldPixMap(turned_);
    // x' = a x + c y, y' = b x + d y, a negative sign counting from the far side
    auto to = [](SInt8 sign, int v, int size) { return sign > 0 ? v : sign < 0 ? size - 1 - v : 0; };
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const UInt32*>(reinterpret_cast<const UInt8*>(in.baseAddr) + size_t(y) * size_t(in.rowBytes));
        for (int x = 0; x < w; ++x) {
            const int tx = to(turn.a, x, w) + to(turn.c, y, h), ty = to(turn.b, x, w) + to(turn.d, y, h);
            *reinterpret_cast<UInt32*>(reinterpret_cast<UInt8*>(out.baseAddr) + size_t(ty) * size_t(out.rowBytes) + size_t(tx) * 4) = row[x];
        }
    }
    return turned_;
}

void VideoFrames::draw(CGrafPtr port, const Rect& dst, QuarterTurn turn) {
    if (!port) return;
    if (session_ && shown_good_ && placeholder_.empty()) {
        // A decoded frame goes straight to the port when it can; the buffer
        // holds it only for ports it cannot (scaled, clipped, other depths,
        // turned).
        if (turn.upright() && draw_direct(port, dst)) return;
        if (stale_ && !fill_world()) show_placeholder(world_ ? "damaged video frame" : "no memory for the frame");
    }
    if (!world_) return;
    SavedDrawing saved;
    SetGWorld(port, nullptr);
    ForeColor(blackColor);
    BackColor(whiteColor);
    PixMapHandle pm = GetGWorldPixMap(world_);
    LockPixels(pm);
    const Rect whole{0, 0, height_, width_};
    const Rect& src = placeholder_.empty() && source_.right > source_.left ? source_ : whole;
    if (GWorldPtr t = turn.upright() ? nullptr : turned(src, turn)) {
        PixMapHandle tp = GetGWorldPixMap(t);
        CopyBits(reinterpret_cast<const BitMap*>(*tp), GetPortBitMapForCopyBits(port), &(**tp).bounds, &dst, srcCopy, nullptr);
    } else {
        CopyBits(reinterpret_cast<const BitMap*>(*pm), GetPortBitMapForCopyBits(port), &src, &dst, srcCopy, nullptr);
    }
    UnlockPixels(pm);
}

}  // namespace platform::movies::playback
