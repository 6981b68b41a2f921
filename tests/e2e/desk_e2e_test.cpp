// The overview on the desk as the user has it, observed from outside: a prefix at 144 DPI
// (sizes, the label's font and the mapping of the sessions), and a session that stops
// answering, shown dimmed until it answers again. Colours are read off the screen.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "e2e_util.h"
#include "platform/scoped_win.h"
#include "quilvo_process.h"
#include "real_input.h"
#include "resources/resource_ids.h"
#include "sim_client.h"

namespace e2e {
namespace {


// The prefix's DPI, which a program reads when it starts.
void SetPrefixDpi(DWORD dpi) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
    RegCloseKey(key);
}

// A run that ended inside the 144-DPI test (a crash) must not leave later runs at 144.
struct PrefixAt96 : ::testing::Environment {
    void SetUp() override { SetPrefixDpi(96); }
};
const auto* const kPrefixAt96 = ::testing::AddGlobalTestEnvironment(new PrefixAt96);

// The height of a line of the system's message face at 8 points and the given DPI.
int LabelLineHeight(int dpi) {
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    metrics.lfMessageFont.lfHeight = -MulDiv(8, dpi, 72);
    quilvo::ScopedFont font(CreateFontIndirectA(&metrics.lfMessageFont));
    quilvo::ScopedGetDC dc(nullptr);
    quilvo::ScopedSelectObject selected(dc.get(), font.get());
    TEXTMETRICA tm = {};
    GetTextMetricsA(dc.get(), &tm);
    return tm.tmHeight;
}

// A pixel of a window's client area as the screen shows it.
class Desk : public ::testing::Test {
protected:
    void Start(const std::string& scenario, const std::string& ini = "") {
        ASSERT_TRUE(RunUnix("/usr/bin/xdotool mousemove 1270 1010"));  // no tip over the views
        ASSERT_TRUE(sim.Start(scenario)) << sim.LastError();
        if (!ini.empty()) dir.WriteIni(ini);
        ASSERT_TRUE(quilvo.Start(dir.Path()));
        ASSERT_TRUE(WaitUntil([&] { return quilvo.SingleView() != nullptr && PanelsOf(quilvo.MainWindow()).size() == 6; },
                              10000));
        ASSERT_TRUE(WaitUntil([&] { return Mini() != nullptr; }, kSettle)) << "the session's mini window";
    }
    void TearDown() override {
        quilvo.Kill();
        sim.Stop();
        SetPrefixDpi(96);
    }
    HWND Panel() const {
        const auto panels = PanelsOf(quilvo.SingleView());
        return panels.empty() ? nullptr : panels[0];
    }
    HWND Mini() const {
        const auto minis = Panel() ? Children(Panel(), "XIconWin") : std::vector<HWND>{};
        return minis.empty() ? nullptr : minis[0];
    }

    sessionsim::Simulator sim;
    TempFolder dir;
    QuilvoProcess quilvo;
};

// At 144 DPI with nothing stored: the views come up 1.5 times their 96-DPI size, the label's
// lines are 1.5 times as tall, and the session is mapped exactly at the panel's scale, with the
// minimum size of 18 pixels.
TEST_F(Desk, At144DpiTheViewsTheLabelsAndTheMappingScale) {
    SetPrefixDpi(144);
    Start("session A system=QAS client=200 user=BOB tx=SE38 x=160 y=130 w=1100 h=880\n"
          "session B system=PRD client=100 user=ANNA tx=VA01 x=900 y=700 w=60 h=40\n");
    for (const auto& [view, w, h] : {std::tuple{quilvo.MainWindow(), 450, 300}, std::tuple{quilvo.SingleView(), 225, 225}}) {
        const RECT r = ScreenRect(view);
        EXPECT_EQ(r.right - r.left, w);
        EXPECT_EQ(r.bottom - r.top, h);
    }

    ASSERT_TRUE(WaitUntil([&] { return Children(Panel(), "XIconWin").size() == 2; }, kSettle));
    const RECT panel = ClientRect(Panel());
    const int hs = 1280 / panel.right;
    const int vs = 1024 / panel.bottom;
    const struct {
        const char* name;
        int x, y, w, h;
    } sessions[] = {{"A", 160, 130, 1100, 880}, {"B", 900, 700, 60, 40}};
    for (const auto& s : sessions) {
        SCOPED_TRACE(s.name);
        HWND mini = nullptr;
        for (HWND m : Children(Panel(), "XIconWin")) {
            const RECT r = RectInParent(m);
            if (r.left == s.x / hs && r.top == s.y / vs) mini = m;
        }
        ASSERT_NE(mini, nullptr) << "a mini window at (" << s.x / hs << ", " << s.y / vs << ")";
        const RECT r = RectInParent(mini);
        EXPECT_EQ(r.right - r.left, std::max(s.w / (2 * hs), 18));
        EXPECT_EQ(r.bottom - r.top, std::max(s.h / (2 * vs), 18));
        if (s.name[0] != 'A') continue;
        const int line144 = LabelLineHeight(144);
        EXPECT_EQ(BandRows(mini, GetSysColor(COLOR_ACTIVECAPTION)), 2 * line144 + 2) << "two lines of 8 points at 144 DPI";
        EXPECT_NEAR(line144, LabelLineHeight(96) * 3 / 2, 2);
    }
}

// The About box with the longest hotkey lines there are (a find hotkey of 63 characters that
// is no key, all four modifiers with the box digits): every line as wide as its text in the
// box's font ("MS Sans Serif", 8 points, at the prefix's DPI), and inside the box.
void ExpectAboutLinesFit(QuilvoProcess& quilvo, int dpi, const std::string& junk) {
    const auto hosts = quilvo.TopWindows("#32770", "zrt::quorval /3 Tarvo Lite");
    ASSERT_EQ(hosts.size(), 1u);
    quilvo::ScopedFont font(CreateFontA(-MulDiv(8, dpi, 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                                        "MS Sans Serif"));
    quilvo::ScopedGetDC dc(nullptr);
    quilvo::ScopedSelectObject selected(dc.get(), font.get());
    RECT box = ClientRect(hosts[0]);
    MapWindowPoints(hosts[0], nullptr, reinterpret_cast<POINT*>(&box), 2);
    for (int id : {IDC_ABOUT_LINE1, IDC_ABOUT_FIND, IDC_ABOUT_BOXES}) {
        // WM_GETTEXT: GetWindowTextA of another process's control gives its creation text.
        char text[256] = {};
        SendMessageA(GetDlgItem(hosts[0], id), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
        SIZE extent = {};
        GetTextExtentPoint32A(dc.get(), text, static_cast<int>(std::strlen(text)), &extent);
        const RECT line = ScreenRect(GetDlgItem(hosts[0], id));
        EXPECT_GE(line.right - line.left, extent.cx) << text;
        EXPECT_LE(line.right, box.right) << text;
        if (id == IDC_ABOUT_FIND) {
            EXPECT_EQ(std::string(text), "Find: none, '" + junk + "' is not a key");
        }
    }
}

const std::string kLongJunk = "Ctrl+Alt+Shift+Win+" + std::string(44, 'W');  // 63 characters
const std::string kLongKeysIni = "[Quilvo]\r\nFIND_HOTKEY=" + kLongJunk + "\r\nBOX_HOTKEYS=Win+Shift+Alt+Ctrl\r\n";

TEST_F(Desk, TheAboutBoxLinesFitTheirLongestTextAt96Dpi) {
    Start("session A system=QAS client=200 user=BOB tx=SE38\n", kLongKeysIni);
    ExpectAboutLinesFit(quilvo, 96, kLongJunk);
}

TEST_F(Desk, TheAboutBoxLinesFitTheirLongestTextAt144Dpi) {
    SetPrefixDpi(144);
    Start("session A system=QAS client=200 user=BOB tx=SE38\n", kLongKeysIni);
    ExpectAboutLinesFit(quilvo, 144, kLongJunk);
}

// A session whose thread sleeps is dimmed, in its box with its fields, and comes back to
// normal when it answers again.
TEST_F(Desk, ABusySessionIsDimmedUntilItAnswersAgain) {
    Start("session A system=QAS client=200 user=BOB tx=SE38 x=0 y=0 w=1280 h=1024\n", "[Box1]\r\nSelection=QAS$$$\r\n");
    HWND mini = Mini();
    const COLORREF active = GetSysColor(COLOR_ACTIVECAPTION);
    const COLORREF inactive = GetSysColor(COLOR_INACTIVECAPTION);
    ASSERT_NE(active, inactive);
    ASSERT_TRUE(WaitUntil([&] { return BandRows(Mini(), active) > 0; }, kSettle)) << "labelled";

    ASSERT_TRUE(sim.Send("hang A"));
    EXPECT_TRUE(WaitUntil([&] { return BandRows(Mini(), inactive) > 0; }, kSettle))
        << "dimmed once a pass has gone unanswered";
    EXPECT_EQ(Mini(), mini) << "redrawn in place";
    EXPECT_EQ(Children(PanelsOf(quilvo.MainWindow())[1], "XIconWin").size(), 1u) << "still in its box";

    ASSERT_TRUE(sim.Send("wake A"));
    EXPECT_TRUE(WaitUntil([&] { return BandRows(Mini(), active) > 0; }, kSettle)) << "normal again";
    EXPECT_TRUE(quilvo.Running());
}

}  // namespace
}  // namespace e2e
