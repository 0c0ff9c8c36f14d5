#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "QTUtilities.h"

TEST(CToPascal, CopiesTheCharactersBehindALengthByte) {
    for (const std::string& c : {std::string(), std::string("MovieFile.mov"), std::string(300, 'b')}) {
        std::string in = c;
        StringPtr p = QTUtils_ConvertCToPascalString(in.data());
        ASSERT_NE(p, nullptr);
        const size_t n = std::min<size_t>(in.size(), 255);
        EXPECT_EQ(p[0], n) << in.size();
        EXPECT_EQ(std::memcmp(p + 1, in.data(), n), 0);
        std::free(p);   // also checked by ASan: the block is exactly length + 1 bytes
    }
}

TEST(PascalToC, CopiesEveryCharacterAndTerminates) {
    unsigned char withZero[] = {5, 'a', 'b', 0, 'c', 'd'};
    char* z = QTUtils_ConvertPascalToCString(withZero);
    EXPECT_EQ(std::memcmp(z, "ab\0cd\0", 6), 0);
    std::free(z);
    unsigned char full[256];
    full[0] = 255;
    std::memset(full + 1, 'q', 255);
    char* f = QTUtils_ConvertPascalToCString(full);
    EXPECT_EQ(std::strlen(f), 255u);
    std::free(f);
}

TEST(FloatToBigEndian, OneIsStoredAs3F800000) {
    float one = 1.0f;
    QTUtils_ConvertFloatToBigEndian(&one);
    unsigned char bytes[4];
    std::memcpy(bytes, &one, 4);
    EXPECT_EQ(std::memcmp(bytes, "\x3F\x80\x00\x00", 4), 0);
}
