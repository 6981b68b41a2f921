// The box properties dialog on real windows in this process: the template as it was drawn,
// the fields filled from the stored Selection, and every ended dialog destroyed.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "commands/box_properties.h"
#include "resources/resource_ids.h"
#include "sim_client.h"

namespace quilvo {
namespace {

std::string TextOf(HWND w) {
    char text[256] = {};
    GetWindowTextA(w, text, sizeof text);
    return text;
}

std::string ClassOf(HWND w) {
    char name[64] = {};
    GetClassNameA(w, name, sizeof name);
    return name;
}

std::vector<HWND> PropertiesDialogs() {
    std::vector<HWND> found;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM p) -> BOOL {
            if (ClassOf(w) == "#32770" && TextOf(w) == "Properties") reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

int WindowsOfThisThread() {
    int n = 0;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM p) -> BOOL {
            int& count = *reinterpret_cast<int*>(p);
            ++count;
            EnumChildWindows(w, [](HWND, LPARAM q) -> BOOL { ++*reinterpret_cast<int*>(q); return TRUE; }, p);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&n));
    return n;
}

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

class BoxPropertiesTest : public ::testing::Test {
protected:
    void SetUp() override {
        GetCurrentDirectoryA(sizeof savedDir_, savedDir_);
        char temp[MAX_PATH] = {};
        GetTempPathA(sizeof temp, temp);
        std::snprintf(workDir_, sizeof workDir_, "%squilvo-props-%lu", temp, GetCurrentProcessId());
        CreateDirectoryA(workDir_, nullptr);
        SetCurrentDirectoryA(workDir_);
        owner_ = CreateWindowExA(0, "STATIC", "panel", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(owner_, nullptr);
    }
    void TearDown() override {
        for (HWND d : PropertiesDialogs()) DestroyWindow(d);
        DestroyWindow(owner_);
        Pump();
        DeleteFileA(".\\Quilvo.ini");
        SetCurrentDirectoryA(savedDir_);
        RemoveDirectoryA(workDir_);
    }

    // Opens the dialog for a box; the one new dialog, or none.
    HWND Open(int box) {
        const std::vector<HWND> before = PropertiesDialogs();
        OpenBoxProperties(owner_, box);
        HWND opened = nullptr;
        for (HWND d : PropertiesDialogs()) {
            bool old = false;
            for (HWND b : before) old = old || b == d;
            if (!old) opened = d;
        }
        EXPECT_NE(opened, nullptr);
        return opened;
    }
    static std::string Field(HWND dialog, int id) { return TextOf(GetDlgItem(dialog, id)); }

    HWND owner_ = nullptr;
    char savedDir_[MAX_PATH] = {};
    char workDir_[MAX_PATH] = {};
};

// Resource 110 read as the dialog manager reads it (an extended template).
struct TemplateItem {
    DWORD style = 0;
    int id = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::string cls;  // as the dialog manager takes it: an ordinal 0x80..0x82 or a name
    std::string text;
};
struct DialogTemplate {
    DWORD style = 0;
    DWORD exStyle = 0;
    short cx = 0, cy = 0;
    std::string caption;
    WORD pointSize = 0;
    std::string face;
    std::vector<TemplateItem> items;
};

class TemplateReader {
public:
    explicit TemplateReader(const BYTE* p) : p_(p), start_(p) {}
    template <typename T>
    T Take() {
        T v;
        std::memcpy(&v, p_, sizeof v);
        p_ += sizeof v;
        return v;
    }
    std::string Text() {
        std::string out;
        for (WCHAR c = Take<WCHAR>(); c != 0; c = Take<WCHAR>()) out += static_cast<char>(c);
        return out;
    }
    // A name or, after 0xFFFF, an ordinal.
    WORD OrdinalOrText(std::string* text) {
        if (reinterpret_cast<const WORD*>(p_)[0] == 0xFFFF) {
            Take<WORD>();
            return Take<WORD>();
        }
        *text = Text();
        return 0;
    }
    void AlignToDword() { p_ = start_ + ((p_ - start_ + 3) & ~3); }

private:
    const BYTE* p_;
    const BYTE* start_;
};

DialogTemplate LoadPropertiesTemplate() {
    DialogTemplate t;
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(IDD_BOXPROPERTIES), reinterpret_cast<LPCSTR>(RT_DIALOG));
    if (!found) return t;
    TemplateReader r(static_cast<const BYTE*>(LockResource(LoadResource(module, found))));
    const WORD version = r.Take<WORD>();
    const WORD signature = r.Take<WORD>();
    EXPECT_EQ(version, 1);
    EXPECT_EQ(signature, 0xFFFF) << "an extended template";
    r.Take<DWORD>();  // help id
    t.exStyle = r.Take<DWORD>();
    t.style = r.Take<DWORD>();
    const WORD count = r.Take<WORD>();
    r.Take<short>();
    r.Take<short>();
    t.cx = r.Take<short>();
    t.cy = r.Take<short>();
    std::string ignored;
    r.OrdinalOrText(&ignored);  // menu
    r.OrdinalOrText(&ignored);  // class
    t.caption = r.Text();
    if (t.style & DS_SETFONT) {
        t.pointSize = r.Take<WORD>();
        r.Take<WORD>();
        r.Take<BYTE>();
        r.Take<BYTE>();
        t.face = r.Text();
    }
    for (WORD i = 0; i < count; ++i) {
        r.AlignToDword();
        TemplateItem item;
        r.Take<DWORD>();  // help id
        r.Take<DWORD>();  // extended style
        item.style = r.Take<DWORD>();
        item.x = r.Take<short>();
        item.y = r.Take<short>();
        item.cx = r.Take<short>();
        item.cy = r.Take<short>();
        item.id = static_cast<int>(r.Take<DWORD>());
        switch (r.OrdinalOrText(&item.cls)) {
            case 0x80: item.cls = "Button"; break;
            case 0x81: item.cls = "Edit"; break;
            case 0x82: item.cls = "Static"; break;
            default: break;  // a class name
        }
        r.OrdinalOrText(&item.text);
        const WORD extra = r.Take<WORD>();
        for (WORD e = 0; e < extra; ++e) r.Take<BYTE>();
        t.items.push_back(item);
    }
    return t;
}

TEST(BoxPropertiesTemplate, IsTheTableItWasDrawnFrom) {
    const DialogTemplate t = LoadPropertiesTemplate();
    const DWORD dialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_VISIBLE;
    EXPECT_EQ(t.style & dialogStyle, dialogStyle);
    EXPECT_TRUE(t.exStyle & WS_EX_TOOLWINDOW);
    EXPECT_EQ(t.cx, 254);
    EXPECT_EQ(t.cy, 105);
    EXPECT_EQ(t.caption, "Properties");
    EXPECT_EQ(t.pointSize, 8);
    EXPECT_EQ(t.face, "MS Sans Serif");

    constexpr const char* kButton = "button";
    constexpr const char* kEdit = "edit";
    constexpr const char* kStatic = "static";
    constexpr DWORD kBox = WS_BORDER | WS_TABSTOP;
    const struct {
        int id;
        const char* cls;
        const char* text;
        short x, y, cx, cy;
        DWORD set;     // flags (or the button type) that must be set
        DWORD absent;  // flags that must not be
    } table[] = {
        {IDOK, kButton, "OK", 163, 75, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP, 0},
        {IDCANCEL, kButton, "Cancel", 161, 58, 50, 14, WS_TABSTOP, BS_DEFPUSHBUTTON},
        {-1, kStatic, "System", 17, 28, 33, 10, 0, WS_BORDER},
        {-1, kStatic, "Client", 17, 44, 29, 11, 0, WS_BORDER},
        {-1, kStatic, "User", 17, 60, 27, 11, 0, WS_BORDER},
        {IDC_PROP_SYSTEM, kEdit, "", 71, 28, 76, 13, kBox, ES_AUTOHSCROLL},
        {IDC_PROP_CLIENT, kEdit, "", 71, 44, 76, 12, kBox | ES_AUTOHSCROLL, 0},
        {IDC_PROP_USER, kEdit, "", 71, 58, 76, 12, kBox | ES_AUTOHSCROLL, 0},
        {-1, kStatic, "Selection for virtual Window ", 17, 14, 99, 11, 0, WS_BORDER},
        {IDC_PROP_BOXNUMBER, kStatic, "0", 126, 13, 17, 11, WS_BORDER, 0},
        {-1, kStatic, "Transaction", 17, 76, 45, 11, 0, WS_BORDER},
        {IDC_PROP_TRANSACTION, kEdit, "", 71, 73, 76, 12, kBox | ES_AUTOHSCROLL, 0},
    };
    ASSERT_EQ(t.items.size(), std::size(table));
    for (std::size_t i = 0; i < t.items.size(); ++i) {
        const TemplateItem& item = t.items[i];
        const auto& want = table[i];
        SCOPED_TRACE(want.text);
        EXPECT_EQ(item.id, want.id);
        EXPECT_EQ(lstrcmpiA(item.cls.c_str(), want.cls), 0) << item.cls;
        EXPECT_EQ(item.text, want.text);
        EXPECT_EQ(item.x, want.x);
        EXPECT_EQ(item.y, want.y);
        EXPECT_EQ(item.cx, want.cx);
        EXPECT_EQ(item.cy, want.cy);
        EXPECT_EQ(item.style & (WS_CHILD | WS_VISIBLE), static_cast<DWORD>(WS_CHILD | WS_VISIBLE));
        EXPECT_EQ(item.style & want.set, want.set);
        EXPECT_EQ(item.style & want.absent, 0u);
        if (want.cls == kStatic) {
            EXPECT_EQ(item.style & SS_TYPEMASK, static_cast<DWORD>(SS_LEFT));
        }
    }
}

TEST_F(BoxPropertiesTest, OpensOwnedByThePanelWithTheBoxNumberAndTheStoredParts) {
    sessionsim::detail::writeWholeFile(".\\Quilvo.ini", "[Box2]\r\nSelection=PRD$100$$\r\n");
    HWND dlg = Open(2);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(GetWindow(dlg, GW_OWNER), owner_);
    EXPECT_TRUE(IsWindowVisible(dlg));
    EXPECT_EQ(Field(dlg, IDC_PROP_BOXNUMBER), "3");
    EXPECT_EQ(Field(dlg, IDC_PROP_SYSTEM), "PRD");
    EXPECT_EQ(Field(dlg, IDC_PROP_CLIENT), "100");
    EXPECT_EQ(Field(dlg, IDC_PROP_USER), "");
    EXPECT_EQ(Field(dlg, IDC_PROP_TRANSACTION), "");
    // The edit controls set no limit of their own.
    const std::string typed(300, 'x');
    SetDlgItemTextA(dlg, IDC_PROP_SYSTEM, typed.c_str());
    char back[400] = {};
    GetDlgItemTextA(dlg, IDC_PROP_SYSTEM, back, sizeof back);
    EXPECT_EQ(std::string(back), typed);
}

// Each open is a further dialog; whatever ends one (Cancel, the close box, Escape's IDCANCEL)
// destroys it and stores nothing, so opening it many times leaves no window behind.
TEST_F(BoxPropertiesTest, EveryOpenIsAFurtherDialogAndEveryEndDestroysIt) {
    HWND empty = Open(4);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(Field(empty, IDC_PROP_BOXNUMBER), "5");
    for (int id : {IDC_PROP_SYSTEM, IDC_PROP_CLIENT, IDC_PROP_USER, IDC_PROP_TRANSACTION}) EXPECT_EQ(Field(empty, id), "");
    DestroyWindow(empty);

    const int windowsBefore = WindowsOfThisThread();
    const struct {
        const char* how;
        void (*end)(HWND);
    } ends[] = {
        {"Cancel button", [](HWND d) { SendMessageA(GetDlgItem(d, IDCANCEL), BM_CLICK, 0, 0); }},
        {"close box", [](HWND d) { SendMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"Escape", [](HWND d) { SendMessageA(d, WM_COMMAND, IDCANCEL, 0); }},
    };
    for (int round = 0; round < 20; ++round) {
        std::vector<HWND> open;
        for (int i = 0; i < 3; ++i) open.push_back(Open(0));
        ASSERT_EQ(PropertiesDialogs().size(), 3u);
        for (int i = 0; i < 3; ++i) {
            SCOPED_TRACE(ends[i].how);
            SetDlgItemTextA(open[i], IDC_PROP_SYSTEM, "QAS");
            ends[i].end(open[i]);
            Pump();  // the close box's Cancel comes as a posted message
            EXPECT_FALSE(IsWindow(open[i]));
        }
    }
    Pump();
    EXPECT_EQ(WindowsOfThisThread(), windowsBefore);
    EXPECT_EQ(GetFileAttributesA(".\\Quilvo.ini"), INVALID_FILE_ATTRIBUTES) << "nothing stored";
}

}  // namespace
}  // namespace quilvo
