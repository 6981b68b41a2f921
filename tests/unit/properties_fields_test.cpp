// The box properties dialog's texts: what a stored Selection shows in the four fields, and
// what OK stores in the box's filter and in the settings file.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "record_checks.h"
#include "commands/properties_fields.h"
#include "base/text.h"
#include "fake_profile.h"
#include "settings/profile.h"

namespace quilvo {
namespace {

using ::test::ExpectFields;

PropertiesTexts Typed(const char* system, const char* client, const char* user, const char* transaction) {
    PropertiesTexts t = {};
    CopyCut(t.system, system);
    CopyCut(t.client, client);
    CopyCut(t.user, user);
    CopyCut(t.transaction, transaction);
    return t;
}

std::string Stored(int box) {
    char section[kBoxSectionCapacity];
    FormatBoxSection(box, section);
    std::string value;
    if (!fake::Profile().Stored(kSettingsFile, section, kKeySelection, &value)) return "<missing>";
    return value;
}

TEST(PropertiesTexts, AStoredSelectionFillsTheFieldsFromTheLeftUncut) {
    const struct {
        const char* stored;
        const char* system;
        const char* client;
        const char* user;
        const char* transaction;
    } cases[] = {
        {"PRD$100$$", "PRD", "100", "", ""},
        {"", "", "", "", ""},
        {"VA01", "", "", "", "VA01"},              // no sign: only the Transaction
        {"PRD$VA01", "PRD", "", "", "VA01"},       // one sign: System and Transaction
        {"A$B$C$D$E", "A", "B", "C", "D$E"},       // five parts: the last two share the Transaction
        {"PRDX$1000$ABCDEFGHIJKLMNOP$T", "PRDX", "1000", "ABCDEFGHIJKLMNOP", "T"},  // shown uncut
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        const PropertiesTexts t = PropertiesTextsFromSelection(c.stored);
        EXPECT_STREQ(t.system, c.system);
        EXPECT_STREQ(t.client, c.client);
        EXPECT_STREQ(t.user, c.user);
        EXPECT_STREQ(t.transaction, c.transaction);
    }
}

class StoreProperties : public ::testing::Test {
protected:
    void SetUp() override {
        fake::Profile().Reset();
        for (BoxFilter& f : filters) {
            f = {};
            CopyCut(f.system, "OLD");
            CopyCut(f.transaction, "OLDTX");
        }
    }
    BoxFilter filters[kBoxCount] = {};
};

// What OK stores reads back into the same four fields at the next rebuild, except where the
// user typed a '$': there is no escaping, so the read-back shifts.
TEST_F(StoreProperties, CutsTheFieldsComposesTheSelectionAndReadsBack) {
    const std::string longTx(70, 'x');
    const std::string tx63(63, 'x');
    const struct {
        PropertiesTexts typed;
        const char* stored;
        const char* system;  // in the filter right after OK
        const char* client;
        const char* user;
        const char* transaction;
        const char* backSystem;  // after the rebuild reads the Selection back
        const char* backClient;
        const char* backUser;
        const char* backTransaction;
    } cases[] = {
        {Typed("QASXY", "100", "ALICE", "VA01"), "QAS$100$ALICE$VA01", "QAS", "100", "ALICE", "VA01", "QAS", "100",
         "ALICE", "VA01"},
        {Typed("", "", "", ""), "$$$", "", "", "", "", "", "", "", ""},
        {Typed("PRD", "1000", "ABCDEFGHIJKLMNOP", longTx.c_str()), nullptr, "PRD", "100", "ABCDEFGHIJKLM", tx63.c_str(),
         "PRD", "100", "ABCDEFGHIJKLM", tx63.c_str()},
        {Typed("A$B", "100", "U", "T"), "A$B$100$U$T", "A$B", "100", "U", "T", "A", "B", "100", "U$T"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.system);
        fake::Profile().Reset();
        EXPECT_TRUE(StoreBoxProperties(filters, 3, c.typed));
        ExpectFields(filters[3], c.system, c.client, c.user, c.transaction);
        const std::string expected =
            c.stored ? c.stored : std::string("PRD$100$ABCDEFGHIJKLM$") + tx63;
        EXPECT_EQ(Stored(3), expected);
        ASSERT_TRUE(LoadBoxFilter(3, filters[3]));
        ExpectFields(filters[3], c.backSystem, c.backClient, c.backUser, c.backTransaction);
    }
    ExpectFields(filters[2], "OLD", "", "", "OLDTX");  // only the dialog's box changes

    // A box number that names no box changes and writes nothing.
    fake::Profile().Reset();
    for (int box : {-1, 6, 32767}) EXPECT_FALSE(StoreBoxProperties(filters, box, Typed("QAS", "", "", "")));
    EXPECT_EQ(fake::Profile().writes, 0);
    ExpectFields(filters[5], "OLD", "", "", "OLDTX");
}

// A file that cannot be written: OK goes on quietly, the file keeps what it held, and the
// rebuild's read-back puts the stored values into the filter again.
TEST_F(StoreProperties, AFailedWriteLosesNothingAndTheOldSelectionComesBack) {
    fake::Profile().AddRaw(kSettingsFile, "Box2", "Selection", "PRD$$$");
    fake::Profile().SetLocked(true);
    EXPECT_FALSE(StoreBoxProperties(filters, 2, Typed("QAS", "200", "BOB", "VA01")));
    ExpectFields(filters[2], "QAS", "200", "BOB", "VA01");
    fake::Profile().SetLocked(false);
    EXPECT_EQ(Stored(2), "PRD$$$");
    ASSERT_TRUE(LoadBoxFilter(2, filters[2]));
    ExpectFields(filters[2], "PRD", "", "", "");
}

}  // namespace
}  // namespace quilvo
