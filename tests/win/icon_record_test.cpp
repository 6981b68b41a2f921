// Every record the shell is given about the icon is of one layout and carries the hover tip:
// a version 4 shell reads a shorter record as an older layout and drops the tip from an icon
// changed without NIF_TIP | NIF_SHOWTIP (a balloon once did so).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "app/icon_record.h"
#include "resources/resource_ids.h"

namespace quilvo {
namespace {

TEST(IconRecord, EveryRecordIsOfTheFullLayoutWithTheTip) {
    HWND host = reinterpret_cast<HWND>(0x1234);
    const std::string longText(400, 'x');
    const struct {
        const char* name;
        NOTIFYICONDATAA record;
        UINT moreFlags;
    } cases[] = {
        {"change", IconRecord(host), 0},
        {"add", AddIconRecord(host, LoadIconA(nullptr, IDI_APPLICATION)), NIF_MESSAGE | NIF_ICON},
        {"balloon", BalloonRecord(host, "Session ready", longText.c_str()), NIF_INFO},
    };
    const std::string tip = IconRecord(host).szTip;
    EXPECT_FALSE(tip.empty());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.record.cbSize, sizeof(NOTIFYICONDATAA));
        EXPECT_EQ(c.record.hWnd, host);
        EXPECT_EQ(c.record.uID, static_cast<UINT>(IDI_QUILVO));
        EXPECT_EQ(c.record.uFlags, NIF_TIP | NIF_SHOWTIP | c.moreFlags);
        EXPECT_EQ(tip, c.record.szTip);
    }
    // A text longer than the balloon holds is cut, ended inside the record.
    const NOTIFYICONDATAA& balloon = cases[2].record;
    EXPECT_EQ(std::strlen(balloon.szInfo), sizeof balloon.szInfo - 1);
    EXPECT_STREQ(balloon.szInfoTitle, "Session ready");
}

}  // namespace
}  // namespace quilvo
