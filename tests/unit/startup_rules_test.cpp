#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/startup_rules.h"

namespace quilvo {
namespace {

std::string ClassFrom(const char* commandLine) {
    char out[128];
    std::memset(out, 'Z', sizeof out);
    SessionClassFromArguments(ArgumentText(commandLine), out, sizeof out);
    return out;
}

TEST(StartupRules, ArgumentTextSkipsTheProgramNameAndTheBlanksAfterIt) {
    EXPECT_STREQ(ArgumentText("Quilvo.exe"), "");
    EXPECT_STREQ(ArgumentText("\"C:\\Program Files\\Quilvo.exe\"  MyClass"), "MyClass");
    EXPECT_STREQ(ArgumentText("Quilvo.exe \t\x01 MyClass  "), "MyClass  ");
    EXPECT_STREQ(ArgumentText("\"unterminated"), "");
    EXPECT_STREQ(ArgumentText(nullptr), "");
}

TEST(StartupRules, SessionClassIsTheWholeArgumentTextCutTo127) {
    EXPECT_EQ(ClassFrom("Quilvo.exe"), "SAP_FRONTEND_SESSION");
    EXPECT_EQ(ClassFrom("Quilvo.exe    "), "SAP_FRONTEND_SESSION");
    EXPECT_EQ(ClassFrom("Quilvo.exe two words"), "two words");
    EXPECT_EQ(ClassFrom("Quilvo.exe \"quoted\" "), "\"quoted\" ");
    EXPECT_EQ(ClassFrom(("Quilvo.exe " + std::string(200, 'k')).c_str()), std::string(127, 'k'));
}

TEST(StartupRules, IconFollowsTheSessionClassWithoutRegardToCase) {
    EXPECT_EQ(IconForSessionClass("SAP_FRONTEND_SESSION"), 103);
    EXPECT_EQ(IconForSessionClass("WndClass_Desked_GSK"), 106);
    EXPECT_EQ(IconForSessionClass("AFX:400000:8:10011:0:302A5"), 107);
    EXPECT_EQ(IconForSessionClass("wndclass_desked_gsk "), 103);
}

}  // namespace
}  // namespace quilvo

namespace quilvo {
namespace {

TEST(StartupRules, SameFolderIgnoresCaseAndATrailingSeparator) {
    const struct {
        const char* a;
        const char* b;
        bool same;
    } cases[] = {
        {"C:\\Windows\\system32", "C:\\WINDOWS\\System32", true},
        {"C:\\Windows\\system32/", "c:\\windows\\system32\\", true},
        {"C:\\Windows\\system32\\Quilvo", "C:\\Windows\\system32", false},
        {"C:\\Windows\\syswow64", "C:\\Windows\\system32", false},
        {"", "", false},
        {nullptr, "C:\\", false},
    };
    for (const auto& c : cases) EXPECT_EQ(SameFolder(c.a, c.b), c.same) << (c.a ? c.a : "(none)") << " | " << c.b;
}

}  // namespace
}  // namespace quilvo
