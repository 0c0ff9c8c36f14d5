#include <gtest/gtest.h>

#include <set>

#include "platform/events/KeyCodes.h"
#include "platform/hostapi/ScriptWorld.h"

namespace keys = platform::events::keys;

TEST(KeyCodes, EveryPrintableCharacterHasAKeyThatTypesItBack) {
    std::set<std::pair<UInt8, bool>> used;
    for (unsigned c = 0x21; c < 0x7F; ++c) {
        SCOPED_TRACE(char(c));
        auto stroke = keys::key_for_character(UInt8(c));
        ASSERT_TRUE(stroke.has_value());
        UInt8 plain = keys::unshifted_character(stroke->key_code);
        EXPECT_EQ(stroke->shift ? keys::shifted_character(plain) : plain, c);
        EXPECT_TRUE(used.insert({stroke->key_code, stroke->shift}).second) << "two characters on one key";
    }
    EXPECT_EQ(keys::key_for_character(' ')->key_code, keys::kSpace);
    EXPECT_EQ(keys::key_for_character('\r')->key_code, keys::kReturn);
    EXPECT_FALSE(keys::key_for_character(0x80).has_value());
    EXPECT_FALSE(keys::key_for_character(0x01).has_value());
}

TEST(ScriptWorld, ItemTextsMatchWithoutTheirEllipsisOrCurlyApostrophe) {
    using platform::script::item_text_matches;
    EXPECT_TRUE(item_text_matches("Open\xE2\x80\xA6", "Open..."));
    EXPECT_TRUE(item_text_matches("Open...", "Open"));
    EXPECT_TRUE(item_text_matches("Don\xE2\x80\x99t Save", "Don't Save"));
    EXPECT_FALSE(item_text_matches("Open Recent", "Open"));
    EXPECT_FALSE(item_text_matches("save", "Save"));
}
