// The settings operations against real ini files through the platform's private-profile
// functions, in a temporary directory that is made the current directory for each test.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/boxes.h"
#include "base/text.h"
#include "junk_numbers.h"
#include "settings/settings.h"
#include "settings/whole_file.h"
#include "window_helpers.h"

#include "sim_client.h"

namespace quilvo {
namespace {

std::string ReadFileText(const char* path) { return sessionsim::detail::ReadWholeFile(path); }

void WriteFileText(const char* path, const std::string& text) {
    ASSERT_TRUE(sessionsim::detail::WriteWholeFile(path, text)) << path;
}

std::vector<std::string> Lines(const std::string& text) { return sessionsim::SplitLines(text); }

bool FileExists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

constexpr const char* kIni = ".\\Quilvo.ini";

class SettingsIniTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.Entered()); }

    test::TempFolder dir_{
        std::string("quilvo-settings-") + ::testing::UnitTest::GetInstance()->current_test_info()->name(),
        test::TempFolder::kEnter};
};

TEST_F(SettingsIniTest, AMissingFileGivesEveryDefaultAndCreatesNothing) {
    EXPECT_EQ(ReadAppInt(kKeyOpacity), 0);
    EXPECT_EQ(OpacityFromSetting(ReadAppInt(kKeyOpacity)), 255);
    EXPECT_EQ(ReadAppInt(kKeyIdleTimer), 0);
    char action[kIdleActionSize];
    ReadAppString(kKeyIdleAction, action, sizeof action);
    EXPECT_STREQ(action, "none");
    for (int box = 0; box < kBoxCount; ++box) {
        char selection[kSelectionBufferSize] = "junk";
        EXPECT_EQ(ReadBoxSelection(selection, sizeof selection, box), 0);
        EXPECT_STREQ(selection, "");
        BoxFilter filter = {};
        EXPECT_FALSE(LoadBoxFilter(box, filter));
        EXPECT_EQ(filter.cascade, 0);
    }
    StoredPosition p = ReadMainWindowPosition();
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
    EXPECT_FALSE(FileExists(kIni));
}

TEST_F(SettingsIniTest, TheFirstWriteCreatesFileSectionAndKey) {
    EXPECT_TRUE(WriteBoxSelection("PRD$100$$", 2));
    ASSERT_TRUE(FileExists(kIni));
    const std::vector<std::string> lines = Lines(ReadFileText(kIni));
    EXPECT_EQ(lines, (std::vector<std::string>{"[Box2]", "Selection=PRD$100$$"}));
    char selection[kSelectionBufferSize];
    EXPECT_EQ(ReadBoxSelection(selection, sizeof selection, 2), 9);
    EXPECT_STREQ(selection, "PRD$100$$");
}

TEST_F(SettingsIniTest, WhatWasWrittenByHandSurvivesEveryWrite) {
    const std::vector<std::string> handWritten = {
        "; kept by hand",
        "[Quilvo]",
        "OPACITY=150",
        "SOMETHING_ELSE=keep me",
        "[Box0]",
        "Selection=PRD$$$",
        "; between",
        "Unknown=1",
        "[Other]",
        "Key=Value",
    };
    std::string text;
    for (const std::string& l : handWritten) text += l + "\r\n";
    WriteFileText(kIni, text);

    EXPECT_TRUE(WriteBoxSelection("QAS$200$$", 0));
    EXPECT_TRUE(WriteBoxInt(0, kKeyCascade, 1));
    EXPECT_TRUE(WriteProfileInt(kAppSection, kKeyOpacity, 72));
    WriteMainWindowPosition(-30, 40);
    EXPECT_TRUE(WriteBoxSelection("X$$$", 5));

    const std::vector<std::string> lines = Lines(ReadFileText(kIni));
    // Every hand-written line is still there, in its order, apart from the two values replaced.
    std::vector<std::string> expectedKept = handWritten;
    expectedKept[2] = "OPACITY=72";
    expectedKept[5] = "Selection=QAS$200$$";
    std::size_t at = 0;
    for (const std::string& kept : expectedKept) {
        while (at < lines.size() && lines[at] != kept) ++at;
        EXPECT_LT(at, lines.size()) << "lost or moved: " << kept;
    }
    char selection[kSelectionBufferSize];
    ReadBoxSelection(selection, sizeof selection, 5);
    EXPECT_STREQ(selection, "X$$$");
    EXPECT_EQ(ReadBoxInt(0, kKeyCascade, 0), 1);
    EXPECT_EQ(ReadAppInt(kKeyWindowX), -30);
    EXPECT_EQ(ReadAppInt(kKeyWindowY), 40);
}

TEST_F(SettingsIniTest, ALockedFileMakesWritesFailQuietlyAndLosesNothing) {
    const std::string text = "[Quilvo]\r\nOPACITY=150\r\n[Box0]\r\nSelection=PRD$$$\r\n";
    WriteFileText(kIni, text);
    HANDLE lock = CreateFileA(kIni, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(WriteBoxSelection("QAS$$$", 0));
    EXPECT_FALSE(WriteBoxInt(0, kKeyCascade, 1));
    EXPECT_FALSE(WriteProfileInt(kAppSection, kKeyOpacity, 72));
    WriteMainWindowPosition(10, 20);
    // While it is locked the file cannot be read either: every read gives its default.
    EXPECT_EQ(ReadAppInt(kKeyOpacity), 0);
    CloseHandle(lock);
    EXPECT_EQ(ReadFileText(kIni), text);
    EXPECT_EQ(ReadAppInt(kKeyOpacity), 150);
}

TEST_F(SettingsIniTest, AReadOnlyFileKeepsEverythingElseWhateverTheWriteGives) {
    WriteFileText(kIni, "[Quilvo]\r\nOPACITY=150\r\n[Box1]\r\nSelection=PRD$$$\r\n");
    ASSERT_TRUE(SetFileAttributesA(kIni, FILE_ATTRIBUTE_READONLY));
    const bool written = WriteProfileInt(kAppSection, kKeyOpacity, 72);
    // (Wine running as root writes through the read-only attribute; Windows refuses.)
    EXPECT_EQ(ReadAppInt(kKeyOpacity), written ? 72 : 150);
    char selection[kSelectionBufferSize];
    ReadBoxSelection(selection, sizeof selection, 1);
    EXPECT_STREQ(selection, "PRD$$$");
}

// The same table as the in-memory profile's test: the fake parses as the platform does.
TEST_F(SettingsIniTest, JunkNumbersReadAsThePlatformParsesThem) {
    for (const test::JunkNumber& c : test::kJunkNumbers) {
        WriteFileText(kIni, std::string("[Quilvo]\r\nIDLE_TIMER=") + c.stored + "\r\n");
        EXPECT_EQ(ReadAppInt(kKeyIdleTimer), c.expected) << "stored \"" << c.stored << "\"";
        DeleteFileA(kIni);
    }
}

TEST_F(SettingsIniTest, StoredNumbersAreClampedWhereTheyAreUsed) {
    WriteFileText(kIni,
                  "[Quilvo]\r\nWindowX=-50\r\nWindowY=99999999999\r\n"
                  "[Box0]\r\nCascade=-1\r\n[Box1]\r\nCascade=2\r\n"
                  "[BoxedViewSingle]\r\nWidth=-5\r\nHeight=0\r\n");
    StoredPosition p = ReadMainWindowPosition();
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 1215752191);
    BoxFilter f = {};
    LoadBoxFilter(0, f);
    EXPECT_EQ(f.cascade, 0);
    LoadBoxFilter(1, f);
    EXPECT_EQ(f.cascade, 1);
    EXPECT_EQ(SizeFromSetting(static_cast<int>(GetPrivateProfileIntA("BoxedViewSingle", "Width", 150, kIni)), 150),
              150);
    EXPECT_EQ(SizeFromSetting(static_cast<int>(GetPrivateProfileIntA("BoxedViewSingle", "Height", 150, kIni)), 150),
              150);

    struct Opacity {
        const char* stored;
        int alpha;
    } const opacities[] = {{"0", 255}, {"256", 0}, {"300", 44}, {"-1", 255}, {"72", 72}};
    for (const Opacity& o : opacities) {
        WriteFileText(kIni, std::string("[Quilvo]\r\nOPACITY=") + o.stored + "\r\n");
        EXPECT_EQ(OpacityFromSetting(ReadAppInt(kKeyOpacity)), o.alpha) << "OPACITY=" << o.stored;
    }
}

TEST_F(SettingsIniTest, SelectionsOfEveryShapeReadBackIntoTheFilter) {
    // 300 characters stored: 254 are read, and the Transaction takes at most 63 of them.
    std::string longSelection = "ABC$100$USER01$" + std::string(285, 'T');
    ASSERT_TRUE(WriteBoxSelection(longSelection.c_str(), 0));
    char selection[kSelectionBufferSize];
    EXPECT_EQ(ReadBoxSelection(selection, sizeof selection, 0), 254);
    BoxFilter f = {};
    EXPECT_TRUE(LoadBoxFilter(0, f));
    EXPECT_STREQ(f.user, "USER01");
    EXPECT_EQ(std::string(f.transaction), std::string(63, 'T'));

    ASSERT_TRUE(WriteBoxSelection("A$B$C$D$E", 1));
    f = {};
    LoadBoxFilter(1, f);
    EXPECT_STREQ(f.system, "A");
    EXPECT_STREQ(f.client, "B");
    EXPECT_STREQ(f.user, "C");
    EXPECT_STREQ(f.transaction, "D$E");

    ASSERT_TRUE(WriteBoxSelection("$$$$$", 2));
    CopyCut(f.system, "OLD");
    LoadBoxFilter(2, f);
    EXPECT_STREQ(f.system, "");
    EXPECT_STREQ(f.transaction, "$$");

    ASSERT_TRUE(WriteBoxSelection("\xC4\xD6\xDC$\xE9$\xFF\x80$\xA7TX", 3));
    LoadBoxFilter(3, f);
    EXPECT_STREQ(f.system, "\xC4\xD6\xDC");
    EXPECT_STREQ(f.client, "\xE9");
    EXPECT_STREQ(f.user, "\xFF\x80");
    EXPECT_STREQ(f.transaction, "\xA7TX");
}

TEST_F(SettingsIniTest, TheMainWindowPositionIsSavedFromItsNormalRectangleAndRestoredClamped) {
    test::RegisterTestClass("QuilvoSettingsTestWindow");
    HWND window = CreateWindowExA(0, "QuilvoSettingsTestWindow", "settings", WS_POPUP, -30, 40, 200, 100, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);

    SaveWindowPosition(reinterpret_cast<WindowHandle>(window));
    EXPECT_EQ(ReadAppInt(kKeyWindowX), -30);
    EXPECT_EQ(ReadAppInt(kKeyWindowY), 40);

    // A minimised window stores where it would be restored to.
    ShowWindow(window, SW_SHOWMINNOACTIVE);
    DeleteFileA(kIni);
    SaveWindowPosition(reinterpret_cast<WindowHandle>(window));
    EXPECT_EQ(ReadAppInt(kKeyWindowX), -30);
    EXPECT_EQ(ReadAppInt(kKeyWindowY), 40);
    ShowWindow(window, SW_RESTORE);

    RestoreMainWindow(reinterpret_cast<WindowHandle>(window), 300, 0);
    RECT r = {};
    GetWindowRect(window, &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 40);
    EXPECT_EQ(r.right - r.left, 300);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_NE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    DestroyWindow(window);
}

// The kept sessions' file: replaced whole or not at all, read whole or not at all.
TEST_F(SettingsIniTest, AWholeFileIsReplacedInOneStepAndReadOnlyWithinItsBound) {
    constexpr const char* kFile = ".\\Quilvo.sessions";
    std::string text = "left as it was";
    EXPECT_EQ(ReadWholeFile(kFile, 100, text), FileRead::kMissing);
    EXPECT_TRUE(text.empty());
    ASSERT_TRUE(ReplaceWholeFile(kFile, "first\n"));
    ASSERT_TRUE(ReplaceWholeFile(kFile, "second\n"));
    EXPECT_EQ(ReadWholeFile(kFile, 100, text), FileRead::kRead);
    EXPECT_EQ(text, "second\n");
    EXPECT_FALSE(FileExists(".\\Quilvo.sessions.tmp")) << "the temporary file took the old one's place";
    EXPECT_EQ(ReadWholeFile(kFile, 6, text), FileRead::kTooLong);
    EXPECT_TRUE(text.empty());

    // A folder in the way of the temporary file: the write fails and the old file stays.
    ASSERT_TRUE(CreateDirectoryA(".\\Quilvo.sessions.tmp", nullptr));
    EXPECT_FALSE(ReplaceWholeFile(kFile, "third\n"));
    RemoveDirectoryA(".\\Quilvo.sessions.tmp");
    EXPECT_EQ(ReadFileText(kFile), "second\n");
}

}  // namespace
}  // namespace quilvo
