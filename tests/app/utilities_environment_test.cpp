// The connection speed kept in the preferences: written big-endian in one
// 'cspd' atom of ID 1, and read back as the default when the stored
// preference is not usable.
#include <cstdlib>

#include "UtilitiesTestSupport.h"

using namespace utltest;

namespace {

class EnvironmentTest : public UtilitiesTest {
protected:
    void SetUp() override {
        UtilitiesTest::SetUp();
        if (const char* old = getenv("XDG_CONFIG_HOME")) savedConfig = old;
        setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
    }
    void TearDown() override {
        savedConfig.empty() ? unsetenv("XDG_CONFIG_HOME") : setenv("XDG_CONFIG_HOME", savedConfig.c_str(), 1);
        UtilitiesTest::TearDown();
    }

    // Stores a 'cspd' preference holding one atom of that type.
    static void store_speed_atom(QTAtomID id, const std::vector<UInt8>& data) {
        QTAtomContainer c = nullptr;
        ASSERT_EQ(QTNewAtomContainer(&c), noErr);
        ASSERT_EQ(QTInsertChild(c, kParentAtomIsContainer, ConnectionSpeedPrefsType, id, 0, SInt32(data.size()),
                                const_cast<UInt8*>(data.data()), nullptr),
                  noErr);
        ASSERT_EQ(SetQuickTimePreference(ConnectionSpeedPrefsType, c), noErr);
        QTDisposeAtomContainer(c);
    }

    std::string savedConfig;
};

}  // namespace

TEST_F(EnvironmentTest, TheConnectionSpeedRoundTripsAndUnusablePreferencesReadAsTheDefault) {
    for (SInt32 speed : {0x7FFFFFFF, -5, 112000}) {
        ASSERT_EQ(QTUtils_SetUsersConnectionSpeed(speed), noErr);
        EXPECT_EQ(QTUtils_GetUsersConnectionSpeed(), speed);
    }
    const struct {
        const char* name;
        QTAtomID id;
        std::vector<UInt8> data;
        SInt32 speed;
    } cases[] = {
        {"an atom of 8 bytes", 1, {0, 0, 0x15, 0xE0, 0, 0, 0, 0}, 2800},
        {"an atom of 2 bytes", 1, {0x15, 0xE0}, 2800},
        {"the atom under another ID", 2, {0, 0, 0x15, 0xE0}, 2800},
        {"a good atom, big-endian", 1, {0, 0, 0x15, 0xE0}, 5600},
    };
    for (const auto& c : cases) {
        store_speed_atom(c.id, c.data);
        EXPECT_EQ(QTUtils_GetUsersConnectionSpeed(), c.speed) << c.name;
    }
    // A preference file that is not an atom container cannot be read.
    tbtest::write_bytes(dir / "kinora/cspd.prefs", {1, 2, 3});
    EXPECT_EQ(QTUtils_GetUsersConnectionSpeed(), 0);
}
