// The test helpers that read a program's windows from outside, while that program restacks them.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "window_helpers.h"

namespace {

// Six children that another thread keeps bringing to the top, one after the other, as a view
// does with its panels on every refresh: every read sees each of them exactly once.
TEST(WindowHelpers, ChildrenSeesEachChildOnceWhileTheyAreRestacked) {
    constexpr int kCount = 6;
    std::atomic<HWND> parent{nullptr};
    std::atomic<bool> made{false}, done{false};
    std::thread owner([&] {
        HWND p = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
        HWND children[kCount];
        for (int i = 0; i < kCount; ++i)
            children[i] = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, i * 10, 0, 10, 10, p, nullptr,
                                          nullptr, nullptr);
        parent = p;
        made = true;
        while (p != nullptr && !done) {
            for (HWND c : children) SetWindowPos(c, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
        if (p != nullptr) DestroyWindow(p);
    });
    while (!made) Sleep(1);
    if (parent == nullptr) {
        owner.join();
        FAIL() << "no parent window";
    }

    int wrong = 0;
    for (int read = 0; read < 3000; ++read) {
        std::vector<HWND> seen = quilvo::test::Children(parent, "Static");
        std::sort(seen.begin(), seen.end());
        const bool once = seen.size() == kCount && std::adjacent_find(seen.begin(), seen.end()) == seen.end();
        wrong += !once;
    }
    done = true;
    owner.join();
    EXPECT_EQ(wrong, 0) << "reads that missed a child or saw one twice";
}

}  // namespace
