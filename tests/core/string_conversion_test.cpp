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
        EXPECT_EQ(std::string(reinterpret_cast<char*>(p + 1), p[0]), in.substr(0, 255));
        std::free(p);   // also checked by ASan: the block is exactly length + 1 bytes
    }
}

TEST(PascalToC, CopiesEveryCharacterAndTerminates) {
    unsigned char withZero[] = {5, 'a', 'b', 0, 'c', 'd'};
    char* z = QTUtils_ConvertPascalToCString(withZero);
    EXPECT_EQ(std::memcmp(z, "ab\0cd\0", 6), 0);
    std::free(z);
    unsigned char full[256] = {255};
    std::memset(full + 1, 'q', 255);
    char* f = QTUtils_ConvertPascalToCString(full);
    EXPECT_EQ(std::strlen(f), 255u);
    std::free(f);
}

TEST(FloatToBigEndian, OneIsStoredAs3F800000) {
    float one = 1.0f;
    QTUtils_ConvertFloatToBigEndian(&one);
    EXPECT_EQ(std::memcmp(&one, "\x3F\x80\x00\x00", 4), 0);
}
