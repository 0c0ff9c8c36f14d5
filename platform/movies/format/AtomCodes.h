// AtomCodes.h — every four-character code the movie file layer knows, in
// one list: atom types, handler and media types, data reference types and
// file brands.
#pragma once

#include "platform/core/FourCC.h"

namespace platform::movies {

// Top level
inline constexpr OSType kFtyp = fourcc("ftyp");
inline constexpr OSType kMoov = fourcc("moov");
inline constexpr OSType kMdat = fourcc("mdat");
inline constexpr OSType kFree = fourcc("free");
inline constexpr OSType kSkip = fourcc("skip");
inline constexpr OSType kWide = fourcc("wide");

// Movie and track structure
inline constexpr OSType kMvhd = fourcc("mvhd");
inline constexpr OSType kTrak = fourcc("trak");
inline constexpr OSType kTkhd = fourcc("tkhd");
inline constexpr OSType kEdts = fourcc("edts");
inline constexpr OSType kElst = fourcc("elst");
inline constexpr OSType kTref = fourcc("tref");
inline constexpr OSType kMdia = fourcc("mdia");
inline constexpr OSType kMdhd = fourcc("mdhd");
inline constexpr OSType kHdlr = fourcc("hdlr");
inline constexpr OSType kMinf = fourcc("minf");
inline constexpr OSType kVmhd = fourcc("vmhd");
inline constexpr OSType kSmhd = fourcc("smhd");
inline constexpr OSType kGmhd = fourcc("gmhd");
inline constexpr OSType kGmin = fourcc("gmin");
inline constexpr OSType kDinf = fourcc("dinf");
inline constexpr OSType kDref = fourcc("dref");
inline constexpr OSType kUdta = fourcc("udta");

// Sample table
inline constexpr OSType kStbl = fourcc("stbl");
inline constexpr OSType kStsd = fourcc("stsd");
inline constexpr OSType kStts = fourcc("stts");
inline constexpr OSType kStss = fourcc("stss");
inline constexpr OSType kStsc = fourcc("stsc");
inline constexpr OSType kStsz = fourcc("stsz");
inline constexpr OSType kStco = fourcc("stco");
inline constexpr OSType kCo64 = fourcc("co64");
inline constexpr OSType kCtts = fourcc("ctts");
inline constexpr OSType kCslg = fourcc("cslg");
// Sample table atoms with an entry per sample (or per run of samples) that
// this layer keeps as read; they no longer fit once the samples change.
inline constexpr OSType kSdtp = fourcc("sdtp");
inline constexpr OSType kStps = fourcc("stps");
inline constexpr OSType kSbgp = fourcc("sbgp");
inline constexpr OSType kSgpd = fourcc("sgpd");
inline constexpr OSType kSubs = fourcc("subs");
inline constexpr OSType kSaiz = fourcc("saiz");
inline constexpr OSType kSaio = fourcc("saio");
inline constexpr OSType kSenc = fourcc("senc");
inline constexpr OSType kPadb = fourcc("padb");
inline constexpr OSType kStdp = fourcc("stdp");
inline constexpr OSType kStsh = fourcc("stsh");

// Containers the atom tree walker descends into besides the ones above
inline constexpr OSType kMvex = fourcc("mvex");
inline constexpr OSType kMoof = fourcc("moof");
inline constexpr OSType kTraf = fourcc("traf");
inline constexpr OSType kClip = fourcc("clip");
inline constexpr OSType kMatt = fourcc("matt");

// Fragments (Fragments.h)
inline constexpr OSType kMehd = fourcc("mehd");
inline constexpr OSType kTrex = fourcc("trex");
inline constexpr OSType kMfhd = fourcc("mfhd");
inline constexpr OSType kTfhd = fourcc("tfhd");
inline constexpr OSType kTfdt = fourcc("tfdt");
inline constexpr OSType kTrun = fourcc("trun");
inline constexpr OSType kMfra = fourcc("mfra");
inline constexpr OSType kSidx = fourcc("sidx");
inline constexpr OSType kUuid = fourcc("uuid");

// Data references
inline constexpr OSType kAlis = fourcc("alis");
inline constexpr OSType kUrl  = fourcc("url ");
inline constexpr OSType kRsrc = fourcc("rsrc");

// Handler component types and media types
inline constexpr OSType kMhlr = fourcc("mhlr");
inline constexpr OSType kDhlr = fourcc("dhlr");
inline constexpr OSType kVide = fourcc("vide");
inline constexpr OSType kSoun = fourcc("soun");

// Brands
inline constexpr OSType kBrandQT = fourcc("qt  ");
inline constexpr UInt32 kBrandQTMinorVersion = 0x20050300;

// Sound formats stored with version-0 sound descriptions
inline constexpr OSType kSoundRaw  = fourcc("raw ");   // 8-bit offset binary
inline constexpr OSType kSoundTwos = fourcc("twos");   // signed, big-endian
inline constexpr OSType kSoundSowt = fourcc("sowt");   // signed, little-endian
inline constexpr OSType kSoundMAC3 = fourcc("MAC3");
inline constexpr OSType kSoundMAC6 = fourcc("MAC6");

}  // namespace platform::movies
