#include <gtest/gtest.h>

#include <cstring>

#include "platform/hosts/sdl/SdlHost.h"

// The texture format must read the screen's x,R,G,B bytes as they lie in
// memory, whatever the machine's byte order.
TEST(SdlPixelFormat, ReadsXRGBBytesInMemoryOrder) {
    SDL_PixelFormat* f = SDL_AllocFormat(platform::host::kScreenPixelFormat);
    ASSERT_NE(f, nullptr) << SDL_GetError();
    EXPECT_EQ(f->BytesPerPixel, 4);
    Uint32 packed = SDL_MapRGB(f, 0x11, 0x22, 0x33);
    UInt8 bytes[4];
    std::memcpy(bytes, &packed, 4);
    EXPECT_EQ(bytes[1], 0x11);
    EXPECT_EQ(bytes[2], 0x22);
    EXPECT_EQ(bytes[3], 0x33);
    // And back: bytes as the framebuffer writes them give that colour.
    const UInt8 screen[4] = {0x00, 0xAA, 0xBB, 0xCC};
    std::memcpy(&packed, screen, 4);
    Uint8 r, g, b;
    SDL_GetRGB(packed, f, &r, &g, &b);
    EXPECT_EQ(r, 0xAA);
    EXPECT_EQ(g, 0xBB);
    EXPECT_EQ(b, 0xCC);
    SDL_FreeFormat(f);
}
