// Questions about the machine: the movie toolbox's presence, version and
// features (what our platform really reports, and the thresholds), the
// depth of the screen under a rectangle or a window, and the connection
// speed kept in the preferences.
#include <cstdlib>
#include <filesystem>

#include "UtilitiesTestSupport.h"
#include "platform/components/MovieToolboxGestalt.h"
#include "platform/core/GestaltRegistry.h"

using namespace utltest;
namespace gestalt = platform::gestalt;

namespace {

class EnvironmentTest : public UtilitiesTest {
protected:
    void SetUp() override {
        UtilitiesTest::SetUp();
        const char* old = getenv("XDG_CONFIG_HOME");
        if (old) savedConfig = old;
        hadConfig = old != nullptr;
        setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
    }
    void TearDown() override {
        gestalt::set_failing(gestaltQuickTimeVersion, false);
        gestalt::set_failing(gestaltQuickTimeFeatures, false);
        platform::components::register_movie_toolbox_gestalt();
        if (hadConfig)
            setenv("XDG_CONFIG_HOME", savedConfig.c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
        UtilitiesTest::TearDown();
    }

    // Stores a 'cspd' preference holding one atom of that type.
    static void store_speed_atom(QTAtomID id, const std::vector<UInt8>& data) {
        QTAtomContainer c = nullptr;
        ASSERT_EQ(QTNewAtomContainer(&c), noErr);
        if (!data.empty()) {
            ASSERT_EQ(QTInsertChild(c, kParentAtomIsContainer, ConnectionSpeedPrefsType, id, 0, SInt32(data.size()),
                                    const_cast<UInt8*>(data.data()), nullptr),
                      noErr);
        }
        ASSERT_EQ(SetQuickTimePreference(ConnectionSpeedPrefsType, c), noErr);
        QTDisposeAtomContainer(c);
    }

    std::string savedConfig;
    bool hadConfig = false;
};

}  // namespace

TEST_F(EnvironmentTest, FeatureThresholdsOnTheVersion) {
    const struct {
        UInt32 version;
        bool fullScreen, effects;   // wired sprites go with effects
    } cases[] = {
        {0x00000000, false, false}, {0x02080000, false, false}, {0x0208FFFF, false, false},
        {0x02090000, true, false},  {0x02FF0000, true, false},  {0x03000000, true, true},
        {0x07000000, true, true},   {0xFFFF0000, true, true},   // the version is unsigned
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.version);
        gestalt::set_value(gestaltQuickTimeVersion, SInt32(c.version));
        EXPECT_EQ(QTUtils_GetQTVersion(), SInt32(c.version));
        EXPECT_EQ(QTUtils_HasFullScreenSupport(), c.fullScreen);
        EXPECT_EQ(QTUtils_HasQuickTimeVideoEffects(), c.effects);
        EXPECT_EQ(QTUtils_HasWiredSprites(), c.effects);
    }
}

TEST_F(EnvironmentTest, WithoutTheToolboxEverythingIsFalse) {
    gestalt::set_value(gestaltQuickTimeVersion, 0x07000000);
    gestalt::set_failing(gestaltQuickTimeVersion, true);
    EXPECT_FALSE(QTUtils_IsQuickTimeInstalled());
    EXPECT_EQ(QTUtils_GetQTVersion(), 0);
    EXPECT_FALSE(QTUtils_HasFullScreenSupport());
    EXPECT_FALSE(QTUtils_HasQuickTimeVideoEffects());
    EXPECT_FALSE(QTUtils_HasWiredSprites());

    // The library test needs the feature selector and its bit 0.
    const struct {
        bool failing;
        SInt32 features;
        bool present;
    } cases[] = {{false, 1, true}, {false, 0x7FFFFFFE, false}, {true, 1, false}, {false, 3, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.failing << " " << c.features);
        gestalt::set_value(gestaltQuickTimeFeatures, c.features);
        gestalt::set_failing(gestaltQuickTimeFeatures, c.failing);
        EXPECT_EQ(QTUtils_IsQuickTimeCFMInstalled(), c.present);
    }
}

TEST_F(EnvironmentTest, TheDepthOfTheScreenUnderARectangle) {
    const struct {
        const char* name;
        Rect rect;
        SInt16 type, size;   // -7: left as it was
    } cases[] = {
        {"on the screen", {100, 100, 200, 200}, RGBDirect, 32},
        {"overlapping the edge", {-50, -50, 10, 10}, RGBDirect, 32},
        {"beside the screen", {100, 2000, 200, 2100}, -7, -7},
        {"empty", {100, 100, 100, 100}, -7, -7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rect r = c.rect;
        SInt16 type = -7, size = -7;
        QTUtils_GetMaxScreenDepth(&r, &type, &size);
        EXPECT_EQ(type, c.type);
        EXPECT_EQ(size, c.size);
    }
}

TEST_F(EnvironmentTest, TheDepthOfTheScreenUnderAWindow) {
    SInt16 type = -7, size = -7;
    QTUtils_GetMaxWindowDepth(nullptr, &type, &size);
    EXPECT_EQ(type, 1);
    EXPECT_EQ(size, 0);

    Rect bounds = {100, 100, 200, 300};
    WindowRef shown = NewCWindow(nullptr, &bounds, PString("Shown").bytes, true, noGrowDocProc, (WindowRef)-1, true, 0);
    WindowRef away = NewCWindow(nullptr, &bounds, PString("Away").bytes, true, noGrowDocProc, (WindowRef)-1, true, 0);
    MoveWindow(away, 3000, 3000, false);   // off every screen

    const struct {
        const char* name;
        WindowRef window, current;   // the window asked about, the current port's window
        SInt16 type, size;
    } cases[] = {
        {"on the screen", shown, shown, RGBDirect, 32},
        {"off the screen", away, away, 1, 0},
        // The answer is about the window asked about, whichever port is current.
        {"off the screen, another port current", away, shown, 1, 0},
        {"on the screen, another port current", shown, away, RGBDirect, 32},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetPort((GrafPtr)GetWindowPort(c.current));
        QTUtils_GetMaxWindowDepth(c.window, &type, &size);
        EXPECT_EQ(type, c.type);
        EXPECT_EQ(size, c.size);
        GrafPtr port = nullptr;
        GetPort(&port);
        EXPECT_EQ(port, (GrafPtr)GetWindowPort(c.current)) << "the current port is kept";
    }
    DisposeWindow(away);
    DisposeWindow(shown);
}

TEST_F(EnvironmentTest, TheConnectionSpeedRoundTripsThroughThePreferences) {
    EXPECT_EQ(QTUtils_GetUsersConnectionSpeed(), 0) << "no preference yet";
    for (SInt32 speed : {2800, 5600, 0, 1, 0x7FFFFFFF, -5, 112000}) {
        SCOPED_TRACE(speed);
        ASSERT_EQ(QTUtils_SetUsersConnectionSpeed(speed), noErr);
        EXPECT_EQ(QTUtils_GetUsersConnectionSpeed(), speed);
    }
    // Stored as one 'cspd' atom of ID 1 holding the speed big-endian.
    ASSERT_EQ(QTUtils_SetUsersConnectionSpeed(0x00015F90), noErr);
    QTAtomContainer c = nullptr;
    ASSERT_EQ(GetQuickTimePreference(ConnectionSpeedPrefsType, &c), noErr);
    EXPECT_EQ(QTCountChildrenOfType(c, kParentAtomIsContainer, ConnectionSpeedPrefsType), 1);
    QTAtom atom = QTFindChildByID(c, kParentAtomIsContainer, ConnectionSpeedPrefsType, 1, nullptr);
    ASSERT_NE(atom, 0);
    SInt32 n = 0;
    Ptr data = nullptr;
    ASSERT_EQ(QTGetAtomDataPtr(c, atom, &n, &data), noErr);
    ASSERT_EQ(n, 4);
    EXPECT_EQ(tbtest::Bytes(data, data + 4), (tbtest::Bytes{0x00, 0x01, 0x5F, 0x90}));
    QTDisposeAtomContainer(c);
}

TEST_F(EnvironmentTest, UnusableSpeedPreferencesReadAsTheDefault) {
    const struct {
        const char* name;
        QTAtomID id;
        std::vector<UInt8> data;   // empty: no atom at all
        SInt32 speed;
    } cases[] = {
        {"an atom of 8 bytes", 1, {0, 0, 0x15, 0xE0, 0, 0, 0, 0}, 2800},
        {"an atom of 2 bytes", 1, {0x15, 0xE0}, 2800},
        {"no atom", 1, {}, 2800},
        {"the atom under another ID", 2, {0, 0, 0x15, 0xE0}, 2800},
        {"a good atom", 1, {0, 0, 0x15, 0xE0}, 5600},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        store_speed_atom(c.id, c.data);
        EXPECT_EQ(QTUtils_GetUsersConnectionSpeed(), c.speed);
    }
    // A preference file that is not an atom container cannot be read.
    tbtest::write_bytes(dir / "kinora/cspd.prefs", {1, 2, 3});
    EXPECT_EQ(QTUtils_GetUsersConnectionSpeed(), 0);
}
