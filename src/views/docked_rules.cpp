#include "views/docked_rules.h"

#include <cstdio>
#include <cstring>

namespace quilvo {

DockedFont DockedTextFont(int viewHeight) {
    const int height = viewHeight > 0 ? viewHeight / 2 : 0;
    return DockedFont{height, height / 2};
}

int FormatDockedDetails(char (&line)[kDockedDetailsCapacity], const char* detail1, const char* detail2,
                        const char* detail3) {
    const auto text = [](const char* s) { return s != nullptr ? s : ""; };
    const int n = std::snprintf(line, sizeof line, "[%s : %s : %s]", text(detail1), text(detail2), text(detail3));
    if (n < 0) {
        line[0] = '\0';
        return 0;
    }
    return n < static_cast<int>(sizeof line) ? n : static_cast<int>(sizeof line) - 1;
}

namespace {

constexpr const char* kAfxWnd = "AfxWnd";
constexpr int kClassNameBuffer = 256;  // at most 255 characters are read

struct AfxSearch {
    DescendantWindows* windows;
    WindowHandle found;
};

bool VisitForAfxWnd(WindowHandle window, void* context) {
    auto* search = static_cast<AfxSearch*>(context);
    char name[kClassNameBuffer] = {};
    const int length = search->windows->ClassName(window, name, sizeof name);
    name[sizeof name - 1] = '\0';
    if (length <= 0 || name[0] == '\0') return true;
    if (std::strstr(name, kAfxWnd) == nullptr) return true;
    search->found = window;
    return false;
}

}  // namespace

WindowHandle FindAfxWndChild(WindowHandle root, DescendantWindows& windows) {
    AfxSearch search{&windows, kNoWindow};
    // No window is not the desktop: nothing is searched.
    if (root == kNoWindow) return kNoWindow;
    windows.EnumerateDescendants(root, &VisitForAfxWnd, &search);
    return search.found;
}

}  // namespace quilvo
