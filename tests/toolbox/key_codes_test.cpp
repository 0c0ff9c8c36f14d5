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
    EXPECT_EQ(std::tuple(keys::key_for_character(' ')->key_code, keys::key_for_character('\r')->key_code), std::tuple(keys::kSpace, keys::kReturn));
    EXPECT_EQ(std::tuple(keys::key_for_character(0x80).has_value(), keys::key_for_character(0x01).has_value()), std::tuple(false, false));
}

TEST(ScriptWorld, ItemTextsMatchWithoutTheirEllipsisOrCurlyApostrophe) {
    using platform::script::item_text_matches;
    const std::tuple<const char*, const char*, bool> cases[] = {{"Open\xE2\x80\xA6", "Open...", true}, {"Open...", "Open", true},
        {"Don\xE2\x80\x99t Save", "Don't Save", true}, {"Open Recent", "Open", false}, {"save", "Save", false}};
    for (auto [item, text, match] : cases) EXPECT_EQ(item_text_matches(item, text), match) << item << " / " << text;
}
