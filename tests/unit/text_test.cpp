#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/session.h"
#include "base/text.h"

namespace quilvo {
namespace {

TEST(Text, CopyCutKeepsCapacityMinusOneAndZeroFillsTheRest) {
    char field[4];
    std::memset(field, 'Z', sizeof field);
    CopyCut(field, "ABCD");
    EXPECT_STREQ(field, "ABC");

    CopyCut(field, "A");
    EXPECT_EQ(field[0], 'A');
    EXPECT_EQ(field[1], '\0');
    EXPECT_EQ(field[2], '\0');
    EXPECT_EQ(field[3], '\0');

    CopyCut(field, nullptr);
    EXPECT_STREQ(field, "");
}

TEST(Text, EveryRecordFieldIsCutToItsCapacity) {
    SessionRecord r = {};
    const std::string longText(300, 'x');
    CopyCut(r.title, longText.c_str());
    CopyCut(r.system, longText.c_str());
    CopyCut(r.serverGroup, longText.c_str());
    CopyCut(r.user, longText.c_str());
    CopyCut(r.transaction, longText.c_str());
    CopyCut(r.client, longText.c_str());
    EXPECT_EQ(std::strlen(r.title), 255u);
    EXPECT_EQ(std::strlen(r.system), 3u);
    EXPECT_EQ(std::strlen(r.serverGroup), 11u);
    EXPECT_EQ(std::strlen(r.user), 13u);
    EXPECT_EQ(std::strlen(r.transaction), 63u);
    EXPECT_EQ(std::strlen(r.client), 3u);
}

TEST(Text, CaseIsFoldedForAsciiLettersOnly) {
    EXPECT_TRUE(EqualsNoCase("abc", "ABC"));
    EXPECT_TRUE(EqualsNoCase("Sap_Frontend_Session", "SAP_FRONTEND_SESSION"));
    EXPECT_FALSE(EqualsNoCase("abc", "abcd"));
    EXPECT_FALSE(EqualsNoCase("", "a"));
    EXPECT_TRUE(EqualsNoCase(nullptr, ""));
    // Bytes above 127 compare by value: a Latin-1 e-acute and E-acute differ.
    EXPECT_FALSE(EqualsNoCase("\xe9", "\xc9"));
    EXPECT_TRUE(EqualsNoCase("\xe9", "\xe9"));
    // '@' (0x40) and '`' (0x60) sit next to the letters but are not letters.
    EXPECT_FALSE(EqualsNoCase("@", "`"));
    EXPECT_FALSE(EqualsNoCase("[", "{"));
}

}  // namespace
}  // namespace quilvo
