// The settings file operations against the in-memory profile: sections, keys, defaults,
// clamps, and the Selection text.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "record_checks.h"
#include "core/refresh.h"
#include "fake_profile.h"
#include "settings/profile.h"
#include "junk_numbers.h"
#include "settings/settings.h"

namespace quilvo {
namespace {

using ::test::ExpectFields;

struct Fields {
    char system[4];
    char client[4];
    char user[14];
    char transaction[64];
};

Fields Prefilled() {
    Fields f = {};
    std::strcpy(f.system, "OLD");
    std::strcpy(f.client, "999");
    std::strcpy(f.user, "OLDUSER");
    std::strcpy(f.transaction, "OLDTX");
    return f;
}

Fields Split(const char* text, Fields f = Prefilled()) {
    SplitSelection(text, SelectionFields{f.system, sizeof f.system, f.client, sizeof f.client, f.user,
                                         sizeof f.user, f.transaction, sizeof f.transaction});
    return f;
}

std::string Stored(const char* section, const char* key) {
    std::string value;
    EXPECT_TRUE(fake::Profile().Stored(kSettingsFile, section, key, &value)) << section << "/" << key;
    return value;
}

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { fake::Profile().Reset(); }
    void Hand(const char* section, const char* key, const char* value) {
        fake::Profile().AddRaw(kSettingsFile, section, key, value);
    }
};

TEST(SelectionSplit, SplitsFromTheLeftAndLeavesUnreachedFieldsAlone) {
    ExpectFields(Split("ABC$100$USER01$VA01"), "ABC", "100", "USER01", "VA01");
    ExpectFields(Split("ABC$100"), "ABC", "999", "OLDUSER", "100");
    ExpectFields(Split("VA01"), "OLD", "999", "OLDUSER", "VA01");
    ExpectFields(Split("$$$"), "", "", "", "");
    ExpectFields(Split("PRD$100$$"), "PRD", "100", "", "");
    ExpectFields(Split("$"), "", "999", "OLDUSER", "");
    ExpectFields(Split(""), "OLD", "999", "OLDUSER", "");
}

TEST(SelectionSplit, EverythingAfterTheThirdSignGoesToTheTransaction) {
    ExpectFields(Split("A$B$C$D$E"), "A", "B", "C", "D$E");
    ExpectFields(Split("$$$$"), "", "", "", "$");
    ExpectFields(Split("$$$$$$$$"), "", "", "", "$$$$$");
}

TEST(SelectionSplit, CutsEachPartToItsField) {
    ExpectFields(Split("ABCDE$12345$ABCDEFGHIJKLMNOPQ$VA01"), "ABC", "123", "ABCDEFGHIJKLM", "VA01");
    std::string longTx(200, 'T');
    Fields f = Split(("S$C$U$" + longTx).c_str());
    EXPECT_EQ(std::string(f.transaction), std::string(63, 'T'));
    // The cut parts are zero-filled behind the text, so a record compares cleanly.
    Fields g = Split("AB$$$");
    EXPECT_EQ(g.system[2], '\0');
    EXPECT_EQ(g.system[3], '\0');
}

TEST(SelectionSplit, BytesAbove127AreKeptAsTheyAre) {
    ExpectFields(Split("\xC4\xD6\xDC$\xE9$\xFF\x80$\xA7TX"), "\xC4\xD6\xDC", "\xE9", "\xFF\x80", "\xA7TX");
}

TEST(SelectionCompose, JoinsTheFourFieldsWithSigns) {
    char text[kSelectionBufferSize];
    EXPECT_EQ(ComposeSelection(text, sizeof text, "ABC", "100", "USER01", "VA01"), 19);
    EXPECT_STREQ(text, "ABC$100$USER01$VA01");
    EXPECT_EQ(ComposeSelection(text, sizeof text, "", "", "", ""), 3);
    EXPECT_STREQ(text, "$$$");
    // What the dialog composes from full fields reads back as the same four fields.
    std::string tx(63, 'x');
    ComposeSelection(text, sizeof text, "PRD", "100", "ABCDEFGHIJKLM", tx.c_str());
    ExpectFields(Split(text), "PRD", "100", "ABCDEFGHIJKLM", tx.c_str());
    // A small buffer cuts.
    char small[6];
    EXPECT_EQ(ComposeSelection(small, sizeof small, "ABC", "100", "U", "T"), 5);
    EXPECT_STREQ(small, "ABC$1");
}

TEST_F(SettingsTest, MissingFileGivesEveryDefaultAndCreatesNothing) {
    EXPECT_EQ(ReadAppInt(kKeyOpacity), 0);
    EXPECT_EQ(ReadAppInt(kKeyIdleTimer), 0);
    char action[kIdleActionSize];
    EXPECT_EQ(ReadAppString(kKeyIdleAction, action, sizeof action), 4);
    EXPECT_STREQ(action, "none");
    char selection[kSelectionBufferSize];
    std::memset(selection, 'x', sizeof selection);
    EXPECT_EQ(ReadBoxSelection(selection, sizeof selection, 3), 0);
    EXPECT_STREQ(selection, "");
    EXPECT_EQ(ReadBoxInt(3, kKeyCascade, 0), 0);
    StoredPosition p = ReadMainWindowPosition();
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
    EXPECT_FALSE(fake::Profile().FileExists(kSettingsFile));
    EXPECT_EQ(fake::Profile().writes, 0);
}

TEST_F(SettingsTest, WritesGoToTheirSectionsAndKeys) {
    EXPECT_TRUE(WriteBoxSelection("PRD$100$$", 4));
    EXPECT_TRUE(WriteBoxInt(2, kKeyCascade, 1));
    EXPECT_TRUE(WriteProfileInt(kAppSection, kKeyOpacity, 72));
    WriteMainWindowPosition(-50, 1234567);
    EXPECT_EQ(Stored("Box4", "Selection"), "PRD$100$$");
    EXPECT_EQ(Stored("Box2", "Cascade"), "1");
    EXPECT_EQ(Stored("Quilvo", "OPACITY"), "72");
    EXPECT_EQ(Stored("Quilvo", "WindowX"), "-50");
    EXPECT_EQ(Stored("Quilvo", "WindowY"), "1234567");
    // Read back: the stored position is clamped, the number itself is kept.
    EXPECT_EQ(ReadAppInt(kKeyWindowX), -50);
    EXPECT_EQ(ReadMainWindowPosition().x, 0);
    EXPECT_EQ(ReadMainWindowPosition().y, 1234567);
    char selection[kSelectionBufferSize];
    EXPECT_EQ(ReadBoxSelection(selection, sizeof selection, 4), 9);
    EXPECT_STREQ(selection, "PRD$100$$");
}

TEST_F(SettingsTest, AViewSectionReadsItsDefaultsAndWritesItsPlaceOnlyWhenGiven) {
    const ViewSection none = ReadViewSection("BoxedViewSingle");
    EXPECT_EQ(none.zoomFactor, 2);
    EXPECT_EQ(none.visible, 1);
    EXPECT_EQ(none.width, 0) << "no size stored";
    EXPECT_EQ(none.labels, 1);
    EXPECT_EQ(fake::Profile().writes, 0);

    Hand("BoxedViewToolbar", "Visible", "0");
    Hand("BoxedViewToolbar", "Labels", "0");
    Hand("BoxedViewToolbar", "WindowX", "-40");
    EXPECT_EQ(ReadViewSection("BoxedViewToolbar").visible, 0);
    EXPECT_EQ(ReadViewSection("BoxedViewToolbar").labels, 0);
    EXPECT_EQ(ReadViewSection("BoxedViewToolbar").x, -40) << "as stored; the view clamps it";

    WriteViewSection("BoxedViewSingle", false, 5, nullptr);  // minimised: the place stays
    EXPECT_EQ(Stored("BoxedViewSingle", "Visible"), "0");
    EXPECT_EQ(Stored("BoxedViewSingle", "ZoomFactor"), "5");
    EXPECT_FALSE(fake::Profile().Stored(kSettingsFile, "BoxedViewSingle", "Width", nullptr));
    const ViewPlace place{10, -20, 300, 200};
    WriteViewSection("BoxedViewSingle", true, 2, &place);
    EXPECT_EQ(Stored("BoxedViewSingle", "WindowY"), "-20");
    EXPECT_EQ(Stored("BoxedViewSingle", "Height"), "200");
    EXPECT_FALSE(fake::Profile().Stored(kSettingsFile, "BoxedViewSingle", "Labels", nullptr)) << "never written";
}

TEST_F(SettingsTest, BoxSectionNamesTakeTheIndexAsSigned16Bit) {
    char section[kBoxSectionCapacity];
    FormatBoxSection(0, section);
    EXPECT_STREQ(section, "Box0");
    FormatBoxSection(5, section);
    EXPECT_STREQ(section, "Box5");
    FormatBoxSection(65537, section);
    EXPECT_STREQ(section, "Box1");
    FormatBoxSection(-1, section);
    EXPECT_STREQ(section, "Box-1");
}

TEST_F(SettingsTest, LongTextsAreCutToTheBuffer) {
    std::string selection(300, 'S');
    Hand("Box0", "Selection", selection.c_str());
    char buffer[kSelectionBufferSize];
    EXPECT_EQ(ReadBoxSelection(buffer, sizeof buffer, 0), 254);
    EXPECT_EQ(std::string(buffer), std::string(254, 'S'));

    Hand(kAppSection, kKeyIdleAction, std::string(40, 'A').c_str());
    char action[kIdleActionSize];
    EXPECT_EQ(ReadAppString(kKeyIdleAction, action, sizeof action), 31);
    EXPECT_EQ(std::string(action), std::string(31, 'A'));
}

TEST_F(SettingsTest, EveryReadGoesToTheFileAfresh) {
    Hand("Box1", "Cascade", "0");
    EXPECT_EQ(ReadBoxInt(1, kKeyCascade, 0), 0);
    ASSERT_TRUE(WriteBoxInt(1, kKeyCascade, 1));
    EXPECT_EQ(ReadBoxInt(1, kKeyCascade, 0), 1);
}

TEST_F(SettingsTest, AFailedWriteIsQuietAndLosesNothing) {
    Hand("Box0", "Selection", "PRD$$$");
    Hand(kAppSection, kKeyOpacity, "150");
    fake::Profile().SetLocked(true);
    EXPECT_FALSE(WriteBoxSelection("QAS$$$", 0));
    EXPECT_FALSE(WriteBoxInt(0, kKeyCascade, 1));
    EXPECT_FALSE(WriteProfileInt(kAppSection, kKeyOpacity, 72));
    WriteMainWindowPosition(10, 20);
    fake::Profile().SetLocked(false);
    EXPECT_EQ(Stored("Box0", "Selection"), "PRD$$$");
    EXPECT_EQ(Stored("Quilvo", "OPACITY"), "150");
    EXPECT_FALSE(fake::Profile().Stored(kSettingsFile, "Box0", "Cascade", nullptr));
    EXPECT_FALSE(fake::Profile().Stored(kSettingsFile, "Quilvo", "WindowX", nullptr));
}

// The integer reads follow the platform's parsing (measured on Wine); the same table runs
// against the real platform in the Windows-side tests.
TEST_F(SettingsTest, JunkNumbersReadAsThePlatformParsesThem) {
    for (const test::JunkNumber& c : test::kJunkNumbers) {
        fake::Profile().Reset();
        Hand(kAppSection, kKeyIdleTimer, c.stored);
        EXPECT_EQ(ReadAppInt(kKeyIdleTimer), c.expected) << "stored \"" << c.stored << "\"";
    }
}

TEST(SettingClamps, PositionsSizesOpacityAndFlags) {
    EXPECT_EQ(PositionFromSetting(-50), 0);
    EXPECT_EQ(PositionFromSetting(0), 0);
    EXPECT_EQ(PositionFromSetting(640), 640);
    EXPECT_EQ(SizeFromSetting(0, 300), 300);
    EXPECT_EQ(SizeFromSetting(-5, 300), 300);
    EXPECT_EQ(SizeFromSetting(1, 300), 1);
    EXPECT_EQ(OpacityFromSetting(0), 255);
    EXPECT_EQ(OpacityFromSetting(72), 72);
    EXPECT_EQ(OpacityFromSetting(255), 255);
    EXPECT_EQ(OpacityFromSetting(256), 0);
    EXPECT_EQ(OpacityFromSetting(300), 44);
    EXPECT_EQ(OpacityFromSetting(-1), 255);
    EXPECT_FALSE(FlagOnFromSetting(-1));
    EXPECT_FALSE(FlagOnFromSetting(0));
    EXPECT_TRUE(FlagOnFromSetting(1));
    EXPECT_TRUE(FlagOnFromSetting(2));
}

TEST_F(SettingsTest, NumbersInARangeTakeTheDefaultForAnythingElse) {
    const struct {
        const char* stored;  // null: no key
        int maxSessions;
        int readyAfter;
        bool reopen;  // only 0 turns it off
    } cases[] = {
        {nullptr, 6, 20, true}, {"", 6, 20, true},     {"1", 1, 1, true},       {"16", 16, 16, true}, {"0", 6, 0, false},
        {"17", 6, 17, true},    {"-3", 6, 20, true},   {"abc", 6, 20, true},    {"4x", 6, 20, true},
        {"86400", 6, 86400, true}, {"86401", 6, 20, true}, {"99999999999999999999", 6, 20, true},
    };
    for (const auto& c : cases) {
        fake::Profile().Reset();
        if (c.stored) {
            Hand(kAppSection, kKeyMaxSessions, c.stored);
            Hand(kAppSection, kKeyReadyAfter, c.stored);
            Hand(kAppSection, kKeyReopen, c.stored);
        }
        EXPECT_EQ(ReadMaxSessions(), c.maxSessions) << (c.stored ? c.stored : "(none)");
        EXPECT_EQ(ReadReadyAfter(), c.readyAfter) << (c.stored ? c.stored : "(none)");
        EXPECT_EQ(ReadReopen(), c.reopen) << (c.stored ? c.stored : "(none)");
    }
    EXPECT_EQ(fake::Profile().writes, 0);
}

TEST_F(SettingsTest, IdleSettingsAreReadOnlyWhenTheTimerIsSet) {
    Hand(kAppSection, kKeyIdleAction, "/nex");
    IdleSettings off = ReadIdleSettings();
    EXPECT_EQ(off.idleTime, 0u);
    EXPECT_STREQ(off.idleAction, "");

    Hand(kAppSection, kKeyIdleTimer, "60");
    IdleSettings on = ReadIdleSettings();
    EXPECT_EQ(on.idleTime, 60u);
    EXPECT_STREQ(on.idleAction, "/nex");

    fake::Profile().Reset();
    Hand(kAppSection, kKeyIdleTimer, "60");
    EXPECT_STREQ(ReadIdleSettings().idleAction, "none");

    fake::Profile().Reset();
    Hand(kAppSection, kKeyIdleTimer, "-5");
    EXPECT_EQ(ReadIdleSettings().idleTime, 0xFFFFFFFBu);
}

}  // namespace
}  // namespace quilvo
