// The administrator's policy as Windows keeps it, under HKCU\Software\Policies\Quilvo: it beats
// the settings file without rewriting it, a value of the wrong type is passed over with a
// debug line, About names what policy holds, and a change is taken when Windows announces it.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "e2e_util.h"
#include "quilvo_process.h"
#include "registry_values.h"
#include "resources/resource_ids.h"
#include "sim_client.h"

namespace e2e {
namespace {

constexpr const char* kPolicyKey = "Software\\Policies\\Quilvo";

class Policy : public ::testing::Test {
protected:
    void TearDown() override {
        quilvo.Kill();
        sim.Stop();
        RegDeleteTreeA(HKEY_CURRENT_USER, kPolicyKey);
    }
    static void Set(const char* name, DWORD type, const void* data, DWORD size) {
        quilvo::test::StoreRegistryValue(kPolicyKey, name, type, data, size);
    }
    static void SetText(const char* name, const std::string& text) {
        Set(name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
    }
    // The mini window whose name holds word, "" for none.
    std::string MiniNamed(const std::string& word) const {
        const HWND view = quilvo.SingleView();
        const auto panels = view ? PanelsOf(view) : std::vector<HWND>{};
        for (HWND mini : panels.empty() ? std::vector<HWND>{} : Children(panels[0], "XIconWin"))
            if (TextOf(mini).find(word) != std::string::npos) return TextOf(mini);
        return std::string();
    }
    bool Production(const std::string& word) const {
        return MiniNamed(word).find(", production") != std::string::npos;
    }

    sessionsim::Simulator sim;
    TempFolder dir;
    QuilvoProcess quilvo;
};

TEST_F(Policy, ItBeatsTheSettingsFileUntilWindowsSaysItChanged) {
    quilvo.DebugIt(true);
    const DWORD off = 0;
    SetText("Production", "QAS");
    SetText("MaxSessions", "2");  // a text where a number belongs
    Set("OpenSessions", REG_DWORD, &off, sizeof off);
    ASSERT_TRUE(sim.Start("session A system=PRD client=100 user=ANNA tx=VA01 caption=Alpha\n"
                          "session B system=QAS client=200 user=BOB tx=SE38 caption=Bravo\n"))
        << sim.LastError();
    dir.WriteIni("[Quilvo]\r\nPRODUCTION=prd\r\n");
    ASSERT_TRUE(quilvo.Start(dir.Path()));
    EXPECT_TRUE(WaitUntil([&] { return Production("Bravo") && !Production("Alpha") && !MiniNamed("Alpha").empty(); },
                          kSettle))
        << MiniNamed("Alpha") << " / " << MiniNamed("Bravo");
    EXPECT_TRUE(quilvo.WaitForLine("Policy MaxSessions ignored: wrong type\n", 3000));

    const auto hosts = quilvo.TopWindows("#32770", "zrt::quorval /3 Tarvo Lite");
    ASSERT_EQ(hosts.size(), 1u);
    char about[256] = {};
    SendMessageA(GetDlgItem(hosts[0], IDC_ABOUT_POLICY), WM_GETTEXT, sizeof about, reinterpret_cast<LPARAM>(about));
    EXPECT_EQ(std::string(about), "Set by your administrator: OpenSessions, Production");

    // The administrator takes Production away: the settings file's list is in force again.
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kPolicyKey, 0, KEY_WRITE, &key), 0);
    RegDeleteValueA(key, "Production");
    RegCloseKey(key);
    DWORD_PTR result = 0;
    SendMessageTimeoutA(quilvo.TrayHost(), WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>("Policy"), SMTO_NORMAL, 3000,
                        &result);
    EXPECT_TRUE(WaitUntil([&] { return Production("Alpha") && !Production("Bravo"); }, kSettle))
        << MiniNamed("Alpha") << " / " << MiniNamed("Bravo");
    EXPECT_EQ(dir.IniValue("Quilvo", "PRODUCTION"), "prd") << "a policy never rewrites the settings file";
}

}  // namespace
}  // namespace e2e
