#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "QTUtilities.h"

TEST(CToPascal, CopiesTheCharactersBehindALengthByte) {
    struct Case {
        std::string in;
        size_t expectLength;
    } cases[] = {{"", 0}, {"MovieFile.mov", 13}, {std::string(255, 'a'), 255}, {std::string(300, 'b'), 255}};
    for (const auto& c : cases) {
        std::string in = c.in;
        StringPtr p = QTUtils_ConvertCToPascalString(in.data());
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p[0], c.expectLength) << in.size();
        EXPECT_EQ(std::memcmp(p + 1, in.data(), c.expectLength), 0);
        std::free(p);   // also checked by ASan: the block is exactly length + 1 bytes
    }
}

TEST(PascalToC, CopiesEveryCharacterAndTerminates) {
    unsigned char empty[] = {0};
    char* e = QTUtils_ConvertPascalToCString(empty);
    EXPECT_STREQ(e, "");
    std::free(e);

    unsigned char withZero[] = {5, 'a', 'b', 0, 'c', 'd'};
    char* z = QTUtils_ConvertPascalToCString(withZero);
    EXPECT_EQ(std::memcmp(z, "ab\0cd\0", 6), 0);
    EXPECT_STREQ(z, "ab");
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
    EXPECT_EQ(bytes[0], 0x3F);
    EXPECT_EQ(bytes[1], 0x80);
    EXPECT_EQ(bytes[2], 0x00);
    EXPECT_EQ(bytes[3], 0x00);
}
