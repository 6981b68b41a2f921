// The docked toolbar's font and details line, and the search for the "AfxWnd" window below a
// session window, over fake windows.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/text.h"
#include "views/docked_rules.h"

namespace quilvo {
namespace {

TEST(DockedFont, AQuarterOfTheStripTruncatingTwice) {
    const struct {
        int viewHeight, height, width;
    } cases[] = {{7, 3, 1}, {1, 0, 0}, {40, 20, 10}, {43, 21, 10}, {0, 0, 0}, {-9, 0, 0}};
    for (const auto& c : cases) {
        const DockedFont f = DockedTextFont(c.viewHeight);
        EXPECT_EQ(f.height, c.height) << c.viewHeight;
        EXPECT_EQ(f.width, c.width) << c.viewHeight;
    }
}

TEST(DockedDetails, BracketedAndCutTo127Characters) {
    char line[kDockedDetailsCapacity];
    EXPECT_EQ(FormatDockedDetails(line, "PRD", "100", "ALICE"), 19);
    EXPECT_STREQ(line, "[PRD : 100 : ALICE]");
    EXPECT_EQ(FormatDockedDetails(line, nullptr, "", nullptr), 8);
    EXPECT_STREQ(line, "[ :  : ]");
    const std::string longText(200, 'x');
    EXPECT_EQ(FormatDockedDetails(line, longText.c_str(), "a", "b"), 127);
    EXPECT_EQ(std::string(line), "[" + std::string(126, 'x'));
}

// Windows from a counter, each with a parent and a class name; descendants are visited
// depth first, each child before its own children, as the platform enumerates them.
class FakeWindows : public DescendantWindows {
public:
    WindowHandle Add(WindowHandle parent, const std::string& className, bool readable = true) {
        nodes_.push_back({next_, parent, className, readable});
        return next_++;
    }
    void EnumerateDescendants(WindowHandle root, WindowVisit visit, void* context) override {
        Walk(root, visit, context);
    }
    int ClassName(WindowHandle window, char* buf, int maxCount) override {
        for (const Node& n : nodes_) {
            if (n.handle != window) continue;
            if (!n.readable) return 0;
            CopyCut(buf, static_cast<std::size_t>(maxCount), n.className.c_str());
            return static_cast<int>(std::string(buf).size());
        }
        return 0;
    }
    int visited = 0;

private:
    struct Node {
        WindowHandle handle;
        WindowHandle parent;
        std::string className;
        bool readable;
    };
    bool Walk(WindowHandle parent, WindowVisit visit, void* context) {
        for (const Node& n : nodes_) {
            if (n.parent != parent) continue;
            ++visited;
            if (!visit(n.handle, context) || !Walk(n.handle, visit, context)) return false;
        }
        return true;
    }
    std::vector<Node> nodes_;
    WindowHandle next_ = 0x100;
};

TEST(FindAfxWndChild, TheFirstDescendantWhoseClassHoldsAfxWndExactly) {
    FakeWindows w;
    const WindowHandle session = w.Add(kNoWindow, "SAP_FRONTEND_SESSION");
    w.Add(kNoWindow, "AfxWnd42s");  // beside the session, not below it
    w.Add(session, "afxwnd42s");
    w.Add(session, "AFXWND");
    const WindowHandle frame = w.Add(session, "Edit");
    w.Add(frame, "");
    w.Add(frame, "AfxWnd140u", false);  // its name cannot be read
    const WindowHandle middle = w.Add(frame, "MyAfxWndFrame");
    w.Add(session, "AfxWnd42s");  // a later match is never reached
    EXPECT_EQ(FindAfxWndChild(session, w), middle);
    EXPECT_EQ(w.visited, 6) << "the search stops at its match";

    const WindowHandle start = w.Add(middle, "AfxWnd90");
    w.visited = 0;
    EXPECT_EQ(FindAfxWndChild(frame, w), middle);  // a parent before its children
    EXPECT_EQ(FindAfxWndChild(middle, w), start);
}

TEST(FindAfxWndChild, NoneWhenNothingBelowMatches) {
    FakeWindows w;
    const WindowHandle session = w.Add(kNoWindow, "SAP_FRONTEND_SESSION");
    w.Add(session, "afxWnd");
    w.Add(session, "Afx Wnd");
    const WindowHandle lonely = w.Add(kNoWindow, "AfxWnd42s");
    EXPECT_EQ(FindAfxWndChild(session, w), kNoWindow);
    EXPECT_EQ(FindAfxWndChild(lonely, w), kNoWindow);
    w.visited = 0;
    EXPECT_EQ(FindAfxWndChild(kNoWindow, w), kNoWindow);
    EXPECT_EQ(w.visited, 0) << "no window: the desktop is not searched";
}

}  // namespace
}  // namespace quilvo
