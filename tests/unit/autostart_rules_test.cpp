// "Start with Windows": the value's name, the command it holds, and which stored commands
// start this program.
#include <gtest/gtest.h>

#include "app/autostart_rules.h"

namespace quilvo {
namespace {

TEST(AutostartRules, NameAndCommandFollowTheCommandLine) {
    const struct {
        const char* givenClass;
        const char* arguments;
        const char* name;
        const char* command;
    } cases[] = {
        {"", "", "Quilvo", "\"C:\\Apps\\Quilvo.exe\""},
        {nullptr, nullptr, "Quilvo", "\"C:\\Apps\\Quilvo.exe\""},
        {"wndclass_desked_gsk", "wndclass_desked_gsk", "Quilvo wndclass_desked_gsk",
         "\"C:\\Apps\\Quilvo.exe\" wndclass_desked_gsk"},
        // As received: quotes, inner and trailing blanks stay, so the next start reads the same.
        {"\"My Class\" ", "\"My Class\" ", "Quilvo \"My Class\" ", "\"C:\\Apps\\Quilvo.exe\" \"My Class\" "},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RunValueName(c.givenClass), c.name);
        EXPECT_EQ(RunCommand("C:\\Apps\\Quilvo.exe", c.arguments), c.command);
    }
}

TEST(AutostartRules, OnlyACommandOfThisProgramCounts) {
    const char* const self = "C:\\Users\\Anna\\AppData\\Local\\Programs\\Quilvo\\Quilvo.exe";
    const struct {
        const char* command;
        bool starts;
    } cases[] = {
        {"\"C:\\Users\\Anna\\AppData\\Local\\Programs\\Quilvo\\Quilvo.exe\"", true},
        {"\"c:\\users\\anna\\appdata\\local\\programs\\quilvo\\QUILVO.EXE\" SAP_FRONTEND_SESSION", true},
        {"  \"C:\\Users\\Anna\\AppData\\Local\\Programs\\Quilvo\\Quilvo.exe\"", true},
        {"C:\\Users\\Anna\\AppData\\Local\\Programs\\Quilvo\\Quilvo.exe /x", true},
        {"\"D:\\Portable\\Quilvo\\Quilvo.exe\"", false},
        {"\"C:\\Users\\Anna\\AppData\\Local\\Programs\\Quilvo\\Quilvo.exe.bak\"", false},
        {"\"C:\\Users\\Anna\\AppData\\Local\\Programs\\Quilvo\\Quilvo.exe", false},  // no closing quote
        {"\"\"", false},
        {"", false},
        {nullptr, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RunCommandStarts(c.command, self), c.starts) << (c.command ? c.command : "(none)");
    }
    // A wide path as UTF-8: A to Z still fold, the other letters match only as they are.
    const char* const stefan = "C:\\Users\\Ŝtefan\\Квілво\\Quilvo.exe";
    EXPECT_TRUE(RunCommandStarts("\"c:\\USERS\\Ŝtefan\\Квілво\\quilvo.exe\" 会话", stefan));
    EXPECT_FALSE(RunCommandStarts("\"C:\\Users\\ŝtefan\\Квілво\\Quilvo.exe\"", stefan));
    EXPECT_FALSE(RunCommandStarts("\"\"", ""));
    EXPECT_FALSE(RunCommandStarts("\"x\"", nullptr));
}

}  // namespace
}  // namespace quilvo
