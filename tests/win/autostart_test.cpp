// The Run value of "Start with Windows" in a real registry, under a key of the test's own:
// written, read back and removed, and every value this program did not write as it writes it
// counts as none.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "registry_values.h"
#include "app/autostart.h"
#include "app/autostart_rules.h"

namespace quilvo {
namespace {

constexpr const char* kTestKey = "Software\\QuilvoTests\\Run";
constexpr const char* kApprovedKey = "Software\\QuilvoTests\\Approved";
const std::string kProgram = "C:\\Apps\\Quilvo\\Quilvo.exe";

void Store(const char* name, DWORD type, const void* data, DWORD size) {
    test::StoreRegistryValue(kTestKey, name, type, data, size);
}

void StoreText(const char* name, DWORD type, const std::string& text) {
    Store(name, type, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

class StartWithWindows : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\QuilvoTests"); }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\QuilvoTests"); }
    const RunKey key_{HKEY_CURRENT_USER, L"Software\\QuilvoTests\\Run", L"Software\\QuilvoTests\\Approved"};

    std::wstring RunText() const {
        wchar_t text[512] = {};
        DWORD size = sizeof text;
        RegGetValueW(HKEY_CURRENT_USER, key_.path, L"Quilvo", RRF_RT_REG_SZ, nullptr, text, &size);
        return text;
    }
    std::vector<BYTE> Mark() const {
        BYTE mark[64] = {};
        DWORD size = sizeof mark;
        const LONG read = RegGetValueW(HKEY_CURRENT_USER, key_.approvedPath, L"Quilvo", RRF_RT_ANY, nullptr, mark, &size);
        return read == ERROR_SUCCESS ? std::vector<BYTE>(mark, mark + size) : std::vector<BYTE>();
    }
};

// Written, found under its own name only, removed (twice, and from a missing key: quietly);
// an expandable text is read expanded, as the shell reads it at log-on.
TEST_F(StartWithWindows, TheValueIsWrittenFoundAndRemoved) {
    EXPECT_FALSE(RunValueStarts(key_, "Quilvo", kProgram)) << "no key yet";
    EXPECT_TRUE(SetRunValue(key_, "Quilvo", "x", false));
    ASSERT_TRUE(SetRunValue(key_, "Quilvo X", RunCommand(kProgram.c_str(), "X"), true));
    EXPECT_TRUE(RunValueStarts(key_, "Quilvo X", kProgram));
    EXPECT_FALSE(RunValueStarts(key_, "Quilvo", kProgram));
    ASSERT_TRUE(SetRunValue(key_, "Quilvo X", "", false));
    EXPECT_FALSE(RunValueStarts(key_, "Quilvo X", kProgram));
    EXPECT_TRUE(SetRunValue(key_, "Quilvo X", "", false));
    StoreText("Quilvo E", REG_EXPAND_SZ, "\"%QUILVO_TEST_APPS%\\Quilvo.exe\"");
    SetEnvironmentVariableA("QUILVO_TEST_APPS", "C:\\Apps\\Quilvo");
    EXPECT_TRUE(RunValueStarts(key_, "Quilvo E", kProgram));
}

// Another type, a text too long to be ours, another program, nothing at all: never this
// program's value; writing ours then replaces it.
TEST_F(StartWithWindows, ValuesNotWrittenAsThisProgramWritesThemCountAsNone) {
    const DWORD number = 1;
    const std::string ours = "\"" + kProgram + "\"";
    const std::string longText = ours + " " + std::string(5000, 'x');
    const struct {
        DWORD type;
        std::string text;  // empty: the DWORD
    } cases[] = {
        {REG_DWORD, ""},
        {REG_BINARY, ours},
        {REG_MULTI_SZ, ours + '\0'},
        {REG_SZ, longText},
        {REG_SZ, "\"C:\\Other\\Quilvo.exe\""},
        {REG_SZ, ""},
    };
    for (const auto& c : cases) {
        if (c.text.empty() && c.type == REG_DWORD) {
            Store("Quilvo", c.type, &number, sizeof number);
        } else {
            StoreText("Quilvo", c.type, c.text);
        }
        EXPECT_FALSE(RunValueStarts(key_, "Quilvo", kProgram)) << "type " << c.type << " " << c.text.substr(0, 40);
        ASSERT_TRUE(SetRunValue(key_, "Quilvo", ours, true));
        EXPECT_TRUE(RunValueStarts(key_, "Quilvo", kProgram));
    }
}

// A profile outside the ANSI code page: the command goes in as UTF-16, whole, and still reads
// as this program's; the same path with an ASCII letter in place of its own is another.
TEST_F(StartWithWindows, APathOutsideTheAnsiCodePageIsKeptWhole) {
    const std::string program = "C:\\Users\\Ŝtefan\\Квілво\\程序\\Quilvo.exe";
    ASSERT_TRUE(SetRunValue(key_, "Quilvo", RunCommand(program.c_str(), "\"会话\" "), true));
    EXPECT_EQ(RunText(), L"\"C:\\Users\\Ŝtefan\\Квілво\\程序\\Quilvo.exe\" \"会话\" ");
    EXPECT_TRUE(RunValueStarts(key_, "Quilvo", program));
    EXPECT_FALSE(RunValueStarts(key_, "Quilvo", "C:\\Users\\Stefan\\Квілво\\程序\\Quilvo.exe"));
}

// Task Manager's mark under the same name: only a binary value whose first byte has its lowest
// bit set turns the entry off; missing, foreign or short, it turns nothing off.
TEST_F(StartWithWindows, TaskManagersMarkDecidesWhetherTheEntryStarts) {
    ASSERT_TRUE(SetRunValue(key_, "Quilvo", "\"" + kProgram + "\"", true));
    const struct {
        const char* what;
        DWORD type;
        std::vector<BYTE> mark;
        bool starts;
    } cases[] = {
        {"missing", REG_NONE, {}, true},
        {"on", REG_BINARY, {0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, true},
        {"on, another flag", REG_BINARY, {0x06, 0, 0, 0, 0x10, 0x2f, 0x4e, 0x1b, 0xc2, 0x8a, 0xda, 0x01}, true},
        {"off", REG_BINARY, {0x03, 0, 0, 0, 0x10, 0x2f, 0x4e, 0x1b, 0xc2, 0x8a, 0xda, 0x01}, false},
        {"off, another flag", REG_BINARY, {0x07, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, false},
        {"a number", REG_DWORD, {0x03, 0, 0, 0}, true},
        {"short", REG_BINARY, {0x03, 0, 0}, true},
    };
    for (const auto& c : cases) {
        RegDeleteTreeA(HKEY_CURRENT_USER, kApprovedKey);
        if (c.type != REG_NONE) {
            test::StoreRegistryValue(kApprovedKey, "Quilvo", c.type, c.mark.data(), static_cast<DWORD>(c.mark.size()));
        }
        EXPECT_EQ(StartsAtLogOn(key_, "Quilvo", kProgram), c.starts) << c.what;
    }
}

// Turned off in Task Manager: the administrator's "on" leaves the mark as it is; the user's own
// choice turns it on as Task Manager does, keeping the Run value, and the next removes the Run
// value only. A mark left behind by a value removed since is turned on with the new value.
TEST_F(StartWithWindows, OnlyTheUsersOwnChoiceTurnsTheEntryOnInTaskManager) {
    const std::vector<BYTE> off = {0x03, 0, 0, 0, 0x10, 0x2f, 0x4e, 0x1b, 0xc2, 0x8a, 0xda, 0x01};
    const std::vector<BYTE> on = {0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const std::string command = "\"" + kProgram + "\" X";
    StoreText("Quilvo", REG_SZ, "\"" + kProgram + "\"");  // as an older version wrote it, ANSI
    test::StoreRegistryValue(kApprovedKey, "Quilvo", REG_BINARY, off.data(), static_cast<DWORD>(off.size()));
    ASSERT_TRUE(ForceRunValue(key_, "Quilvo", kProgram, command, true));
    EXPECT_FALSE(StartsAtLogOn(key_, "Quilvo", kProgram));
    EXPECT_EQ(Mark(), off);
    ASSERT_TRUE(SwitchRunEntry(key_, "Quilvo", kProgram, command));
    EXPECT_TRUE(StartsAtLogOn(key_, "Quilvo", kProgram));
    EXPECT_EQ(Mark(), on);
    EXPECT_EQ(RunText(), L"\"C:\\Apps\\Quilvo\\Quilvo.exe\"");
    ASSERT_TRUE(SwitchRunEntry(key_, "Quilvo", kProgram, command));
    EXPECT_FALSE(RunValueStarts(key_, "Quilvo", kProgram));
    EXPECT_EQ(Mark(), on);

    test::StoreRegistryValue(kApprovedKey, "Quilvo", REG_BINARY, off.data(), static_cast<DWORD>(off.size()));
    ASSERT_TRUE(SwitchRunEntry(key_, "Quilvo", kProgram, command));
    EXPECT_TRUE(StartsAtLogOn(key_, "Quilvo", kProgram));
    EXPECT_EQ(RunText(), L"\"C:\\Apps\\Quilvo\\Quilvo.exe\" X");
}

}  // namespace
}  // namespace quilvo
